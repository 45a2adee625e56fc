#include "math/reduction.h"

#include <cmath>
#include <complex>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace corvantile {
namespace {

constexpr double kOmega375 = 23561944.901923448;  // 2 pi 3.75 MHz
constexpr double kOmega1M = 6283185.307179586;    // 2 pi 1 MHz

struct Value {
  int index;
  double value;
  double relative = 0.0;  // 0: exactly this single-precision value
};

struct ReductionCase {
  const char* name;
  float form;
  float frequency;
  std::vector<Value> inputs;
  std::vector<Value> expected;
  int runs = 1;
};

std::ostream& operator<<(std::ostream& out, const ReductionCase& c) { return out << c.name; }

class Reduction : public ::testing::TestWithParam<ReductionCase> {};

TEST_P(Reduction, DerivesTheOtherForms) {
  const ReductionCase& c = GetParam();
  RunState state = MakeDefaultRunState();
  state.NetValues[Frequency] = c.frequency;
  ImpedanceValues& load = state.LoadValues;
  for (int k = 0; k <= ParallelPart; ++k) load[static_cast<std::size_t>(k)] = 777.0f;
  load[EntryForm] = c.form;
  for (const Value& v : c.inputs)
    load[static_cast<std::size_t>(v.index)] = static_cast<float>(v.value);
  const ImpedanceValues sourceBefore = state.SourceValues;
  for (int run = 0; run < c.runs; ++run) ReduceLoad(state);
  for (const Value& e : c.expected) {
    const float actual = load[static_cast<std::size_t>(e.index)];
    if (e.relative == 0.0) {
      EXPECT_EQ(actual, static_cast<float>(e.value)) << "index " << e.index;
    } else {
      EXPECT_NEAR(static_cast<double>(actual), e.value, e.relative * std::fabs(e.value))
          << "index " << e.index;
    }
  }
  EXPECT_EQ(state.SourceValues, sourceBefore);  // the load's reduction leaves the source alone
}

constexpr float kOpen = 1e15f;

INSTANTIATE_TEST_SUITE_P(
    Forms, Reduction,
    ::testing::Values(
        ReductionCase{"SeriesInductive",
                      1,
                      3.75e6f,
                      {{SeriesR, 50}, {SeriesX, 50}},
                      {{ParallelR, 100, 1e-6},
                       {ParallelX, 100, 1e-6},
                       {Angle, -45, 1e-6},
                       {SeriesPart, 50 / kOmega375, 1e-6},
                       {ParallelPart, 100 / kOmega375, 1e-6}}},
        ReductionCase{"SeriesCapacitive",
                      1,
                      3.75e6f,
                      {{SeriesR, 50}, {SeriesX, -50}},
                      {{ParallelR, 100, 1e-6},
                       {ParallelX, -100, 1e-6},
                       {Angle, 45, 1e-6},
                       {SeriesPart, 1 / (kOmega375 * -50), 1e-6},
                       {ParallelPart, 1 / (kOmega375 * -100), 1e-6}}},
        ReductionCase{"SeriesBelowSmallestReactance",
                      1,
                      3.75e6f,
                      {{SeriesR, 300}, {SeriesX, 0.00005}},
                      {{SeriesX, 0},
                       {SeriesPart, 0},
                       {ParallelR, 300},
                       {ParallelX, kOpen},
                       {ParallelPart, kOpen},
                       {Angle, 0}}},
        ReductionCase{"SeriesSmallestReactanceKept",
                      1,
                      3.75e6f,
                      {{SeriesR, 300}, {SeriesX, 0.0001}},
                      {{SeriesX, 0.0001}, {ParallelX, 90000.0 / 0.0001, 1e-6}}},
        ReductionCase{"SeriesSmallReactanceKept",
                      1,
                      3.75e6f,
                      {{SeriesR, 300}, {SeriesX, -0.0005}},
                      {{SeriesX, -0.0005}, {ParallelX, -90000.0 / 0.0005, 1e-6}}},
        ReductionCase{
            "SeriesZeroResistance",
            1,
            3.75e6f,
            {{SeriesR, 0}, {SeriesX, 50}},
            {{SeriesR, 1e-6}, {ParallelR, 2.5e9, 1e-6}, {ParallelX, 50, 1e-6}, {Angle, -90, 1e-6}}},
        ReductionCase{"ParallelToSeries",
                      2,
                      3.75e6f,
                      {{ParallelR, 100}, {ParallelX, 100}},
                      {{SeriesR, 50, 1e-6},
                       {SeriesX, 50, 1e-6},
                       {Angle, -45, 1e-6},
                       {SeriesPart, 50 / kOmega375, 1e-6},
                       {ParallelPart, 100 / kOmega375, 1e-6}}},
        ReductionCase{"ParallelZeroReactanceIsANearShort",
                      2,
                      3.75e6f,
                      {{ParallelR, 1500}, {ParallelX, 0}},
                      {{SeriesR, 1e-6},
                       {SeriesX, 0},
                       {SeriesPart, 0},
                       {ParallelR, 0},
                       {ParallelX, 0},
                       {ParallelPart, 0},
                       {Angle, 0}}},
        ReductionCase{"ParallelZeroResistanceIsANearShort",
                      2,
                      3.75e6f,
                      {{ParallelR, 0}, {ParallelX, 100}},
                      {{SeriesR, 1e-6}, {SeriesX, 0}, {ParallelX, 0}, {Angle, 0}}},
        ReductionCase{"SeriesPart100pF",
                      3,
                      3.75e6f,
                      {{SeriesR, 50}, {SeriesPart, -1e-10}},
                      {{SeriesX, -424.413, 1e-5},
                       {SeriesPart, -1e-10},
                       {Angle, 83.28097, 1e-6},
                       {ParallelR, 50 * (1 + (424.413 / 50) * (424.413 / 50)), 1e-5}}},
        ReductionCase{"SeriesPartZeroIsAnOpenCapacitor",
                      3,
                      3.75e6f,
                      {{SeriesR, 50}, {SeriesPart, 0}},
                      {{SeriesX, -kOpen}, {ParallelR, 2e28, 1e-6}, {Angle, 90, 1e-6}}},
        ReductionCase{"TinySeriesInductorFirstRun",
                      3,
                      1e6f,
                      {{SeriesR, 50}, {SeriesPart, 1e-12}},
                      {{SeriesX, 0}, {SeriesPart, 0}, {ParallelR, 50}, {ParallelX, kOpen}}},
        ReductionCase{"TinySeriesInductorSecondRun",
                      3,
                      1e6f,
                      {{SeriesR, 50}, {SeriesPart, 1e-12}},
                      {{SeriesX, -kOpen}, {SeriesPart, 0}},
                      2},
        ReductionCase{"ParallelPartInductor",
                      4,
                      1e6f,
                      {{ParallelR, 100}, {ParallelPart, 100 / kOmega1M}},
                      {{ParallelX, 100, 1e-6},
                       {SeriesR, 50, 1e-6},
                       {SeriesX, 50, 1e-6},
                       {SeriesPart, 50 / kOmega1M, 1e-6},
                       {Angle, -45, 1e-6}}},
        ReductionCase{"ParallelPartZeroIsResistive",
                      4,
                      3.75e6f,
                      {{ParallelR, 300}, {ParallelPart, 0}},
                      {{ParallelX, -kOpen}, {SeriesR, 300, 1e-6}, {SeriesX, 0}, {Angle, 0}}},
        ReductionCase{"UnknownFormRunsOnlyTheFinalSteps",
                      0,
                      3.75e6f,
                      {{SeriesR, 100}, {SeriesX, 100}, {ParallelR, 5}},
                      {{SeriesR, 100},
                       {SeriesX, 100},
                       {ParallelR, 5},
                       {ParallelX, 777},
                       {SeriesPart, 777},
                       {Angle, -45, 1e-6}}},
        ReductionCase{"UnknownFormCleansUp",
                      5,
                      3.75e6f,
                      {{SeriesR, 0}, {SeriesX, -0.00005}},
                      {{SeriesR, 1e-6}, {SeriesX, 0}, {Angle, 0}, {ParallelR, 777}}}),
    [](const auto& tested) { return std::string(tested.param.name); });

TEST(Reduction, SourceAndLoadAreReducedIndependently) {
  RunState state = MakeDefaultRunState();
  state.SourceValues[SeriesX] = 1500.0f;
  ReduceSource(state);
  EXPECT_FLOAT_EQ(state.SourceValues[ParallelR], 3000.0f);
  EXPECT_EQ(state.LoadValues[ParallelR], 0.0f);
  ReduceLoad(state);
  EXPECT_EQ(state.LoadValues[ParallelR], 300.0f);
  EXPECT_FLOAT_EQ(state.SourceValues[ParallelR], 3000.0f);
}

// Whatever form a side was entered in, after reduction every representation describes one
// impedance: the series form, the parallel form, both part values and the angle agree.
TEST(Reduction, EveryFormDescribesTheSameImpedance) {
  std::mt19937 rng(4242u);
  std::uniform_real_distribution<double> logValue(std::log(0.1), std::log(1e5));
  std::uniform_real_distribution<double> logFrequency(std::log(1e3), std::log(3e9));
  for (int i = 0; i < 2000; ++i) {
    const double r = std::exp(logValue(rng));
    const double x = std::exp(logValue(rng)) * (i % 2 ? -1.0 : 1.0);
    const float form = static_cast<float>(1 + i % 4);
    RunState state = MakeDefaultRunState();
    state.NetValues[Frequency] = static_cast<float>(std::exp(logFrequency(rng)));
    const double omega = static_cast<double>(state.NetValues[Frequency]) * state.startup.TwoPi;
    const double part = x > 0.0 ? x / omega : 1.0 / (omega * x);
    ImpedanceValues& v = state.SourceValues;
    v[EntryForm] = form;
    const bool series = form == FormSeriesReactance || form == FormSeriesPart;
    v[series ? SeriesR : ParallelR] = static_cast<float>(r);
    v[form == FormSeriesReactance     ? SeriesX
      : form == FormParallelReactance ? ParallelX
      : form == FormSeriesPart        ? SeriesPart
                                      : ParallelPart] =
        static_cast<float>(form == FormSeriesReactance || form == FormParallelReactance ? x : part);
    ReduceSource(state);

    auto d = [](float value) { return static_cast<double>(value); };
    const std::complex<double> zs(d(v[SeriesR]), d(v[SeriesX]));
    const std::complex<double> yp(1.0 / d(v[ParallelR]), -1.0 / d(v[ParallelX]));
    const std::complex<double> zp = 1.0 / yp;
    const std::string what =
        "form " + std::to_string(form) + ", r " + std::to_string(r) + ", x " + std::to_string(x);
    if (v[SeriesX] == 0.0f) continue;  // below 0.0001 ohm: the record is resistive on purpose
    EXPECT_LT(std::abs(zs - zp), 1e-5 * std::abs(zs)) << what;
    // And it is the impedance that was entered.
    const std::complex<double> entered =
        series ? std::complex<double>(r, x) : 1.0 / std::complex<double>(1.0 / r, -1.0 / x);
    EXPECT_LT(std::abs(zs - entered), 1e-5 * std::abs(entered)) << what;
    auto reactanceOf = [omega](float p) {
      return p > 0.0f ? static_cast<double>(p) * omega : 1.0 / (omega * static_cast<double>(p));
    };
    EXPECT_NEAR(reactanceOf(v[SeriesPart]), d(v[SeriesX]), 1e-5 * std::fabs(d(v[SeriesX]))) << what;
    EXPECT_NEAR(reactanceOf(v[ParallelPart]), d(v[ParallelX]), 1e-5 * std::fabs(d(v[ParallelX])))
        << what;
    EXPECT_NEAR(d(v[Angle]), -std::arg(zs) * 45.0 / std::atan(1.0), 1e-4) << what;
  }
}

// The series <> parallel command switches 1 with 2 and 3 with 4; reducing again must give back
// the same impedance.
TEST(Reduction, SwitchingBetweenSeriesAndParallelKeepsTheImpedance) {
  const struct { float from, to; } switches[] = {{1, 2}, {2, 1}, {3, 4}, {4, 3}};
  for (const auto& sw : switches) {
    RunState state = MakeDefaultRunState();
    ImpedanceValues& v = state.LoadValues;
    v[EntryForm] = sw.from;
    v[SeriesR] = 40.0f;
    v[SeriesX] = -75.0f;
    v[ParallelR] = 180.0f;
    v[ParallelX] = 95.0f;
    v[SeriesPart] = -2e-10f;
    v[ParallelPart] = 3e-6f;
    ReduceLoad(state);
    const ImpedanceValues first = v;
    v[EntryForm] = sw.to;
    ReduceLoad(state);
    ReduceLoad(state);
    for (const int k : {SeriesR, SeriesX, SeriesPart, ParallelR, ParallelX, ParallelPart, Angle}) {
      EXPECT_NEAR(v[static_cast<std::size_t>(k)], first[static_cast<std::size_t>(k)],
                  2e-6 * std::fabs(static_cast<double>(first[static_cast<std::size_t>(k)])))
          << sw.from << " -> " << sw.to << " index " << k;
    }
  }
}

}  // namespace
}  // namespace corvantile
