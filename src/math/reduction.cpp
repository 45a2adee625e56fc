#include "math/reduction.h"

#include <cmath>

#include "units/precision.h"

namespace corvantile {
namespace {

using precision::D;
using precision::Saturated;

constexpr float kSmallestReactance = 0.0001f;

// Each conversion step tells whether the rest of its row still runs.
enum class Step { Continue, Stop };

Step SeriesToParallel(ImpedanceValues& v) {
  if (v[SeriesR] == 0.0f) v[SeriesR] = kZeroResistance;
  if (std::fabs(v[SeriesX]) < kSmallestReactance) {
    v[SeriesX] = 0.0f;
    v[SeriesPart] = 0.0f;
    v[ParallelR] = v[SeriesR];
    v[ParallelX] = OpenReactanceStored;
    v[ParallelPart] = OpenReactanceStored;
    return Step::Stop;
  }
  const double r = D(v[SeriesR]);
  const double x = D(v[SeriesX]);
  v[ParallelR] = Saturated(((x / r) * x / r + 1.0) * r);
  v[ParallelX] = Saturated(D(v[ParallelR]) * r / x);
  return Step::Continue;
}

Step ParallelToSeries(ImpedanceValues& v) {
  if (v[ParallelR] != 0.0f && v[ParallelX] != 0.0f) {
    const double rp = D(v[ParallelR]);
    const double xp = D(v[ParallelX]);
    v[SeriesR] = Saturated(rp / ((rp / xp) * rp / xp + 1.0));
    v[SeriesX] = Saturated(D(v[SeriesR]) * rp / xp);
    return Step::Continue;
  }
  for (int k = SeriesR; k <= ParallelPart; ++k) v[k] = 0.0f;
  return Step::Stop;
}

// Part value at index k to its reactance at index k - 1. A part value of 0 is an open capacitor.
void PartToReactance(ImpedanceValues& v, int k, double omega) {
  const double part = D(v[k]);
  if (part == 0.0) {
    v[k - 1] = -OpenReactanceStored;
  } else if (part < 0.0) {
    v[k - 1] = Saturated(1.0 / (omega * part));
  } else {
    v[k - 1] = Saturated(omega * part);
  }
}

// Reactance at index k to its part value at index k + 1: 100 ohm at 1 MHz -> 15.9 uH.
void ReactanceToPart(ImpedanceValues& v, int k, double omega) {
  const double x = D(v[k]);
  v[k + 1] = x >= 0.0 ? Saturated(x / omega) : Saturated(1.0 / (omega * x));
}

void ApplyEntryForm(ImpedanceValues& v, double omega) {
  const float form = v[EntryForm];
  if (form == FormSeriesReactance) {
    if (SeriesToParallel(v) == Step::Stop) return;
    ReactanceToPart(v, SeriesX, omega);
    ReactanceToPart(v, ParallelX, omega);
  } else if (form == FormParallelReactance) {
    if (ParallelToSeries(v) == Step::Stop) return;
    ReactanceToPart(v, SeriesX, omega);
    ReactanceToPart(v, ParallelX, omega);
  } else if (form == FormSeriesPart) {
    PartToReactance(v, SeriesPart, omega);
    if (SeriesToParallel(v) == Step::Stop) return;
    ReactanceToPart(v, ParallelX, omega);
  } else if (form == FormParallelPart) {
    PartToReactance(v, ParallelPart, omega);
    if (ParallelToSeries(v) == Step::Stop) return;
    ReactanceToPart(v, SeriesX, omega);
  }
}

}  // namespace

void ReduceImpedance(ImpedanceValues& values, double omega, double degreesPerRadian) {
  // Only a damaged state can hold a NaN or an infinity here (typed and read values are always
  // finite). They are held as every result is (NaN as 0, an infinity as the largest float of
  // its sign) instead of being copied into the other form.
  for (int k = SeriesR; k <= ParallelPart; ++k) values[k] = Saturated(D(values[k]));
  ApplyEntryForm(values, omega);
  if (values[SeriesR] == 0.0f) values[SeriesR] = kZeroResistance;
  if (std::fabs(values[SeriesX]) < kSmallestReactance) values[SeriesX] = 0.0f;
  // Adding 0 turns the -0 of a resistive record into +0.
  values[Angle] =
      Saturated(-std::atan(D(values[SeriesX]) / D(values[SeriesR])) * degreesPerRadian) + 0.0f;
}

void ReduceSource(RunState& state) {
  ReduceImpedance(state.SourceValues, D(state.NetValues[Frequency]) * state.startup.TwoPi,
                  state.startup.DegreesPerRadian);
}

void ReduceLoad(RunState& state) {
  ReduceImpedance(state.LoadValues, D(state.NetValues[Frequency]) * state.startup.TwoPi,
                  state.startup.DegreesPerRadian);
}

}  // namespace corvantile
