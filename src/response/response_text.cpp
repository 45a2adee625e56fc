#include "response/response_text.h"

#include <algorithm>
#include <cmath>

#include "analysis/formats/number_text.h"

namespace corvantile {
namespace {

std::string Hz(double f) { return EngineeringText(f, "Hz"); }

std::string LimitText(double limit) { return ShortNumber(limit, 3) + ":1"; }

std::string ComplexText(std::complex<double> value) {
  const double im = value.imag();
  return ShortNumber(value.real(), 4) + (std::signbit(im) && im != 0.0 ? " - j" : " + j") +
         ShortNumber(std::fabs(im), 4);
}

std::string BandLine(const VswrBand& band, const SweepSummary& summary, const SweepSpan& span) {
  std::string line = LimitText(band.limit) + " VSWR bandwidth: ";
  if (!band.matchedAtDesign) {
    return line + "none: VSWR " + ShortNumber(summary.atDesign.vswr, 4) + " at " +
           Hz(summary.designFrequency);
  }
  line += band.lower ? Hz(*band.lower) : "below " + Hz(span.from);
  line += " to ";
  line += band.upper ? Hz(*band.upper) : "above " + Hz(span.to);
  if (band.fractional) line += " (" + ShortNumber(*band.fractional * 100.0, 4) + " %)";
  return line;
}

}  // namespace

std::vector<std::string> ResponseSummaryLines(const SweepSummary& summary, const SweepSpan& span) {
  std::vector<std::string> lines;
  for (const VswrBand& band : summary.bands) lines.push_back(BandLine(band, summary, span));
  lines.push_back("Attenuation at 2f (" + Hz(2.0 * summary.designFrequency) +
                  "): " + AttenuationText(summary.attenuation2f0Db, summary.measured2f0));
  lines.push_back("Attenuation at 3f (" + Hz(3.0 * summary.designFrequency) +
                  "): " + AttenuationText(summary.attenuation3f0Db, summary.measured3f0));
  return lines;
}

std::string NormalisedText(std::complex<double> z) { return ComplexText(z); }

std::string SweepPointText(const ResponsePoint& point, double z0) {
  return Hz(point.frequency) + "\nReturn loss " + ReturnLossText(point.returnLossDb, 2) +
         " (VSWR " + ShortNumber(point.vswr, 4) + ")\nTransducer gain " +
         ShortNumber(point.transducerGainDb, 4) + " dB\nZin " +
         ImpedanceText(point.inputImpedance) + " (z " + NormalisedText(point.inputImpedance / z0) +
         ")";
}

std::string SmithNodeText(const SmithNode& node) {
  return node.label + "\n" + ImpedanceText(node.impedance) + " (z " +
         NormalisedText(node.normalised) + ")";
}

std::size_t NearestSweepIndex(std::span<const ResponsePoint> sweep, double frequency) {
  const auto after =
      std::lower_bound(sweep.begin(), sweep.end(), frequency,
                       [](const ResponsePoint& p, double f) { return p.frequency < f; });
  if (after == sweep.begin()) return 0;
  if (after == sweep.end()) return sweep.size() - 1;
  const auto before = after - 1;
  // Nearer on the logarithmic axis: compare the ratios.
  const bool takeBefore = frequency * frequency <= before->frequency * after->frequency;
  return static_cast<std::size_t>((takeBefore ? before : after) - sweep.begin());
}

FrequencyUnit UnitForSpan(const SweepSpan& span) {
  if (span.to >= 1e9) return {1e9, "GHz"};
  if (span.to >= 1e6) return {1e6, "MHz"};
  if (span.to >= 1e3) return {1e3, "kHz"};
  return {1.0, "Hz"};
}

DbAxes PlotDbAxes(std::span<const ResponsePoint> sweep) {
  double largestLoss = 0.0, deepestGain = 0.0;
  for (const ResponsePoint& p : sweep) {
    largestLoss = std::max(largestLoss, p.returnLossDb);
    deepestGain = std::min(deepestGain, p.transducerGainDb);
  }
  // Compared before the conversion to int, so that the 300 dB of a perfect match cannot
  // overflow anything.
  const double needed =
      std::max(std::min(std::ceil(largestLoss / 10.0), static_cast<double>(kMaxReturnLossSteps)),
               std::ceil(-deepestGain / 10.0));
  const int steps = static_cast<int>(std::clamp(needed, 1.0, static_cast<double>(kMaxDbSteps)));
  return {steps, 10.0 * steps, -10.0 * steps};
}

}  // namespace corvantile
