#pragma once

// A small PDF 1.4 writer for the design report: A4 pages of text in the base-14 fonts
// Helvetica and Helvetica-Bold (WinAnsi encoding), lines, rectangles and polylines, without
// compression. The same drawing calls give the same bytes: no dates, no identifiers.
//
//   PdfDocument pdf;
//   pdf.NewPage();
//   pdf.Text(50, 60, 16, PdfFont::Bold, "Corvantile design");
//   pdf.Line(50, 70, 545, 70);
//   const std::string bytes = pdf.Finish();
//
// Coordinates are points (1/72 inch) from the page's top-left corner, y growing downwards, so
// a layout reads in the order it is written; the writer turns them into PDF's own.
#include <string>
#include <string_view>
#include <vector>

namespace corvantile::report {

inline constexpr double kA4Width = 595.0;   // points
inline constexpr double kA4Height = 842.0;  // points

enum class PdfFont { Regular, Bold };

struct PdfPoint {
  double x = 0.0;
  double y = 0.0;
};

struct PdfColor {
  double r = 0.0, g = 0.0, b = 0.0;  // 0 to 1
};

class PdfDocument {
 public:
  // Starts a new A4 page; every drawing call goes to the last page started.
  void NewPage();
  int PageCount() const { return static_cast<int>(pages_.size()); }

  // Text with its baseline's left end at (x, y). UTF-8 in; characters WinAnsi lacks print "?".
  void Text(double x, double y, double size, PdfFont font, std::string_view text);
  // The same with the baseline's right end at x.
  void TextRight(double x, double y, double size, PdfFont font, std::string_view text);

  void SetStrokeColor(PdfColor color);
  void SetFillColor(PdfColor color);
  void SetLineWidth(double width);
  void Line(double x1, double y1, double x2, double y2);
  void Rectangle(double x, double y, double width, double height, bool filled = false);
  void Polyline(const std::vector<PdfPoint>& points);
  // A circle drawn as four Bezier quarters.
  void Circle(double cx, double cy, double radius);

  // The whole file. The document stays as it is.
  std::string Finish() const;

 private:
  std::string& Content();
  std::vector<std::string> pages_;
};

// The width in points of `text` in Helvetica or Helvetica-Bold at `size`.
double TextWidth(std::string_view text, double size, PdfFont font);

// `text` (UTF-8) as WinAnsi bytes: ASCII and Latin-1 as they are, the rest as '?'.
std::string ToWinAnsi(std::string_view text);

}  // namespace corvantile::report
