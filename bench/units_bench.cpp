// Cost of the engineering-notation formatters and the value parser over typical values.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include <benchmark/benchmark.h>

#include "units/format.h"
#include "units/parse.h"

namespace corvantile {
namespace {

// Values of the kind the results display shows: part values, reactances, Q, volts, frequencies.
constexpr std::array<float, 8> kTypicalValues = {3750000.0f, 14200000.0f, 4.7e-8f,    2.2e-7f,
                                                 -25.3f,     70.7107f,    0.0012345f, 1234.567f};

// Texts of the kind the user types, and formatted texts fed back by the dialogs.
constexpr std::array<std::string_view, 8> kTypicalTexts = {
    "50", "3.75MHz", "  47u  ", "1.5 k", "-135 degrees", "0.047 uF", "4k7", "50 ohms"};

template <std::string (*Format)(float)>
void BM_Format(benchmark::State& state) {
  for (auto _ : state) {
    for (const float value : kTypicalValues) {
      std::string text = Format(value);
      benchmark::DoNotOptimize(text);
    }
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(kTypicalValues.size()));
}

BENCHMARK_TEMPLATE(BM_Format, FormatFrequency)->Name("FormatFrequency");
BENCHMARK_TEMPLATE(BM_Format, FormatCapacitance)->Name("FormatCapacitance");
BENCHMARK_TEMPLATE(BM_Format, FormatInductance)->Name("FormatInductance");
BENCHMARK_TEMPLATE(BM_Format, FormatEngineering)->Name("FormatEngineering");
BENCHMARK_TEMPLATE(BM_Format, FormatQuantity)->Name("FormatQuantity");

void BM_ParseValue(benchmark::State& state) {
  for (auto _ : state) {
    for (const std::string_view text : kTypicalTexts) {
      float value = ParseValue(text);
      benchmark::DoNotOptimize(value);
    }
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(kTypicalTexts.size()));
}
BENCHMARK(BM_ParseValue)->Name("ParseValue");

}  // namespace
}  // namespace corvantile
