// The design report from the desktop program, through the real windows offscreen: Ctrl+C puts
// on the clipboard exactly what `corvantile-cli design` prints for the same design, loss
// options and measured file; Ctrl+P and "Report..." write the PDF to the chosen file, whose
// text (read back by poppler-utils' pdftotext) holds the part values as the window's captions
// show them, the measured file and the tolerance results when a run is current.
#include <filesystem>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>

#include "analysis/formats/number_text.h"
#include "cli/command_line.h"
#include "design/design_controls.h"
#include "design/qt/frm_design.h"
#include "model/design_model.h"
#include "response/qt/band_page.h"
#include "response/qt/response_launcher.h"
#include "response/qt/tolerance_page.h"
#include "state/circuit_state.h"
#include "state/session_file.h"
#include "state/settings_file.h"
#include "support/files.h"
#include "support/process.h"
#include "toolkit/qt/qt_platform.h"

namespace corvantile {
namespace {

using testing::Environment;
using testing::Quoted;
using testing::ReadBytes;
using testing::RunCommand;
using testing::ScratchFolder;
using testing::WriteBytes;

// The message box and the beep, recorded instead of shown.
class RecordingPlatform : public toolkit::QtPlatform {
 public:
  RecordingPlatform() : QtPlatform(toolkit::ScreenTwips::FromPixels(1024, 768)) {}
  void ShowMessage(const std::string& text) override { messages.push_back(text); }
  void Beep() override {}
  std::vector<std::string> messages;
};

// S11 from 0 at 1 MHz to 0.5 + 0.25j at 10 MHz: a load near 50 ohms across the design band.
constexpr const char* kAntenna =
    "! a made-up antenna\n"
    "# MHz S RI R 50\n"
    "1 0 0\n"
    "10 0.5 0.25\n";

std::string CliOutput(const std::vector<std::string>& arguments) {
  const std::vector<std::string_view> args(arguments.begin(), arguments.end());
  std::ostringstream out, err;
  const int status = cli::RunCommandLine(args, out, err);
  EXPECT_TRUE(status == 0 || status == 1) << err.str();
  return out.str();
}

// pdftotext's text of a PDF, with every run of white space made one blank.
std::string PdfText(const std::filesystem::path& pdf) {
  int status = -1;
  const std::string text =
      RunCommand(Quoted(Environment("CORVANTILE_PDFTOTEXT")) + " " + Quoted(pdf) + " -", status);
  EXPECT_EQ(status, 0);
  std::string squeezed;
  for (const char c : text) {
    const bool blank = c == ' ' || c == '\n' || c == '\t' || c == '\f' || c == '\r';
    if (blank && (squeezed.empty() || squeezed.back() == ' ')) continue;
    squeezed += blank ? ' ' : c;
  }
  return squeezed;
}

class ReportCommandsTest : public ::testing::Test {
 protected:
  ReportCommandsTest()
      : design(model, platform, folder.path() / "LastSession.json"),
        launcher(ResponseLauncher::Attach(design, model)) {
    WriteBytes(folder.path() / "antenna.s1p", kAntenna);
    design.SetMeasuredFileChooser([this](const QString&) {
      return QString::fromStdString((folder.path() / "antenna.s1p").string());
    });
    design.SetReportFileChooser([this](const QString& suggested) {
      suggestions.push_back(suggested.toStdString());
      return QString::fromStdString(reportFile.string());
    });
    design.Show();
    Activate(Window());
  }

  static void Activate(QWidget* window) {
    window->activateWindow();
    QApplication::setActiveWindow(window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
  }
  QWidget* Window() { return design.window().widget(); }
  void Click(std::string_view name) {
    QTest::mouseClick(design.window().Find(name).widget(), Qt::LeftButton);
  }
  // A key pressed in a window the user has brought to the front (shortcuts belong to it).
  void Key(Qt::Key key, QWidget* window = nullptr) {
    if (window == nullptr) window = Window();
    Activate(window);
    QTest::keyClick(window, key, Qt::ControlModifier);
  }
  std::string Caption(std::string_view name) {
    return design.window().Find(name).widget()->property("text").toString().trimmed().toStdString();
  }

  ScratchFolder folder;
  DesignModel model;
  RunState& state = model.state();
  RecordingPlatform platform;
  FrmDesign design;
  ResponseLauncher& launcher;
  std::filesystem::path reportFile = folder.path() / "written.pdf";
  std::vector<std::string> suggestions;
};

// ---- Ctrl+C --------------------------------------------------------------------------------

struct CopyCase {
  std::string name;
  std::vector<std::string> clicks;  // design window commands, in order
  std::optional<LossSettings> losses;
  bool measuredLoad = false;
  std::vector<std::string> options;  // the same losses as corvantile-cli design's options
};

class CopyReportTest : public ReportCommandsTest, public ::testing::WithParamInterface<CopyCase> {};

TEST_P(CopyReportTest, ClipboardHoldsWhatTheCommandLineReportPrintsForTheSameDesign) {
  const CopyCase& c = GetParam();
  for (const std::string& name : c.clicks) Click(name);
  if (c.measuredLoad) Click(kMeasuredLoadButtonName);
  if (c.losses) design.document().settings().losses = c.losses;
  QGuiApplication::clipboard()->clear();
  Key(Qt::Key_C);
  const std::string copied = QGuiApplication::clipboard()->text().toStdString();

  // The tool designs the window's values again from a session file, with the same options.
  const std::filesystem::path session = folder.path() / "copied.CFG";
  RunState saved = state;
  ASSERT_TRUE(WriteSession(saved, session));
  std::vector<std::string> arguments{"design", "--session", session.string()};
  if (c.measuredLoad) {
    arguments.insert(arguments.end(), {"--load-file", (folder.path() / "antenna.s1p").string()});
  }
  arguments.insert(arguments.end(), c.options.begin(), c.options.end());
  const std::string printed = CliOutput(arguments);
  ASSERT_FALSE(printed.empty());
  EXPECT_EQ(copied, printed);
  EXPECT_EQ(copied.find("Losses at") != std::string::npos, c.losses.has_value());
  EXPECT_EQ(copied.find("Load: measured, antenna.s1p port 1") != std::string::npos, c.measuredLoad);
  // The window's captions are in it as shown.
  EXPECT_NE(copied.find(Caption("lblChangeNetPart2")), std::string::npos) << copied;
}

INSTANTIATE_TEST_SUITE_P(
    Designs, CopyReportTest,
    ::testing::Values(
        CopyCase{"Pi", {"cmdPi"}, std::nullopt, false, {}},
        CopyCase{"LowpassL", {"cmdLPFL"}, std::nullopt, false, {}},
        CopyCase{"LossyTeeCompensated",
                 {"cmdTee"},
                 LossSettings{200, 0.5, 2000, 0, {std::nullopt, 150.0, std::nullopt}, true},
                 false,
                 {"--q-inductor", "200", "--q-law-inductor", "0.5", "--q-capacitor", "2000",
                  "--q-law-capacitor", "0", "--q2", "150", "--compensate"}},
        CopyCase{"MeasuredLoadLossyInductors",
                 {"cmdPi"},
                 LossSettings{120, 1, 0, 0, {}, false},
                 true,
                 {"--q-inductor", "120", "--q-law-inductor", "1", "--q-capacitor", "ideal"}}),
    [](const ::testing::TestParamInfo<CopyCase>& tested) { return tested.param.name; });

TEST_F(ReportCommandsTest, EveryPartIdealCopiesNoLossesBlock) {
  design.document().settings().losses = LossSettings{0, 0.5, 0, 0, {}, true};
  Key(Qt::Key_C);
  const std::string copied = QGuiApplication::clipboard()->text().toStdString();
  EXPECT_EQ(copied.find("Losses"), std::string::npos);
  EXPECT_EQ(copied, CliOutput({"design"}));
}

// ---- Ctrl+P and "Report..." ----------------------------------------------------------------

TEST_F(ReportCommandsTest, CtrlPWritesThePdfWithThePartValuesAsTheWindowShowsThem) {
  Key(Qt::Key_P);
  ASSERT_EQ(suggestions.size(), 1u);
  EXPECT_EQ(suggestions[0], "design.pdf");
  EXPECT_TRUE(platform.messages.empty());
  ASSERT_EQ(ReadBytes(reportFile).substr(0, 5), "%PDF-");
  const std::string text = PdfText(reportFile);
  EXPECT_EQ(Caption("lblChangeNetPart1"), "117.768 pF");
  for (int k = 1; k <= 3; ++k) {
    const std::string value = Caption("lblChangeNetPart" + std::to_string(k));
    EXPECT_NE(text.find(value), std::string::npos) << value << " in\n" << text;
  }
  EXPECT_NE(text.find("117.768 pF"), std::string::npos);
  EXPECT_EQ(text.find("Tolerance"), std::string::npos);  // no run yet
}

TEST_F(ReportCommandsTest, ReportButtonSitsUnderResponseAndIsNextInTheFocusOrder) {
  QWidget* report = design.window().Find(kReportButtonName).widget();
  QWidget* response = design.window().Find(kResponseButtonName).widget();
  EXPECT_EQ(report->property("text").toString(), "Report...");
  EXPECT_EQ(report->width(), response->width());
  EXPECT_EQ(report->x(), response->x());
  EXPECT_GT(report->y(), response->y() + response->height() - 1);
  EXPECT_EQ(report->font(), response->font());
  EXPECT_EQ(report->palette().color(QPalette::Button), response->palette().color(QPalette::Button));
  EXPECT_EQ(report->focusPolicy(), Qt::StrongFocus);
  QWidget* next = response->nextInFocusChain();
  while (next->focusPolicy() != Qt::StrongFocus) next = next->nextInFocusChain();
  EXPECT_EQ(next, report);

  Click(kReportButtonName);
  ASSERT_EQ(suggestions.size(), 1u);
  EXPECT_EQ(ReadBytes(reportFile).substr(0, 5), "%PDF-");
}

TEST_F(ReportCommandsTest, FromTheResponseWindowWithAMeasuredLoadTheFileIsNamed) {
  Click(kMeasuredLoadButtonName);
  design.document().settings().losses = LossSettings{150, 0.5, 1500, 0, {}, false};
  launcher.Open();
  Key(Qt::Key_P, &launcher.Window());
  const std::string text = PdfText(reportFile);
  EXPECT_NE(text.find("load follows " + (folder.path() / "antenna.s1p").string()),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("Losses at the design frequency"), std::string::npos);
  EXPECT_NE(text.find(Caption("lblChangeNetPart2")), std::string::npos);
}

TEST_F(ReportCommandsTest, TheSuggestedNameFollowsTheDesignFile) {
  const std::filesystem::path tank = folder.path() / "tank.cfg";
  ASSERT_TRUE(design.document().SaveAs(tank));
  Key(Qt::Key_P);
  ASSERT_EQ(suggestions.size(), 1u);
  EXPECT_EQ(suggestions[0], (folder.path() / "tank.pdf").string());
}

TEST_F(ReportCommandsTest, AWriteErrorIsShownInOneLineAndCancellingWritesNothing) {
  reportFile = folder.path() / "no such folder" / "r.pdf";
  Key(Qt::Key_P);
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_NE(platform.messages[0].find("cannot write"), std::string::npos) << platform.messages[0];
  EXPECT_EQ(platform.messages[0].find('\n'), std::string::npos);

  reportFile.clear();  // the chooser cancelled
  Key(Qt::Key_P);
  EXPECT_EQ(platform.messages.size(), 1u);
  EXPECT_FALSE(std::filesystem::exists(folder.path() / "written.pdf"));
}

TEST_F(ReportCommandsTest, AnImpossibleDesignStillWritesItsReportSayingWhy) {
  state.NetValues[NetworkPhase] = 0.0f;  // no network has a phase of 0
  design.logic().RefreshDesign();
  ASSERT_EQ(design.logic().LastOutcome(), DesignOutcome::Impossible);
  Key(Qt::Key_P);
  EXPECT_TRUE(platform.messages.empty());
  EXPECT_NE(PdfText(reportFile).find("impossible design"), std::string::npos);
  Key(Qt::Key_C);
  EXPECT_NE(QGuiApplication::clipboard()->text().toStdString().find("impossible design"),
            std::string::npos);
}

TEST_F(ReportCommandsTest, TheToleranceResultsAreListedWhileTheyAreForThisDesign) {
  launcher.Open();
  TolerancePage* page = launcher.Window().tolerancePage();
  ToleranceSettings few = page->settings();
  few.builds = 200;
  QSignalSpy finished(page, &TolerancePage::finished);
  page->SetSettings(few);
  while (page->running() || !page->result()) ASSERT_TRUE(finished.wait(60000));
  const std::vector<std::string> lines = page->ResultLines(design.logic().LastOutcome());
  ASSERT_FALSE(lines.empty());
  Key(Qt::Key_P);
  const std::string text = PdfText(reportFile);
  EXPECT_NE(text.find("Tolerance"), std::string::npos);
  EXPECT_NE(text.find(lines[1]), std::string::npos) << lines[1] << " in\n" << text;

  // Another design: the old run's figures are not this design's.
  launcher.Window().close();
  Click("cmdTee");
  EXPECT_TRUE(page->ResultLines(design.logic().LastOutcome()).empty());
  Key(Qt::Key_P);
  EXPECT_EQ(PdfText(reportFile).find("Tolerance"), std::string::npos);
}

// A band design ticked for the report is listed while it is for this source and load; another
// load leaves it out.
TEST_F(ReportCommandsTest, TheChosenBandDesignIsListedWhenTicked) {
  launcher.Open();
  BandPage* page = launcher.Window().bandPage();
  page->bandsEdit()->setText("3.6M:3.9M");
  page->elementsBox()->setValue(2);
  ASSERT_TRUE(page->Search());
  ASSERT_TRUE(QTest::qWaitFor([&] { return !page->searching(); }, 60000));
  EXPECT_TRUE(page->ReportLines().empty());  // not ticked yet
  Key(Qt::Key_P);
  EXPECT_EQ(PdfText(reportFile).find("Band match"), std::string::npos);

  page->reportBox()->setChecked(true);
  const std::vector<std::string> lines = page->ReportLines();
  ASSERT_GE(lines.size(), 4u);
  Key(Qt::Key_P);
  const std::string text = PdfText(reportFile);
  EXPECT_NE(text.find("Band match"), std::string::npos) << text;
  EXPECT_NE(text.find(lines[0]), std::string::npos) << lines[0] << " in\n" << text;

  // The load follows a file: the search was for another load.
  launcher.Window().close();
  Click(kMeasuredLoadButtonName);
  EXPECT_TRUE(page->ReportLines().empty());
}

// The Band page and corvantile-cli band ask the design model the same question: the same
// designs, figure for figure, for the same source, load and band.
TEST_F(ReportCommandsTest, TheBandPageFindsWhatTheCommandLineFinds) {
  launcher.Open();
  BandPage* page = launcher.Window().bandPage();
  page->bandsEdit()->setText("3.6M:3.9M");
  page->elementsBox()->setValue(3);
  ASSERT_TRUE(page->Search());
  ASSERT_TRUE(QTest::qWaitFor([&] { return !page->searching(); }, 60000));
  ASSERT_TRUE(page->answer());
  const std::string csv =
      CliOutput({"band", "--band", "3.6M:3.9M", "--elements", "3", "--format", "csv"});
  std::istringstream lines(csv);
  std::string line;
  std::getline(lines, line);  // the heading
  std::size_t k = 0;
  for (; std::getline(lines, line); ++k) {
    ASSERT_LT(k, page->answer()->match.designs.size()) << line;
    const BandDesign& d = page->answer()->match.designs[k];
    const std::string expected = std::to_string(d.circuit.elements.size()) + ',' +
                                 ExactNumber(d.figures.worstReturnLossDb) + ',';
    EXPECT_EQ(line.rfind(expected, 0), 0u) << line << " against " << expected;
  }
  EXPECT_EQ(k, page->answer()->match.designs.size());
}

}  // namespace
}  // namespace corvantile
