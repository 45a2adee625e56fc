// A long session of random commands with random dialog input: whatever the user does, the
// window shows no NaN or infinity, keeps its drawing on the layout, and shows the caution
// label exactly when the design it shows has failed.
#include <array>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "design/display_capture.h"
#include "design_fixture.h"

namespace corvantile {
namespace {

using testing::DesignWindowTest;
using toolkit::DialogId;
using toolkit::DrawCall;

class RandomSessionTest : public DesignWindowTest, public ::testing::WithParamInterface<unsigned> {
 protected:
  // A value as a user might type it: mostly ordinary sizes, sometimes 0, negative or extreme.
  float RandomValue() {
    std::uniform_int_distribution<int> pick(0, 9);
    std::uniform_real_distribution<double> exponent(-14, 12);
    const double magnitude = std::pow(10.0, exponent(random_));
    switch (pick(random_)) {
      case 0:
        return 0.0f;
      case 1:
        return static_cast<float>(-magnitude);
      case 2:
        return 3.4e38f;
      default:
        return static_cast<float>(magnitude);
    }
  }

  void Enter(ImpedanceValues& side) {
    const int kind = state.EntryKind;
    const bool parallel = kind == 2 || kind == 4;
    side[parallel ? ParallelR : SeriesR] = RandomValue();
    const int slot = kind == 1   ? SeriesX
                     : kind == 2 ? ParallelX
                     : kind == 3 ? SeriesPart
                                 : ParallelPart;
    side[slot] = std::bernoulli_distribution(0.5)(random_) ? RandomValue() : -RandomValue();
    side[EntryForm] = static_cast<float>(kind);
    side[EntryFormCopy] = static_cast<float>(kind);
  }

  std::mt19937 random_{GetParam()};
};

bool Finite(const std::string& text) {
  for (const char* bad : {"nan", "NaN", "inf", "Inf", "INF"}) {
    if (text.find(bad) != std::string::npos) return false;
  }
  return true;
}

TEST_P(RandomSessionTest, DisplayStaysSaneThroughAThousandCommands) {
  platform.onDialog = [&](DialogId dialog) {
    switch (dialog) {
      case DialogId::Source:
        Enter(state.SourceValues);
        break;
      case DialogId::Load:
        Enter(state.LoadValues);
        break;
      case DialogId::Frequency:
        state.NetValues[Frequency] = RandomValue();
        break;
      case DialogId::Power:
        state.NetValues[Power] = RandomValue();
        break;
      case DialogId::Phase:
        state.NetValues[NetworkPhase] =
            std::uniform_real_distribution<float>(-200.0f, 200.0f)(random_);
        break;
    }
  };
  Load();
  const auto commands = DesignWindow::CommandNames();
  std::uniform_int_distribution<std::size_t> pick(0, commands.size() - 2);  // all but Exit
  ASSERT_EQ(commands.back(), "cmdExit");
  for (int step = 0; step < 1000; ++step) {
    const std::string_view command = commands[pick(random_)];
    const int beepsBefore = platform.beeps();
    const bool refreshes = !(command == "cmdPhase" && state.NetValues[NetworkFamily] > 2);
    ASSERT_TRUE(design.Click(command));
    SCOPED_TRACE(::testing::Message() << "step " << step << " " << command);
    if (!refreshes) continue;

    // The caution label and the beep go together, and a failed design shows no part loads.
    const bool failed = platform.beeps() > beepsBefore;
    ASSERT_EQ(Shown("lblCaution"), failed);
    if (failed) {
      for (const char* label : {"lblNetPart1Volts", "lblNetPart2Amps", "lblNetPart3Volts"}) {
        EXPECT_FALSE(Shown(label)) << label;
      }
    }
    for (const auto& [name, control] : window.controls()) {
      ASSERT_TRUE(Finite(control->Text())) << name << ": " << control->Text();
    }
    for (const DrawCall& call : calls()) {
      if (call.kind == DrawCall::Kind::Print) {
        ASSERT_TRUE(Finite(call.text)) << call.text;
        ASSERT_LE(call.text.size(), 19u);  // a formatter's 16 characters and "deg"
      }
      if (call.kind == DrawCall::Kind::Line || call.kind == DrawCall::Kind::Arc) {
        ASSERT_GE(std::min(call.x1, call.x2), 0);
        ASSERT_LE(std::max(call.x1, call.x2), 12000);
        ASSERT_GE(call.y1, 0);
        ASSERT_LE(call.y1, 9000);
      }
    }
    // Element captions show exactly for part values the display can show.
    for (int k = 0; k < 3; ++k) {
      const float part = std::fabs(state.NetValues[NetPart1 + k]);
      const bool showable = part >= 1e-13f && part <= 10.0f;
      ASSERT_EQ(Shown("lblChangeNetPart" + std::to_string(k + 1)), showable);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Seeds, RandomSessionTest, ::testing::Values(1u, 2u, 3u));

TEST(DisplayCapture, ReadsBackWhatTheWindowShowsWithoutTouchingTheCaller) {
  RunState state = MakeDefaultRunState();
  const DisplayCapture shown = CaptureDisplay(state);
  EXPECT_EQ(state.NetValues[NetX1], 0.0f);  // the copy was designed, not this state
  EXPECT_EQ(shown.captions.size(), 19u);
  EXPECT_EQ(shown.visible.size(), 13u);
  EXPECT_EQ(shown.captions.at("cmdFrequency"), "Frequency:   3.75 MHz");
  EXPECT_EQ(shown.captions.at("cmdPhase"), "Phase (r-r):  -135 deg");
  EXPECT_FALSE(shown.visible.at("lblCaution"));
  EXPECT_TRUE(shown.visible.at("lblNetPart2Amps"));

  state.NetValues[Frequency] = 0;
  const DisplayCapture failed = CaptureDisplay(state);
  EXPECT_TRUE(failed.visible.at("lblCaution"));
  EXPECT_FALSE(failed.visible.at("lblNetPart2Amps"));
  EXPECT_FALSE(failed.visible.at("lblChangeNetPart1"));
}

}  // namespace
}  // namespace corvantile
