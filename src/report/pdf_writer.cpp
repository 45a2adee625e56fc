#include "report/pdf_writer.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace corvantile::report {
namespace {

// Advance widths (1/1000 em) of the printable ASCII characters, space to tilde, from the
// fonts' metrics; every other character is taken as a digit's width.
constexpr std::array<short, 95> kHelveticaWidths{
    278, 278, 355, 556, 556, 889, 667, 191, 333, 333, 389, 584, 278, 333,  278, 278, 556, 556, 556,
    556, 556, 556, 556, 556, 556, 556, 278, 278, 584, 584, 584, 556, 1015, 667, 667, 722, 722, 667,
    611, 778, 722, 278, 500, 667, 556, 833, 722, 778, 667, 778, 722, 667,  611, 722, 667, 944, 667,
    667, 611, 278, 278, 278, 469, 556, 333, 556, 556, 500, 556, 556, 278,  556, 556, 222, 222, 500,
    222, 833, 556, 556, 556, 556, 333, 500, 278, 556, 500, 722, 500, 500,  500, 334, 260, 334, 584};
constexpr std::array<short, 95> kHelveticaBoldWidths{
    278, 333, 474, 556, 556, 889, 722, 238, 333, 333, 389, 584, 278, 333, 278, 278, 556, 556, 556,
    556, 556, 556, 556, 556, 556, 556, 333, 333, 584, 584, 584, 611, 975, 722, 722, 722, 722, 667,
    611, 778, 722, 278, 556, 722, 611, 833, 722, 778, 667, 778, 722, 667, 611, 722, 667, 944, 667,
    667, 611, 333, 278, 333, 584, 556, 333, 556, 611, 556, 611, 556, 333, 611, 611, 278, 278, 556,
    278, 889, 611, 611, 611, 611, 389, 556, 333, 611, 556, 778, 556, 556, 500, 389, 280, 389, 584};

// A coordinate in PDF's number syntax: two decimals, a point whatever the locale.
std::string Number(double value) {
  if (!std::isfinite(value)) value = 0.0;
  if (std::fabs(value) < 0.005) value = 0.0;  // no "-0.00"
  std::array<char, 32> buffer{};
  const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                    std::chars_format::fixed, 2);
  std::string text(buffer.data(), result.ptr);
  while (text.back() == '0') text.pop_back();
  if (text.back() == '.') text.pop_back();
  return text;
}

std::string Point(double x, double y) { return Number(x) + ' ' + Number(kA4Height - y); }

// A string literal: the WinAnsi bytes with the three special characters escaped.
std::string Literal(std::string_view text) {
  std::string out = "(";
  for (const char c : ToWinAnsi(text)) {
    if (c == '(' || c == ')' || c == '\\') out += '\\';
    out += c;
  }
  return out + ')';
}

std::string Offset10(std::size_t offset) {
  std::array<char, 16> buffer{};
  std::snprintf(buffer.data(), buffer.size(), "%010zu", offset);
  return buffer.data();
}

}  // namespace

std::string ToWinAnsi(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size();) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte < 0x80) {
      out += static_cast<char>(byte);
      ++i;
      continue;
    }
    // The length of the UTF-8 sequence and its code point; a stray byte counts as one.
    std::size_t length = 1;
    unsigned code = 0;
    if ((byte & 0xE0) == 0xC0)
      length = 2, code = byte & 0x1F;
    else if ((byte & 0xF0) == 0xE0)
      length = 3, code = byte & 0x0F;
    else if ((byte & 0xF8) == 0xF0)
      length = 4, code = byte & 0x07;
    bool valid = length > 1 && i + length <= text.size();
    for (std::size_t k = 1; valid && k < length; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      valid = (next & 0xC0) == 0x80;
      code = (code << 6) | (next & 0x3F);
    }
    if (!valid) length = 1;
    out += valid && code >= 0xA0 && code <= 0xFF ? static_cast<char>(code) : '?';
    i += length;
  }
  return out;
}

double TextWidth(std::string_view text, double size, PdfFont font) {
  const auto& widths = font == PdfFont::Bold ? kHelveticaBoldWidths : kHelveticaWidths;
  double units = 0.0;
  for (const char c : ToWinAnsi(text)) {
    const auto code = static_cast<unsigned char>(c);
    units += code >= 32 && code <= 126 ? widths[code - 32] : 556;
  }
  return units * size / 1000.0;
}

std::string& PdfDocument::Content() {
  if (pages_.empty()) NewPage();
  return pages_.back();
}

void PdfDocument::NewPage() { pages_.emplace_back("0 0 0 RG 0 0 0 rg 1 w\n"); }

void PdfDocument::Text(double x, double y, double size, PdfFont font, std::string_view text) {
  Content() += "BT /" + std::string(font == PdfFont::Bold ? "F2 " : "F1 ") + Number(size) + " Tf " +
               Point(x, y) + " Td " + Literal(text) + " Tj ET\n";
}

void PdfDocument::TextRight(double x, double y, double size, PdfFont font, std::string_view text) {
  Text(x - TextWidth(text, size, font), y, size, font, text);
}

void PdfDocument::SetStrokeColor(PdfColor color) {
  Content() += Number(color.r) + ' ' + Number(color.g) + ' ' + Number(color.b) + " RG\n";
}

void PdfDocument::SetFillColor(PdfColor color) {
  Content() += Number(color.r) + ' ' + Number(color.g) + ' ' + Number(color.b) + " rg\n";
}

void PdfDocument::SetLineWidth(double width) { Content() += Number(width) + " w\n"; }

void PdfDocument::Line(double x1, double y1, double x2, double y2) {
  Content() += Point(x1, y1) + " m " + Point(x2, y2) + " l S\n";
}

void PdfDocument::Rectangle(double x, double y, double width, double height, bool filled) {
  Content() += Number(x) + ' ' + Number(kA4Height - y - height) + ' ' + Number(width) + ' ' +
               Number(height) + (filled ? " re f\n" : " re S\n");
}

void PdfDocument::Polyline(const std::vector<PdfPoint>& points) {
  if (points.size() < 2) return;
  std::string& content = Content();
  content += Point(points.front().x, points.front().y) + " m";
  for (std::size_t i = 1; i < points.size(); ++i) {
    content += ' ' + Point(points[i].x, points[i].y) + " l";
  }
  content += " S\n";
}

void PdfDocument::Circle(double cx, double cy, double radius) {
  // 0.5523 r: the control distance that makes a Bezier quarter follow the circle.
  const double k = 0.5523 * radius;
  std::string& content = Content();
  content += Point(cx + radius, cy) + " m ";
  content += Point(cx + radius, cy - k) + ' ' + Point(cx + k, cy - radius) + ' ' +
             Point(cx, cy - radius) + " c ";
  content += Point(cx - k, cy - radius) + ' ' + Point(cx - radius, cy - k) + ' ' +
             Point(cx - radius, cy) + " c ";
  content += Point(cx - radius, cy + k) + ' ' + Point(cx - k, cy + radius) + ' ' +
             Point(cx, cy + radius) + " c ";
  content += Point(cx + k, cy + radius) + ' ' + Point(cx + radius, cy + k) + ' ' +
             Point(cx + radius, cy) + " c S\n";
}

std::string PdfDocument::Finish() const {
  std::vector<std::string> pages = pages_;
  if (pages.empty()) pages.emplace_back();
  // Objects: 1 catalog, 2 page tree, 3 and 4 the fonts, then each page and its content.
  std::vector<std::string> objects;
  std::string kids;
  for (std::size_t i = 0; i < pages.size(); ++i) {
    kids += (i ? " " : "") + std::to_string(5 + 2 * i) + " 0 R";
  }
  objects.push_back("<< /Type /Catalog /Pages 2 0 R >>");
  objects.push_back("<< /Type /Pages /Kids [" + kids + "] /Count " + std::to_string(pages.size()) +
                    " >>");
  objects.push_back(
      "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>");
  objects.push_back(
      "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica-Bold /Encoding /WinAnsiEncoding >>");
  for (std::size_t i = 0; i < pages.size(); ++i) {
    objects.push_back("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 " + Number(kA4Width) + ' ' +
                      Number(kA4Height) +
                      "] /Resources << /Font << /F1 3 0 R /F2 4 0 R >> >> /Contents " +
                      std::to_string(6 + 2 * i) + " 0 R >>");
    objects.push_back("<< /Length " + std::to_string(pages[i].size()) + " >>\nstream\n" + pages[i] +
                      "endstream");
  }
  std::string file = "%PDF-1.4\n%\xE2\xE3\xCF\xD3\n";
  std::vector<std::size_t> offsets;
  for (std::size_t i = 0; i < objects.size(); ++i) {
    offsets.push_back(file.size());
    file += std::to_string(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
  }
  const std::size_t xref = file.size();
  file += "xref\n0 " + std::to_string(objects.size() + 1) + "\n0000000000 65535 f \n";
  for (const std::size_t offset : offsets) file += Offset10(offset) + " 00000 n \n";
  file += "trailer\n<< /Size " + std::to_string(objects.size() + 1) +
          " /Root 1 0 R >>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n";
  return file;
}

}  // namespace corvantile::report
