#include "report/pdf_writer.h"

#include <string>

#include <gtest/gtest.h>

namespace corvantile::report {
namespace {

// The byte offset the xref table gives for object `number`.
std::size_t XrefOffset(const std::string& file, int number) {
  const std::size_t table = file.find("xref\n");
  const std::size_t entry = file.find('\n', file.find('\n', table) + 1) + 1 + 20 * number;
  return std::stoul(file.substr(entry, 10));
}

TEST(PdfWriterTest, EveryXrefOffsetPointsAtItsObject) {
  PdfDocument pdf;
  pdf.NewPage();
  pdf.Text(50, 60, 12, PdfFont::Bold, "first page");
  pdf.NewPage();
  pdf.Polyline({{10, 10}, {20, 30}, {40, 10}});
  const std::string file = pdf.Finish();
  ASSERT_EQ(file.rfind("%PDF-1.4\n", 0), 0u);
  ASSERT_TRUE(file.ends_with("%%EOF\n"));
  // Catalog, pages, two fonts, then a page and its content per page.
  for (int number = 1; number <= 8; ++number) {
    EXPECT_EQ(file.compare(XrefOffset(file, number), std::to_string(number).size() + 6,
                           std::to_string(number) + " 0 obj"),
              0)
        << "object " << number;
  }
  const std::size_t startxref = file.rfind("startxref\n") + 10;
  EXPECT_EQ(std::stoul(file.substr(startxref)), file.find("xref\n"));
  EXPECT_NE(file.find("/Count 2"), std::string::npos);
}

TEST(PdfWriterTest, StreamLengthsAreExact) {
  PdfDocument pdf;
  pdf.Rectangle(10, 20, 30, 40, true);
  pdf.Circle(100, 100, 20);
  const std::string file = pdf.Finish();
  const std::size_t length = file.find("/Length ") + 8;
  const std::size_t size = std::stoul(file.substr(length));
  const std::size_t start = file.find("stream\n", length) + 7;
  EXPECT_EQ(file.compare(start + size, 9, "endstream"), 0);
}

TEST(PdfWriterTest, SameDrawingSameBytes) {
  auto draw = [] {
    PdfDocument pdf;
    pdf.NewPage();
    pdf.Text(1.005, 2.5, 9, PdfFont::Regular, "117.768 pF");
    pdf.Line(0, 0, 595, 842);
    return pdf.Finish();
  };
  EXPECT_EQ(draw(), draw());
}

TEST(PdfWriterTest, CoordinatesAreFromTheTopLeft) {
  PdfDocument pdf;
  pdf.Line(10, 0, 20, 842);
  // y 0 at the top is PDF's 842; y 842 at the bottom is its 0.
  EXPECT_NE(pdf.Finish().find("10 842 m 20 0 l S"), std::string::npos);
}

struct AnsiCase {
  std::string utf8;
  std::string winAnsi;
};

class WinAnsiTest : public ::testing::TestWithParam<AnsiCase> {};

TEST_P(WinAnsiTest, Converts) { EXPECT_EQ(ToWinAnsi(GetParam().utf8), GetParam().winAnsi); }

INSTANTIATE_TEST_SUITE_P(Texts, WinAnsiTest,
                         ::testing::Values(AnsiCase{"117.768 pF", "117.768 pF"},
                                           AnsiCase{"90\xC2\xB0", "90\xB0"},
                                           AnsiCase{"\xC2\xB5H", "\xB5H"},
                                           AnsiCase{"\xCE\xA9", "?"},
                                           AnsiCase{"a\xFF"
                                                    "b",
                                                    "a?b"},
                                           AnsiCase{"\xE2\x82", "??"}));

TEST(PdfWriterTest, SpecialCharactersAreEscaped) {
  PdfDocument pdf;
  pdf.Text(0, 0, 10, PdfFont::Regular, "(a\\b)");
  EXPECT_NE(pdf.Finish().find("(\\(a\\\\b\\)) Tj"), std::string::npos);
}

TEST(PdfWriterTest, TextWidthFollowsTheFontMetrics) {
  // A digit is 556/1000 em in both fonts; "i" is narrower in the regular one.
  EXPECT_DOUBLE_EQ(TextWidth("00", 10, PdfFont::Regular), 11.12);
  EXPECT_LT(TextWidth("i", 10, PdfFont::Regular), TextWidth("i", 10, PdfFont::Bold));
}

}  // namespace
}  // namespace corvantile::report
