#pragma once

// The 63 session values in file order, a state marked so that a value a reader left alone is
// recognised, and the text replacement that respells a session file: shared by the hardening
// tests and the session fuzz targets. Header-only, so a fuzz target needs nothing but the core.
#include <cstddef>
#include <string>
#include <string_view>

#include "state/startup_values.h"
#include "state/circuit_state.h"

namespace corvantile::hardening {

// Value k of the 63 in file order: source, network, load.
inline float& InFileOrder(RunState& state, int k) {
  if (k < SourceValueCount) return state.SourceValues[static_cast<std::size_t>(k)];
  k -= SourceValueCount;
  if (k < NetValueCount) return state.NetValues[static_cast<std::size_t>(k)];
  return state.LoadValues[static_cast<std::size_t>(k - NetValueCount)];
}

inline float InFileOrder(const RunState& state, int k) {
  return InFileOrder(const_cast<RunState&>(state), k);
}

// Every one of the 63 values distinct and different from every default, so a value a reader
// left alone is recognised.
inline RunState Marked() {
  RunState state;
  SetStartupValues(state.startup);
  for (int k = 0; k < SessionValueCount; ++k) {
    InFileOrder(state, k) = -1000.0f - static_cast<float>(k);
  }
  return state;
}

// `text` with every `from` (not empty) replaced by `to`: ("1 \r\n2 \r\n", " \r\n", ",") ->
// "1,2,".
inline std::string Replaced(std::string_view text, std::string_view from, std::string_view to) {
  std::string out;
  std::size_t start = 0;
  for (std::size_t at; (at = text.find(from, start)) != std::string_view::npos;
       start = at + from.size()) {
    out.append(text, start, at - start);
    out.append(to);
  }
  out.append(text, start);
  return out;
}

}  // namespace corvantile::hardening
