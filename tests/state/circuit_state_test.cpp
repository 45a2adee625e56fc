#include "state/circuit_state.h"

#include <map>
#include <set>

#include <gtest/gtest.h>

namespace corvantile {
namespace {

// The default circuit, index by index: a 1500-ohm source and a 300-ohm load in entry form 1,
// 3.75 MHz, 1000 W, a Pi network driven by a phase of -135 degrees.
TEST(CircuitState, FirstStartHoldsTheDefaultCircuitAndZeroElsewhere) {
  const RunState state = MakeDefaultRunState();
  const std::map<int, float> source = {{1, 1500.0f}, {7, 1.0f}, {9, 1.0f}, {10, 1.0f}, {11, 4.0f}};
  const std::map<int, float> load = {{1, 300.0f}, {7, 1.0f}, {9, 1.0f}, {10, 1.0f}, {11, 4.0f}};
  const std::map<int, float> net = {{0, 3750000.0f}, {2, 2.0f},  {3, 7.0f},
                                    {7, -135.0f},    {14, 4.0f}, {21, 1000.0f},
                                    {25, 1.0f},      {27, 1.0f}, {28, 1.0f}};
  auto expect = [](const auto& values, const std::map<int, float>& set, const char* name) {
    for (int k = 0; k < static_cast<int>(values.size()); ++k) {
      const auto it = set.find(k);
      EXPECT_EQ(values[static_cast<std::size_t>(k)], it == set.end() ? 0.0f : it->second)
          << name << '(' << k << ')';
    }
  };
  expect(state.SourceValues, source, "SourceValues");
  expect(state.LoadValues, load, "LoadValues");
  expect(state.NetValues, net, "NetValues");
  EXPECT_EQ(state.EntryKind, 0);
}

// A session file that ends early keeps what it had read outside the default indexes, so the
// defaults must touch nothing else.
TEST(CircuitState, DefaultsTouchOnlyTheDefaultIndexes) {
  RunState state;
  for (std::size_t k = 0; k < state.SourceValues.size(); ++k) {
    state.SourceValues[k] = 100.0f + static_cast<float>(k);
    state.LoadValues[k] = 200.0f + static_cast<float>(k);
  }
  for (std::size_t k = 0; k < state.NetValues.size(); ++k) {
    state.NetValues[k] = 300.0f + static_cast<float>(k);
  }
  StoreDefaults(state);
  const std::set<std::size_t> sideDefaults = {1, 2, 7, 9, 10, 11};
  const std::set<std::size_t> netDefaults = {0, 2, 3, 7, 14, 21, 25, 26, 27, 28};
  for (std::size_t k = 0; k < state.SourceValues.size(); ++k) {
    if (sideDefaults.count(k) != 0) continue;
    EXPECT_EQ(state.SourceValues[k], 100.0f + static_cast<float>(k)) << k;
    EXPECT_EQ(state.LoadValues[k], 200.0f + static_cast<float>(k)) << k;
  }
  for (std::size_t k = 0; k < state.NetValues.size(); ++k) {
    if (netDefaults.count(k) != 0) continue;
    EXPECT_EQ(state.NetValues[k], 300.0f + static_cast<float>(k)) << k;
  }
  // 26 is a default of 0, not an untouched index.
  EXPECT_EQ(state.NetValues[26], 0.0f);
  EXPECT_EQ(state.SourceValues[SeriesX], 0.0f);
  EXPECT_EQ(state.SourceValues[EntryFormCopy], state.SourceValues[EntryForm]);
}

TEST(CircuitState, EntryFormsSplitIntoSeriesAndParallel) {
  ImpedanceValues side{};
  const struct {
    float form;
    bool series, parallel;
  } cases[] = {{1.0f, true, false},  {2.0f, false, true},  {3.0f, true, false}, {4.0f, false, true},
               {0.0f, false, false}, {5.0f, false, false}, {1.5f, false, false}};
  for (const auto& c : cases) {
    side[EntryForm] = c.form;
    EXPECT_EQ(IsSeriesForm(side), c.series) << c.form;
    EXPECT_EQ(IsParallelForm(side), c.parallel) << c.form;
  }
}

}  // namespace
}  // namespace corvantile
