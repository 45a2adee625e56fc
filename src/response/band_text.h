#pragma once

// Frequency bands as the response window's pages take them in a text box and show them back.
// The numbers are read with the program's own value notation (never the locale's).
//
//   ReadBand("3.6M:3.9M")            -> {3.6e6, 3.9e6}
//   ReadBand("")                     -> no band, and no error
//   ReadBands("3.5M:3.8M, 7M:7.2M")  -> two bands
//   ReadBand("3.9M:3.6M")            -> an error: "the band must end above its start"
#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/studies/bode_fano.h"

namespace corvantile {

// One band read from "F1:F2"; `error` says why not in one line. An empty (or blank) text is no
// band and no error.
struct BandReading {
  std::optional<std::array<double, 2>> band;
  std::string error;
  bool Ok() const { return error.empty(); }
};
BandReading ReadBand(std::string_view text);

// Several bands, separated by commas or semicolons, in the order typed; empty text is no band
// and no error. The first band that cannot be read (or one that overlaps another) is the error.
struct BandsReading {
  std::vector<FrequencyBand> bands;
  std::string error;
  bool Ok() const { return error.empty(); }
};
BandsReading ReadBands(std::string_view text);

// The text ReadBand reads back to the same band (to nine significant digits):
// {3.6e6, 3.9e6} -> "3.6M:3.9M".
std::string BandEntryText(const std::array<double, 2>& band);
// "3.5M:3.8M, 7M:7.2M".
std::string BandsEntryText(const std::vector<FrequencyBand>& bands);

}  // namespace corvantile
