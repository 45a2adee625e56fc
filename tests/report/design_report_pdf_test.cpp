#include "report/design_report_pdf.h"

#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "design/design_captions.h"
#include "math/design_network.h"
#include "report/report_text.h"
#include "state/names.h"
#include "support/design_cases.h"
#include "support/files.h"
#include "support/process.h"
#include "units/format.h"

namespace corvantile::report {
namespace {

using corvantile::testing::DesignCase;
using corvantile::testing::Environment;
using corvantile::testing::Quoted;
using corvantile::testing::ReadBytes;
using corvantile::testing::RunCommand;
using corvantile::testing::StateFor;
using corvantile::testing::TemporaryFile;
using corvantile::testing::WriteBytes;

std::string Trimmed(std::string text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return "";
  text.erase(0, first);
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

// Runs of blanks and line breaks as one blank, so that text compares whatever the layout.
std::string Squeezed(const std::string& text) {
  std::string out;
  for (const char c : text) {
    const bool blank = c == ' ' || c == '\n' || c == '\t' || c == '\f' || c == '\r';
    if (blank) {
      if (!out.empty() && out.back() != ' ') out += ' ';
    } else {
      out += c;
    }
  }
  return out;
}

struct ReportCase {
  std::string name;
  float family = FamilyPi;
  bool lossy = false;
};

class DesignReportPdfTest : public ::testing::TestWithParam<ReportCase> {
 protected:
  void SetUp() override {
    DesignCase c;
    c.family = GetParam().family;
    c.source = {1, 1500.0f, 0.0f};
    c.load = {1, 300.0f, 0.0f};
    inputs_.state = StateFor(c);
    inputs_.outcome = RunDesignPass(inputs_.state);
    ASSERT_EQ(inputs_.outcome, DesignOutcome::Designed);
    if (GetParam().lossy) inputs_.losses = LossModel{};
    pdfFile_ = TemporaryFile("report_" + GetParam().name + ".pdf");
    WriteBytes(pdfFile_, DesignReportPdf(inputs_));
  }

  // pdftotext's text of the whole file, squeezed.
  std::string PdfText() const {
    int status = -1;
    const std::string text = RunCommand(
        Quoted(Environment("CORVANTILE_PDFTOTEXT")) + " " + Quoted(pdfFile_) + " -", status);
    EXPECT_EQ(status, 0);
    return Squeezed(text);
  }

  ReportInputs inputs_;
  std::filesystem::path pdfFile_;
};

TEST_P(DesignReportPdfTest, TextHoldsEveryPartValueAsTheReportTextHasIt) {
  const std::string pdfText = PdfText();
  const std::string reportText = DesignReport(inputs_.state, inputs_.outcome);
  const DesignCaptions shown = ComputeDesignCaptions(inputs_.state, inputs_.outcome);
  int parts = 0;
  for (int k = 1; k <= 3; ++k) {
    if (IsAbsentPart(inputs_.state.NetValues[NetPart1 + k - 1], inputs_.state.startup)) continue;
    const std::string value = Trimmed(shown.captions.at("lblChangeNetPart" + std::to_string(k)));
    ++parts;
    EXPECT_NE(reportText.find(value), std::string::npos) << value;
    EXPECT_NE(pdfText.find(value), std::string::npos) << value << " in\n" << pdfText;
  }
  EXPECT_EQ(parts,
            GetParam().family == FamilyLowpassL || GetParam().family == FamilyHighpassL ? 2 : 3);
}

TEST_P(DesignReportPdfTest, TextHoldsTheInputs) {
  const std::string pdfText = PdfText();
  const NetworkValues& net = inputs_.state.NetValues;
  for (const std::string& expected :
       {std::string("Corvantile design"), Trimmed(FormatFrequency(net[Frequency]) + "Hz"),
        std::string(FindFamilyNames(GetParam().family)->text), std::string("Source:"),
        std::string("Load:"),
        Trimmed(FormatQuantity(inputs_.state.SourceValues[SeriesR])) + " ohms",
        Trimmed(FormatQuantity(inputs_.state.LoadValues[SeriesR])) + " ohms",
        std::string("1 kW"), std::string("+j1"), std::string("-j0.5")}) {
    EXPECT_NE(pdfText.find(Squeezed(expected)), std::string::npos) << expected << " in\n"
                                                                   << pdfText;
  }
  // The intermediate resistance carries its unit, which the window's caption leaves out.
  const std::string intermediate = Trimmed(
      ComputeDesignCaptions(inputs_.state, inputs_.outcome).captions.at("lblIntermediateR"));
  EXPECT_NE(pdfText.find(Squeezed(intermediate) + " ohms"), std::string::npos) << pdfText;
  EXPECT_EQ(pdfText.find("efficiency") != std::string::npos, GetParam().lossy);
  EXPECT_EQ(pdfText.find("Compensated values") != std::string::npos, GetParam().lossy);
  EXPECT_NE(pdfText.find("nearest"), std::string::npos);
  EXPECT_NE(pdfText.find("rated volts"), std::string::npos);
}

// Counts the pixels of a binary PPM (P6) darker than near-white inside a box (pixels).
int DarkPixels(const std::string& ppm, int x0, int y0, int x1, int y1, int& width, int& height) {
  int maxValue = 0, consumed = 0;
  if (std::sscanf(ppm.c_str(), "P6 %d %d %d%n", &width, &height, &maxValue, &consumed) != 3) {
    return -1;
  }
  const std::size_t start = static_cast<std::size_t>(consumed) + 1;
  int dark = 0;
  for (int y = y0; y < y1 && y < height; ++y) {
    for (int x = x0; x < x1 && x < width; ++x) {
      const std::size_t at = start + 3 * (static_cast<std::size_t>(y) * width + x);
      if (at + 2 >= ppm.size()) return -1;
      const auto r = static_cast<unsigned char>(ppm[at]);
      const auto g = static_cast<unsigned char>(ppm[at + 1]);
      const auto b = static_cast<unsigned char>(ppm[at + 2]);
      if (r < 200 || g < 200 || b < 200) ++dark;
    }
  }
  return dark;
}

TEST_P(DesignReportPdfTest, PageOneRendersWithTheSchematicAndThePlots) {
  const std::string pdftoppm = Quoted(Environment("CORVANTILE_PDFTOPPM"));
  const std::filesystem::path base = TemporaryFile("page_" + GetParam().name);
  int status = -1;
  // At 72 dpi one pixel is one point: A4 is 595 x 842.
  RunCommand(pdftoppm + " -r 72 -f 1 -l 1 -singlefile -png " + Quoted(pdfFile_) + " " +
                 Quoted(base) + " 2>&1",
             status);
  ASSERT_EQ(status, 0);
  const std::string png = ReadBytes(base.string() + ".png");
  ASSERT_GT(png.size(), 24u);
  ASSERT_EQ(png.substr(1, 3), "PNG");
  auto bigEndian = [&](std::size_t at) {
    unsigned value = 0;
    for (std::size_t i = 0; i < 4; ++i)
      value = value << 8 | static_cast<unsigned char>(png[at + i]);
    return value;
  };
  EXPECT_EQ(bigEndian(16), 595u);
  EXPECT_EQ(bigEndian(20), 842u);

  RunCommand(
      pdftoppm + " -r 72 -f 1 -l 1 -singlefile " + Quoted(pdfFile_) + " " + Quoted(base) + " 2>&1",
      status);
  ASSERT_EQ(status, 0);
  const std::string ppm = ReadBytes(base.string() + ".ppm");
  int width = 0, height = 0;
  // The schematic's band, the response plot and the Smith chart.
  EXPECT_GT(DarkPixels(ppm, 60, 200, 535, 300, width, height), 500);
  EXPECT_EQ(width, 595);
  EXPECT_EQ(height, 842);
  EXPECT_GT(DarkPixels(ppm, 82, 420, 338, 618, width, height), 500);
  EXPECT_GT(DarkPixels(ppm, 360, 420, 540, 610, width, height), 500);
  // The margin stays white.
  EXPECT_EQ(DarkPixels(ppm, 0, 0, 40, 842, width, height), 0);
}

INSTANTIATE_TEST_SUITE_P(Families, DesignReportPdfTest,
                         ::testing::Values(ReportCase{"pi", FamilyPi}, ReportCase{"tee", FamilyTee},
                                           ReportCase{"lowpass", FamilyLowpassL},
                                           ReportCase{"highpass", FamilyHighpassL},
                                           ReportCase{"lossy_pi", FamilyPi, true},
                                           ReportCase{"lossy_tee", FamilyTee, true}),
                         [](const ::testing::TestParamInfo<ReportCase>& test) {
                           return test.param.name;
                         });

// Page 1 rendered at 72 dpi (one pixel a point) as a binary PPM.
std::string RenderedPageOne(const ReportInputs& inputs, const std::string& name) {
  const std::filesystem::path pdf = TemporaryFile(name + ".pdf");
  const std::filesystem::path base = TemporaryFile(name);
  WriteBytes(pdf, DesignReportPdf(inputs));
  int status = -1;
  RunCommand(Quoted(Environment("CORVANTILE_PDFTOPPM")) + " -r 72 -f 1 -l 1 -singlefile " +
                 Quoted(pdf) + " " + Quoted(base) + " 2>&1",
             status);
  EXPECT_EQ(status, 0);
  return ReadBytes(base.string() + ".ppm");
}

// A reactive load is drawn with its reactance beside the resistor, as the design window draws
// it; a small power keeps its digits; the rule under the title stays clear of the first heading.
TEST(DesignReportPdf, PageOneDrawsWhatTheInputsSay) {
  DesignCase c;
  c.source = {1, 1500.0f, 0.0f};
  c.load = {1, 300.0f, 0.0f};
  ReportInputs resistive;
  resistive.state = StateFor(c);
  resistive.outcome = RunDesignPass(resistive.state);
  c.load = {1, 300.0f, -400.0f};
  c.power = 1e-3f;
  ReportInputs reactive;
  reactive.state = StateFor(c);
  reactive.outcome = RunDesignPass(reactive.state);
  ASSERT_EQ(reactive.outcome, DesignOutcome::Designed);

  int width = 0, height = 0;
  // The load's series capacitor sits on the rail 45 points inside the load's resistor.
  const int loadPartX = 595 - 50 - 30 - 45;
  const std::string plain = RenderedPageOne(resistive, "resistive_load");
  const std::string drawn = RenderedPageOne(reactive, "reactive_load");
  const int railOnly = DarkPixels(plain, loadPartX - 12, 180, loadPartX + 12, 320, width, height);
  const int withPart = DarkPixels(drawn, loadPartX - 12, 180, loadPartX + 12, 320, width, height);
  EXPECT_GT(withPart, railOnly + 20) << railOnly << " " << withPart;
  // Between the title's rule and the heading below it, a clear row.
  int clearRows = 0;
  for (int y = 66; y < 80; ++y) {
    if (DarkPixels(drawn, 50, y, 120, y + 1, width, height) == 0) ++clearRows;
  }
  EXPECT_GE(clearRows, 2);

  const std::filesystem::path file = TemporaryFile("small_power.pdf");
  WriteBytes(file, DesignReportPdf(reactive));
  int status = -1;
  const std::string text =
      RunCommand(Quoted(Environment("CORVANTILE_PDFTOTEXT")) + " " + Quoted(file) + " -", status);
  EXPECT_NE(Squeezed(text).find(" 1 mW "), std::string::npos) << text;
}

TEST(DesignReportPdf, ImpossibleDesignStillWritesAReadableFile) {
  DesignCase c;
  c.family = FamilyLowpassL;
  c.source = {1, 300.0f, 0.0f};  // an L cannot match equal resistances
  c.load = {1, 300.0f, 0.0f};
  ReportInputs inputs;
  inputs.state = StateFor(c);
  inputs.outcome = RunDesignPass(inputs.state);
  ASSERT_EQ(inputs.outcome, DesignOutcome::Impossible);
  const std::string pdf = DesignReportPdf(inputs);
  EXPECT_EQ(pdf.rfind("%PDF-1.4", 0), 0u);
  EXPECT_TRUE(pdf.ends_with("%%EOF\n"));
}

}  // namespace
}  // namespace corvantile::report
