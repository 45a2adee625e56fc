#pragma once

// What part tolerances do to a match: a Monte Carlo run over many builds of one network, each
// part drawn within its tolerance, with the yield, the return-loss distribution, the worst
// corner of the tolerance box and each part's share of the spread.
#include <array>
#include <atomic>
#include <cstdint>
#include <optional>
#include <vector>

#include "analysis/solvers/frequency_response.h"
#include "analysis/circuits/matching_circuit.h"
#include "analysis/circuits/part_losses.h"

namespace corvantile {

// Uniform within +-tolerance, or normal with the tolerance at three standard deviations (not
// cut off there: a few builds in a thousand lie outside it, as with real parts that are not
// sorted).
enum class ToleranceDistribution { Uniform, Normal };

inline constexpr double kDefaultInductorTolerance = 0.05;
inline constexpr double kDefaultCapacitorTolerance = 0.05;
inline constexpr int kDefaultBuilds = 10000;
inline constexpr int kDefaultBandPoints = 21;

struct ToleranceOptions {
  // Relative tolerance of each element's part value (0.05 for 5 %); a short or open element
  // has none whatever is given.
  std::array<double, 3> tolerance = {0.05, 0.05, 0.05};
  ToleranceDistribution distribution = ToleranceDistribution::Uniform;
  int builds = kDefaultBuilds;
  std::uint64_t seed = 1;
  int threads = 0;  // 0: one per core
  // A band f1..f2 (Hz) in which every one of bandPoints equally spaced frequencies must meet
  // the VSWR limit for a build to count towards the band yield.
  std::optional<std::array<double, 2>> band;
  int bandPoints = kDefaultBandPoints;
  // The span over which the envelope (least and most return loss over the builds) is drawn.
  std::optional<SweepSpan> envelope;
  // The parts' Q: with lossy parts every build carries the series resistances |X| / Q(f) of its
  // own part values, and every figure below includes them. Ideal parts (the default) give the
  // lossless figures exactly.
  LossModel losses = IdealLossModel();
  // Measured sides: each one's impedance interpolated from its file at every frequency of the run
  // (f0, the band, the envelope) in place of the circuit's typed side. Every such frequency must
  // lie within the files' bands (MeasuredSides::Covers); the caller refuses one that does not.
  MeasuredSides sides;
  // Builds finished so far, updated as the run goes (from several threads), and a flag that
  // stops it early; both may be null.
  std::atomic<int>* progress = nullptr;
  const std::atomic<bool>* cancel = nullptr;
};

// Tolerances of 5 % on every inductor and capacitor of `circuit`, by kind.
std::array<double, 3> DefaultTolerances(const MatchingCircuit& circuit,
                                        double inductor = kDefaultInductorTolerance,
                                        double capacitor = kDefaultCapacitorTolerance);

// Builds with every part within the limits, at f0 and, when a band was given, over the band.
struct YieldFigures {
  double vswr15 = 0.0;  // share of builds at or below 1.5:1
  double vswr2 = 0.0;   // at or below 2:1
};

// Return loss counted in bins: counts[i] holds the builds in [firstDb + i binDb, firstDb +
// (i + 1) binDb); the last bin also holds every build above it (the top one percent or so).
struct ReturnLossHistogram {
  double firstDb = 0.0;
  double binDb = 1.0;
  std::vector<int> counts;
};

inline constexpr std::array<double, 5> kReturnLossPercentiles = {1.0, 5.0, 50.0, 95.0, 99.0};

// The corner of the tolerance box (or the nominal design) with the least return loss at f0.
struct WorstCase {
  std::array<int, 3> signs{};  // -1, 0 or +1: each part at its lower limit, nominal or upper
  double returnLossDb = 0.0;
  double vswr = 0.0;
};

// How much of the spread of the reflection each part causes: its first-order effect on the
// reflection coefficient times its standard deviation, squared, as a share of the sum.
struct Sensitivity {
  int element = 0;                 // 1 to 3
  double reflectionPerUnit = 0.0;  // |d reflection / d (relative part change)|
  double share = 0.0;              // 0 to 1; the shares add to 1 (all 0 when nothing varies)
};

struct ToleranceResult {
  bool cancelled = false;  // stopped early: nothing below is meaningful
  int builds = 0;
  double nominalReturnLossDb = 0.0;
  YieldFigures atDesign;
  std::optional<YieldFigures> overBand;
  std::array<double, 5> percentilesDb{};  // return loss at kReturnLossPercentiles
  double meanReflectedShare = 0.0;
  ReturnLossHistogram histogram;
  WorstCase worst;
  std::array<Sensitivity, 3> sensitivities{};  // most sensitive first
  // The envelope: at each frequency of the span, the least and the most return loss of any build.
  std::vector<double> envelopeFrequencies;
  std::vector<double> envelopeMinDb;
  std::vector<double> envelopeMaxDb;
  std::vector<double> returnLossDb;  // every build's return loss at f0, in build order
};

// The Monte Carlo run. The same seed gives the same numbers whatever the thread count: build i
// draws its parts from a counter-based generator keyed by (seed, i) alone.
ToleranceResult RunTolerance(const MatchingCircuit& circuit, const ToleranceOptions& options);

// The relative change of each part in build `build`: the draws RunTolerance uses.
std::array<double, 3> BuildDeviations(const ToleranceOptions& options, std::uint64_t build);

}  // namespace corvantile
