#pragma once

// Matching over a band: for every element count up to a limit, the lossless ladder (series and
// shunt elements alternating, each an inductor or a capacitor) whose worst return loss over one
// or more bands is the largest, with the Bode-Fano bound it is measured against.
//
//   BandMatchOptions o;
//   o.bands = {{3.5e6, 3.8e6}};
//   o.maxElements = 4;
//   const BandMatch m = MatchOverBands(source, load, 3.65e6, 100.0, o);
//   m.designs[k].worstReturnLossDb   // of the best ladder of m.designs[k].circuit.elements
#include <atomic>
#include <complex>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/circuits/ladder_circuit.h"
#include "analysis/solvers/frequency_response.h"
#include "analysis/studies/bode_fano.h"
#include "analysis/studies/standard_design.h"
#include "analysis/studies/tolerance_analysis.h"

namespace corvantile {

// Which ladders a search may return, by the kinds of their elements: a low-pass ladder has
// only series inductors and shunt capacitors, a high-pass one only series capacitors and
// shunt inductors, a band-pass one at least one element of each of those two groups.
enum class LadderFamily { Any, Lowpass, Highpass, Bandpass };

// "any", "lowpass", "highpass", "bandpass", and back.
std::string_view LadderFamilyName(LadderFamily family);
std::optional<LadderFamily> LadderFamilyFromName(std::string_view name);

// True when every element of `elements` is allowed by `family`.
bool InLadderFamily(std::span<const LadderElement> elements, LadderFamily family);

// A required attenuation at a harmonic of the band centre: the transducer loss (dB, the
// available power over the load's) at `harmonic` times the centre frequency.
struct HarmonicRequirement {
  int harmonic = 2;  // 2 or 3
  double attenuationDb = 0.0;
};

struct BandMatchOptions {
  std::vector<FrequencyBand> bands;
  int maxElements = 4;      // 1 to 6
  int pointsPerBand = 201;  // equal steps from each band's lower edge to its upper edge
  LadderFamily family = LadderFamily::Any;
  std::optional<HarmonicRequirement> harmonic;
  // Sides whose impedance over the bands is read from a file; the typed Termination of that
  // side is then used only where the file does not reach (a harmonic beyond its band).
  MeasuredSides sides;
  // Arrangements searched so far (of BandSearchSteps), updated as the search goes, and a flag
  // that stops it early; both may be null.
  std::atomic<int>* progress = nullptr;
  const std::atomic<bool>* cancel = nullptr;
};

// The steps of a search, what `progress` counts up to: every arrangement of every element count
// up to maxElements, 4 + 8 + ... + 2^(maxElements + 1).
int BandSearchSteps(const BandMatchOptions& options);

// Why these bands cannot be searched, in one line, or "" when they can: "a band must start
// above 0 Hz", "band 3.8 MHz to 3.5 MHz is reversed", "4 MHz is outside antenna.s1p's band
// (1 MHz to 3 MHz)".
std::string BandMatchProblem(const BandMatchOptions& options);

// Return-loss figures of one ladder over the bands' points.
struct BandFigures {
  double worstReturnLossDb = 0.0;
  double meanReturnLossDb = 0.0;  // mean of the points' return losses in dB
  double worstVswr = 0.0;
  double worstFrequency = 0.0;  // Hz, where the return loss is worst
};

struct BandDesign {
  LadderCircuit circuit;  // the elements from the source side
  BandFigures figures;
  // The Bode-Fano bound's return loss and the design's distance from it (bound minus worst,
  // dB); empty for a resistive pair.
  std::optional<double> boundReturnLossDb;
  std::optional<double> distanceFromBoundDb;
  std::optional<double> harmonicAttenuationDb;  // when a HarmonicRequirement was given
};

struct BandMatch {
  double centreFrequency = 0.0;     // Hz, the middle between the lowest and highest band edge
  std::vector<double> frequencies;  // the in-band points, ascending
  BandBound bound;
  // The models the bound was taken from: a typed side as it is; a measured side as the series
  // R with L and C (the reactance fitted over the in-band points as w L - 1 / (w C), its
  // resistance at the centre) or the parallel R with C and L (the susceptance fitted alike),
  // whichever follows the file more closely, a part whose fit is not positive left out.
  ReactiveModel sourceModel;
  ReactiveModel loadModel;
  // The best ladder of each element count from 1 to maxElements that the family allows and
  // that meets the harmonic requirement, by count; a count without such a ladder is missing.
  std::vector<BandDesign> designs;
  bool cancelled = false;  // stopped early: the designs are those of the counts finished
};

// The search. `designFrequency` (Hz) is the frequency at which the typed sides' parts were
// entered and `power` the available power (W) the ladders are driven with, as for every
// circuit of the program. The options must be ones BandMatchProblem accepts. Deterministic:
// the same input gives the same designs, on any machine with the same floating-point.
BandMatch MatchOverBands(const Termination& source, const Termination& load, double designFrequency,
                         double power, const BandMatchOptions& options);

// The in-band points of the options: pointsPerBand per band, ascending.
std::vector<double> BandFrequencies(const BandMatchOptions& options);

// The figures of any ladder over `frequencies` (ascending), with the measured sides
// interpolated from their files: the formulas of EvaluateLadder point by point.
BandFigures LadderBandFigures(const LadderCircuit& ladder, std::span<const double> frequencies,
                              const MeasuredSides& sides = {});

// The response of a ladder at `frequencies` (ascending) with the measured sides interpolated
// from their files, as EvaluateLadder gives it point by point.
std::vector<ResponsePoint> LadderResponse(const LadderCircuit& ladder,
                                          std::span<const double> frequencies,
                                          const MeasuredSides& sides = {});

// A ladder's figures with lossy parts over the bands: each part a series resistance
// |X| / Q(f) by its kind's Q of `model` (element k's own Q for k = 1 to 3), the network driven
// so that its design power flows in. The search itself is lossless; this says what real parts
// make of its designs.
struct BandLosses {
  double lowestEfficiency = 1.0;  // load power over input power, the lowest in band
  double meanEfficiency = 1.0;
  double hottestPartWatts = 0.0;  // the most any one part dissipates anywhere in band
  int hottestPart = 0;            // its element number, from 1 at the source
};
BandLosses LadderBandLosses(const LadderCircuit& ladder, std::span<const double> frequencies,
                            const LossModel& model, const MeasuredSides& sides = {});

// The best standard-value version of a ladder: every part at its nearest value of its kind's
// series and choice.neighbours values on each side (one on each side when that would pass
// 3125 combinations), the combination with the best worst return loss over `frequencies`.
struct StandardLadder {
  LadderCircuit circuit;
  BandFigures figures;
};
StandardLadder BestStandardLadder(const LadderCircuit& ladder, std::span<const double> frequencies,
                                  const StandardChoice& choice, const MeasuredSides& sides = {});

// The band yield of a ladder built from real parts: `builds` builds, every inductor and
// capacitor drawn within its kind's tolerance (as the tolerance analysis draws them), and the
// share of builds whose VSWR stays at or below 1.5:1 and 2:1 at every one of `frequencies`.
// The same seed gives the same builds.
struct BandYieldOptions {
  double inductorTolerance = kDefaultInductorTolerance;  // 0.05 for 5 %
  double capacitorTolerance = kDefaultCapacitorTolerance;
  ToleranceDistribution distribution = ToleranceDistribution::Uniform;
  int builds = kDefaultBuilds;
  std::uint64_t seed = 1;
};
struct BandYield {
  int builds = 0;
  double vswr15 = 0.0;
  double vswr2 = 0.0;
  double medianWorstReturnLossDb = 0.0;  // of the builds' worst in-band return loss
};
BandYield LadderBandYield(const LadderCircuit& ladder, std::span<const double> frequencies,
                          const BandYieldOptions& options, const MeasuredSides& sides = {});

// The fast evaluation the search uses, exposed for measuring it: a ladder arrangement over
// precomputed points. Element 1 is a shunt when firstShunt, and the connections alternate.
struct LadderArrangement {
  int count = 0;
  bool firstShunt = false;
  unsigned inductors = 0;  // bit k set: element k + 1 is an inductor, else a capacitor
};

class BandGrid {
 public:
  // zs and zl the source's and load's impedances at `frequencies`; `omega0` and `r0` the
  // normalising angular frequency and resistance of the values.
  BandGrid(std::span<const double> frequencies, std::span<const std::complex<double>> zs,
           std::span<const std::complex<double>> zl, double omega0, double r0);

  // The largest |Gamma|^2 over the points of the arrangement with normalised log-values `x`:
  // element k's reactance (series) or susceptance (shunt) at omega0 is r0 e^x[k] or
  // e^x[k] / r0. Written to cost a few nanoseconds a point.
  double WorstReflectionSquared(const LadderArrangement& arrangement,
                                std::span<const double> x) const;

  // ln |Gamma|^2 at every point, into `out` (resized).
  void LogReflections(const LadderArrangement& arrangement, std::span<const double> x,
                      std::vector<double>& out) const;

  std::size_t Points() const { return ratio_.size(); }

 private:
  std::vector<double> ratio_, inverse_;  // omega / omega0 and its inverse
  std::vector<double> rs_, xs_, rl_, xl_;
};

}  // namespace corvantile
