#include "shell/opening_screen.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

#include "shell/opening_artwork.h"
#include "state/startup_values.h"
#include "toolkit/placement.h"
#include "units/precision.h"

namespace corvantile {
namespace {

using precision::D;
using toolkit::ControlKind;
using toolkit::ControlLook;
using toolkit::FontLook;
using toolkit::Rgb;
using toolkit::TextAlign;

constexpr double kTitleLeft = 2000;
constexpr double kTitleTopPerTwip = 0.04;  // a screen height in twips used as logical units
constexpr float kBackgroundRows = static_cast<float>(kOpeningBackgroundHeight);

constexpr std::array<OpeningPlacement, 10> kLayout{{
    {"lblTitle2", 1500, 2700, 3800, 300, 0.0012},
    {"lblTitle3", 1500, 3100, 3800, 300, 0.0012},
    {"lblTitle4", 1500, 3500, 3800, 300, 0.0012},
    {"lblTitle5", 1500, 3900, 3800, 300, 0.0012},
    {"lblTitle6", 1500, 4300, 3800, 300, 0.0012},
    {"lblVersion", 1500, 5400, 3800, 300, 0.001},
    {"lblCopyright", 1500, 5800, 3800, 300, 0.001},
    {"lblWebsite", 1500, 6200, 3800, 300, 0.001},
    {"cmdStart", 6500, 5200, 1000, 300, 0.0008},
    {"cmdExit", 6500, 6000, 1000, 300, 0.0008},
}};

constexpr Rgb kWhite{255, 255, 255};
constexpr Rgb kTitleColour{192, 255, 255};
constexpr FontLook kTitleFont{"Times New Roman", 90, true};
constexpr FontLook kBold{"Arial", 9.75, true};
constexpr FontLook kRegular{"Arial", 9.75, false};

// A transparent white text line; the load sets its place and font size.
constexpr ControlLook TextLine(const char* name, const char* text, FontLook font) {
  return toolkit::WithTextColour(toolkit::MakeControlLook(name, ControlKind::Label, text, {}, font),
                                 kWhite);
}
constexpr ControlLook Button(const char* name, const char* text) {
  return toolkit::WithAlign(
      toolkit::MakeControlLook(name, ControlKind::CommandButton, text, {}, kBold),
      TextAlign::Centre);
}

// Buttons first: they are the only controls that take the focus, "Start" before "Exit / Quit".
constexpr std::array<ControlLook, 11> kControls{{
    Button("cmdStart", "Start"),
    Button("cmdExit", "Exit / Quit"),
    // Moved by the load only: it keeps this size in twips and its font on every screen.
    toolkit::WithTextColour(
        toolkit::MakeControlLook("lblTitle", ControlKind::Label, "Corvantile",
                                 {0, 0, kTitleWidthTwips, kTitleHeightTwips}, kTitleFont),
        kTitleColour),
    TextLine("lblTitle2", "A program to match", kBold),
    TextLine("lblTitle3", "a resistive or reactive source", kBold),
    TextLine("lblTitle4", "to a resistive or reactive load", kBold),
    TextLine("lblTitle5", "at a given frequency, with", kBold),
    TextLine("lblTitle6", "an uncommon tool set", kBold),
    TextLine("lblVersion", "", kRegular),
    TextLine("lblCopyright", "", kRegular),
    TextLine("lblWebsite", "", kRegular),
}};

constexpr toolkit::WindowLook kLook{"frmOpening",
                                    "Corvantile",
                                    kOpeningClientWidthTwips,
                                    kOpeningClientHeightTwips,
                                    Rgb{128, 128, 128},
                                    kControls,
                                    "",
                                    Rgb{255, 255, 255},  // the drawing, under the picture
                                    {}};

const ControlLook& LookOf(std::string_view name) { return *toolkit::FindLook(kControls, name); }

}  // namespace

int BackgroundBlue(float row) {
  const double blue = std::clamp(D(row) * 255.0 / 9000.0, 64.0, 200.0);
  return static_cast<int>(std::nearbyint(blue));  // the default rounding: half to even
}

std::string OpeningCaption(const StartupValues& startup) {
  return "Corvantile " + startup.VersionText + startup.SessionFileName;
}

std::span<const OpeningPlacement> OpeningLayout() { return kLayout; }

const toolkit::WindowLook& OpeningLook() { return kLook; }

OpeningScreen::OpeningScreen(RunState& state, toolkit::Window& window, toolkit::Platform& platform,
                             DesignWindowHost& host, std::filesystem::path sessionFile)
    : state_(state),
      window_(window),
      platform_(platform),
      host_(host),
      sessionFile_(std::move(sessionFile)) {}

void OpeningScreen::Form_Load() {
  const toolkit::ScreenTwips screen = platform_.screen();
  const toolkit::LogicalScale scale = toolkit::LogicalScale::ForMainWindow(
      screen, kOpeningClientWidthTwips, kOpeningClientHeightTwips);
  window_.SetScale(scale);

  toolkit::Surface& surface = window_.surface();
  for (pen_.y = 1; pen_.y <= kBackgroundRows; pen_.y += 1) {
    const double y = D(pen_.y);
    surface.Line(0, y, kOpeningBackgroundWidth, y, Rgb{0, 0, BackgroundBlue(pen_.y)}, 1);
  }

  SetStartupValues(state_.startup);
  ReadSession(state_, sessionFile_);

  window_.SetCaption(OpeningCaption(state_.startup));
  window_.Find("lblVersion").SetText(state_.startup.VersionText);
  window_.Find("lblCopyright").SetText(state_.startup.NoticeText);
  window_.Find("lblWebsite").SetText(state_.startup.WebsiteText);

  // The windows' one placement rule; the title has no size in its row, so it only moves.
  const toolkit::ControlPlacement title{"lblTitle", kTitleLeft, screen.height * kTitleTopPerTwip, 0,
                                        0};
  toolkit::PlaceControl(window_.Find(title.name), title, LookOf(title.name), scale, 0);
  for (const OpeningPlacement& row : kLayout) {
    toolkit::PlaceControl(window_.Find(row.name),
                          {row.name, row.left, row.top, row.width, row.height}, LookOf(row.name),
                          scale, screen.height * row.fontPerTwip);
  }

  DrawOpeningArtwork(surface, pen_);
}

void OpeningScreen::cmdStart_Click() {
  host_.ShowDesignWindow();
  window_.Close();
}

void OpeningScreen::cmdExit_Click() {
  window_.Close();
  platform_.Quit();
}

}  // namespace corvantile
