// The measured-file commands through the real design window, offscreen: the dialogs are the
// test's own (a file chooser, a port chooser, a frequency and a load dialog that set values),
// the message box a recorder.
#include <complex>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QTest>

#include "analysis/formats/touchstone_reader.h"
#include "design/design_controls.h"
#include "design/qt/frm_design.h"
#include "model/design_model.h"
#include "state/circuit_state.h"
#include "state/settings_file.h"
#include "toolkit/qt/qt_platform.h"

namespace corvantile {
namespace {

// The message box, recorded instead of shown.
class RecordingPlatform : public toolkit::QtPlatform {
 public:
  RecordingPlatform() : QtPlatform(toolkit::ScreenTwips::FromPixels(1024, 768)) {}
  void ShowMessage(const std::string& text) override { messages.push_back(text); }
  std::vector<std::string> messages;
};

// S11 rises linearly from 0 at 1 MHz to 0.5 + 0.25j at 10 MHz: the port presents exactly 50
// ohms at 1 MHz, and in between Z0 (1 + g) / (1 - g) of the interpolated g.
constexpr const char* kAntenna =
    "! a made-up antenna\n"
    "# MHz S RI R 50\n"
    "1 0 0\n"
    "10 0.5 0.25\n";

std::complex<double> AntennaImpedance(double hertz) {
  const std::complex<double> g = std::complex<double>(0.5, 0.25) * ((hertz - 1e6) / 9e6);
  return 50.0 * (1.0 + g) / (1.0 - g);
}

// A two-port whose port 2 presents 100 ohms everywhere (S22 = 1/3) and port 1 50 ohms.
constexpr const char* kTwoPort =
    "# MHz S RI R 50\n"
    "1 0 0  0 0  0 0  0.3333333333333333 0\n"
    "10 0 0  0 0  0 0  0.3333333333333333 0\n";

void Write(const std::filesystem::path& file, const std::string& text) {
  std::ofstream(file, std::ios::binary) << text;
}

class MeasuredSidesTest : public ::testing::Test {
 protected:
  MeasuredSidesTest() : settingsFile(Path("LastSession.json")) {
    Write(Path("antenna.s1p"), kAntenna);
    design = std::make_unique<FrmDesign>(model, platform, settingsFile);
    Prepare(*design);
    design->Load();
  }

  std::filesystem::path Path(const std::string& name) const {
    return std::filesystem::path(folder.path().toStdString()) / name;
  }

  void Prepare(FrmDesign& window) {
    window.SetMeasuredFileChooser([this](const QString&) { return chosen; });
    window.SetPortChooser([this](const QString&, int ports) -> std::optional<int> {
      askedPorts = ports;
      return port;
    });
  }

  void Click(std::string_view name) {
    QTest::mouseClick(design->window().Find(name).widget(), Qt::LeftButton);
  }
  void ChooseLoad(const std::filesystem::path& file) {
    chosen = QString::fromStdString(file.string());
    Click(kMeasuredLoadButtonName);
  }
  void SetFrequency(float hertz) {
    platform.RegisterDialog(toolkit::DialogId::Frequency,
                            [this, hertz] { state.NetValues[Frequency] = hertz; });
    Click("cmdFrequency");
  }
  std::string LoadLabel() {
    return design->window()
        .Find(kMeasuredLoadLabelName)
        .widget()
        ->property("text")
        .toString()
        .toStdString();
  }
  const std::optional<MeasuredSide>& MeasuredLoad() {
    return design->document().settings().measuredLoad;
  }
  void ExpectLoad(std::complex<double> z) {
    EXPECT_EQ(state.LoadValues[EntryForm], FormSeriesReactance);
    EXPECT_NEAR(state.LoadValues[SeriesR], z.real(), 1e-4 * std::abs(z));
    EXPECT_NEAR(state.LoadValues[SeriesX], z.imag(), 1e-4 * std::abs(z));
  }

  QTemporaryDir folder;
  std::filesystem::path settingsFile;
  DesignModel model;
  RunState& state = model.state();
  RecordingPlatform platform;
  std::unique_ptr<FrmDesign> design;
  QString chosen;
  std::optional<int> port = 1;
  int askedPorts = 0;
};

TEST_F(MeasuredSidesTest, ChoosingAFileEntersItsImpedanceAtTheDesignFrequencyAsOneUndoStep) {
  const ImpedanceValues typed = state.LoadValues;
  ChooseLoad(Path("antenna.s1p"));
  EXPECT_TRUE(platform.messages.empty());
  ExpectLoad(AntennaImpedance(3.75e6));
  ASSERT_TRUE(MeasuredLoad());
  EXPECT_EQ(MeasuredLoad()->file, Path("antenna.s1p").string());
  EXPECT_EQ(MeasuredLoad()->port, 1);
  EXPECT_EQ(LoadLabel(), "antenna.s1p");
  EXPECT_EQ(askedPorts, 0);  // a one-port file asks for no port
  // The series reactance was reduced to its part and parallel forms like a typed one.
  EXPECT_NE(state.LoadValues[ParallelR], typed[ParallelR]);
  EXPECT_EQ(design->document().history().UndoCount(), 1u);

  design->Undo();
  EXPECT_EQ(state.LoadValues, typed);
  EXPECT_FALSE(MeasuredLoad());
  EXPECT_EQ(LoadLabel(), "");
  design->Redo();
  ExpectLoad(AntennaImpedance(3.75e6));
  EXPECT_EQ(LoadLabel(), "antenna.s1p");
}

// A frequency outside the file's band is refused as a whole: the design stays at the last
// frequency with the file's values there, and no undo step is added.
TEST_F(MeasuredSidesTest, ANewFrequencyReadsTheFileAgainAndOneOutsideTheBandIsRefused) {
  ChooseLoad(Path("antenna.s1p"));
  SetFrequency(7e6f);
  ExpectLoad(AntennaImpedance(7e6));
  SetFrequency(1e6f);
  ExpectLoad({50.0, 0.0});
  EXPECT_TRUE(platform.messages.empty());

  const DesignSnapshot before = model.Snapshot();
  const std::size_t steps = design->document().history().UndoCount();
  SetFrequency(20e6f);
  ASSERT_EQ(platform.messages.size(), 1u);
  const TouchstoneRead read = ReadTouchstoneFile(Path("antenna.s1p").string());
  EXPECT_EQ(platform.messages[0], TouchstonePort(read.data, 1).OutsideBandText(20e6));
  EXPECT_EQ(model.Snapshot(), before);
  EXPECT_EQ(state.NetValues[Frequency], 1e6f);
  EXPECT_EQ(design->document().history().UndoCount(), steps);
  EXPECT_TRUE(MeasuredLoad());
  // One undo goes back to 7 MHz, the file still followed.
  design->Undo();
  EXPECT_EQ(state.NetValues[Frequency], 7e6f);
  ExpectLoad(AntennaImpedance(7e6));
  EXPECT_TRUE(MeasuredLoad());
  SetFrequency(7e6f);
  ExpectLoad(AntennaImpedance(7e6));
}

TEST_F(MeasuredSidesTest, AnEntryDialogThatChangesTheSideMakesItTypedAgain) {
  ChooseLoad(Path("antenna.s1p"));
  platform.RegisterDialog(toolkit::DialogId::Load, [this] { state.LoadValues[SeriesR] = 75.0f; });
  Click("CommandLoad1");
  EXPECT_FALSE(MeasuredLoad());
  EXPECT_EQ(LoadLabel(), "");
  SetFrequency(7e6f);
  EXPECT_EQ(state.LoadValues[SeriesR], 75.0f);
  // One step for the entry, undone back to the measured side.
  design->Undo();
  design->Undo();
  EXPECT_TRUE(MeasuredLoad());
}

TEST_F(MeasuredSidesTest, AnEntryDialogClosedWithoutAChangeLeavesTheSideMeasured) {
  ChooseLoad(Path("antenna.s1p"));
  platform.RegisterDialog(toolkit::DialogId::Load, [] {});
  Click("CommandLoad1");
  EXPECT_TRUE(MeasuredLoad());
}

TEST_F(MeasuredSidesTest, AFileThatCannotBeUsedShowsWhyAndChangesNothing) {
  Write(Path("broken.s1p"), "# MHz S RI R 50\n1 0 0\n2 0\n");
  Write(Path("narrow.s1p"), "# MHz S RI R 50\n5 0 0\n6 0 0\n");
  Write(Path("active.s1p"), "# MHz S RI R 50\n1 2 0\n10 2 0\n");
  struct Case {
    std::string file;
    std::string message;
  };
  const std::vector<Case> cases{
      {"broken.s1p", ReadTouchstoneFile(Path("broken.s1p").string()).error},
      {"missing.s1p", ReadTouchstoneFile(Path("missing.s1p").string()).error},
      {"narrow.s1p", "3.75 MHz is outside narrow.s1p's band (5 MHz to 6 MHz)"},
      {"active.s1p",
       "active.s1p port 1 presents no positive finite resistance at 3.75 MHz (-150 ohms), so it "
       "cannot be matched"},
  };
  const RunState before = state;
  for (const Case& c : cases) {
    platform.messages.clear();
    ChooseLoad(Path(c.file));
    ASSERT_EQ(platform.messages.size(), 1u) << c.file;
    EXPECT_FALSE(c.message.empty());
    EXPECT_EQ(platform.messages[0], c.message);
    EXPECT_EQ(state.LoadValues, before.LoadValues) << c.file;
    EXPECT_FALSE(MeasuredLoad()) << c.file;
  }
  EXPECT_EQ(design->document().history().UndoCount(), 0u);
}

TEST_F(MeasuredSidesTest, AFileOfSeveralPortsAsksWhichAndTheSourceTakesThatPort) {
  Write(Path("amplifier.s2p"), kTwoPort);
  port = 2;
  chosen = QString::fromStdString(Path("amplifier.s2p").string());
  Click(kMeasuredSourceButtonName);
  EXPECT_EQ(askedPorts, 2);
  EXPECT_NEAR(state.SourceValues[SeriesR], 100.0, 1e-4);
  EXPECT_NEAR(state.SourceValues[SeriesX], 0.0, 1e-4);
  ASSERT_TRUE(design->document().settings().measuredSource);
  EXPECT_EQ(design->document().settings().measuredSource->port, 2);
  EXPECT_EQ(design->window().Find(kMeasuredSourceLabelName).widget()->property("text").toString(),
            "amplifier.s2p port 2");

  // Cancelling the port question changes nothing.
  const RunState before = state;
  port = std::nullopt;
  ChooseLoad(Path("amplifier.s2p"));
  EXPECT_EQ(state.LoadValues, before.LoadValues);
  EXPECT_FALSE(MeasuredLoad());
}

TEST_F(MeasuredSidesTest, TheMeasuredSideIsRememberedAcrossARestartAndAGoneFileIsSaidOnce) {
  ChooseLoad(Path("antenna.s1p"));
  std::string error;
  ASSERT_TRUE(design->document().WriteProgramSettings(error)) << error;
  const ImpedanceValues measured = state.LoadValues;

  // The next run starts from the session file's values: the last interpolated R + jX.
  DesignModel nextModel;
  RunState& next = nextModel.state();
  next.LoadValues = measured;
  next.NetValues[Frequency] = 7e6f;  // and follows the file at its own frequency
  {
    FrmDesign again(nextModel, platform, settingsFile);
    again.Load();
    ASSERT_TRUE(again.document().settings().measuredLoad);
    EXPECT_EQ(again.document().settings().measuredLoad->file, Path("antenna.s1p").string());
    EXPECT_NEAR(next.LoadValues[SeriesR], AntennaImpedance(7e6).real(), 1e-3);
    EXPECT_EQ(again.window().Find(kMeasuredLoadLabelName).widget()->property("text").toString(),
              "antenna.s1p");
  }

  std::filesystem::remove(Path("antenna.s1p"));
  DesignModel goneModel;
  RunState& gone = goneModel.state();
  gone.LoadValues = measured;
  FrmDesign last(goneModel, platform, settingsFile);
  platform.messages.clear();
  last.Show();
  EXPECT_TRUE(platform.messages.empty());  // after the window has opened
  QCoreApplication::processEvents();
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_NE(platform.messages[0].find("The load no longer follows its measured file"),
            std::string::npos);
  EXPECT_NE(platform.messages[0].find("antenna.s1p"), std::string::npos);
  EXPECT_EQ(gone.LoadValues[SeriesR], measured[SeriesR]);
  EXPECT_EQ(gone.LoadValues[SeriesX], measured[SeriesX]);
  EXPECT_FALSE(last.document().settings().measuredLoad);
  QCoreApplication::processEvents();
  EXPECT_EQ(platform.messages.size(), 1u);
  last.window().widget()->close();
}

TEST_F(MeasuredSidesTest, ADamagedOrMissingSettingsFileLeavesBothSidesTyped) {
  for (const std::string& text : {std::string("not json"), std::string()}) {
    if (text.empty()) {
      std::filesystem::remove(settingsFile);
    } else {
      Write(settingsFile, text);
    }
    DesignModel freshModel;
    RunState& fresh = freshModel.state();
    FrmDesign window(freshModel, platform, settingsFile);
    window.Load();
    EXPECT_FALSE(window.document().settings().measuredLoad);
    EXPECT_FALSE(window.document().settings().measuredSource);
    EXPECT_EQ(fresh.LoadValues[SeriesR], 300.0f);
    EXPECT_EQ(fresh.LoadValues[SeriesX], 0.0f);
  }
}

}  // namespace
}  // namespace corvantile
