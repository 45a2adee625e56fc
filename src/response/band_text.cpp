#include "response/band_text.h"

#include <charconv>
#include <cmath>

#include "analysis/formats/number_text.h"
#include "state/message_text.h"
#include "units/parse.h"

namespace corvantile {
namespace {

std::string_view Trimmed(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

// A frequency of the band, or the reason it is none.
std::optional<double> ReadEdge(std::string_view text, std::string& error) {
  const StrictValue read = ParseValueStrict(Trimmed(text));
  if (read.problem != StrictProblem::None) {
    error = QuotedValue(Trimmed(text)) + " " + StrictProblemText(read.problem);
    return std::nullopt;
  }
  if (!(read.value > 0.0)) {
    error = "a band must start above 0 Hz";
    return std::nullopt;
  }
  return read.value;
}

// 3.6e6 -> "3.6M", 950 -> "950", 1.25e9 -> "1.25G": nine significant digits at most.
std::string ShortValue(double value) {
  static constexpr struct {
    double scale;
    char prefix;
  } kPrefixes[] = {{1e9, 'G'}, {1e6, 'M'}, {1e3, 'k'}};
  char buffer[32];
  for (const auto& p : kPrefixes) {
    if (std::fabs(value) >= p.scale) {
      const auto end = std::to_chars(buffer, buffer + sizeof buffer, value / p.scale,
                                     std::chars_format::general, 9);
      return std::string(buffer, end.ptr) + p.prefix;
    }
  }
  const auto end =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 9);
  return std::string(buffer, end.ptr);
}

}  // namespace

BandReading ReadBand(std::string_view text) {
  BandReading reading;
  text = Trimmed(text);
  if (text.empty()) return reading;
  const std::size_t colon = text.find(':');
  if (colon == std::string_view::npos || text.find(':', colon + 1) != std::string_view::npos) {
    reading.error = QuotedValue(text) + " is not a band F1:F2 (3.6M:3.9M)";
    return reading;
  }
  const std::optional<double> from = ReadEdge(text.substr(0, colon), reading.error);
  if (!from) return reading;
  const std::optional<double> to = ReadEdge(text.substr(colon + 1), reading.error);
  if (!to) return reading;
  if (!(*to > *from)) {
    reading.error = "band " + std::string(text) + " must end above its start";
    return reading;
  }
  reading.band = std::array<double, 2>{*from, *to};
  return reading;
}

BandsReading ReadBands(std::string_view text) {
  BandsReading reading;
  while (!Trimmed(text).empty()) {
    const std::size_t end = text.find_first_of(",;");
    const std::string_view piece = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
    if (Trimmed(piece).empty()) continue;
    const BandReading one = ReadBand(piece);
    if (!one.Ok()) {
      reading.error = one.error;
      reading.bands.clear();
      return reading;
    }
    const FrequencyBand band{(*one.band)[0], (*one.band)[1]};
    for (const FrequencyBand& other : reading.bands) {
      if (band.from < other.to && other.from < band.to) {
        reading.error = "bands " + BandEntryText({other.from, other.to}) + " and " +
                        BandEntryText({band.from, band.to}) + " overlap";
        reading.bands.clear();
        return reading;
      }
    }
    reading.bands.push_back(band);
  }
  return reading;
}

std::string BandEntryText(const std::array<double, 2>& band) {
  return ShortValue(band[0]) + ':' + ShortValue(band[1]);
}

std::string BandsEntryText(const std::vector<FrequencyBand>& bands) {
  std::string text;
  for (const FrequencyBand& b : bands) {
    if (!text.empty()) text += ", ";
    text += BandEntryText({b.from, b.to});
  }
  return text;
}

}  // namespace corvantile
