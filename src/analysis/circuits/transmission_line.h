#pragma once

// Feedlines: a uniform transmission line from its per-metre constants (R, L, G, C) or from a
// cable's nominal figures (impedance, velocity factor and matched loss at a few frequencies),
// its chain matrix at a frequency, the impedance seen through it in either direction, and the
// figures an operator asks of it: the match at both ends, the matched loss, the extra loss a
// mismatch causes and the highest voltage anywhere along it.
#include <complex>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace corvantile {

inline constexpr double kSpeedOfLight = 299792458.0;  // m/s
inline constexpr double kMetresPerFoot = 0.3048;

// The per-metre constants of a uniform line. Conductor loss grows with the skin depth and
// dielectric loss with frequency, so R(f) = rDc + rSqrt sqrt(f) and G(f) = gDc + gPerHz f
// (f in Hz); L and C are constant. A lossless 50 ohm line with velocity factor 0.66 has
// L = 50 / v and C = 1 / (50 v), v = 0.66 c.
struct LineConstants {
  double rDc = 0.0;          // ohm/m
  double rSqrt = 0.0;        // ohm/m per sqrt(Hz)
  double inductance = 0.0;   // H/m
  double gDc = 0.0;          // S/m
  double gPerHz = 0.0;       // S/m per Hz
  double capacitance = 0.0;  // F/m

  double Resistance(double hertz) const;   // ohm/m
  double Conductance(double hertz) const;  // S/m
};

// A matched-loss figure as cable makers list them: dB per 100 m or per 100 ft at a frequency.
struct LossPoint {
  double hertz = 0.0;
  double dbPer100 = 0.0;
};
enum class LossLength { Per100Metres, Per100Feet };

// Matched loss in dB per metre as k1 sqrt(f) + k2 f (f in Hz): conductor and dielectric loss.
struct LossFit {
  double k1 = 0.0;
  double k2 = 0.0;
  double DbPerMetre(double hertz) const;
};

// The least-squares fit of k1 sqrt(f) + k2 f to two or more loss figures, both terms kept
// non-negative (a term that would come out negative is dropped and the other fitted alone):
// RG-213's 0.6 dB/100 ft at 10 MHz and 2.2 at 100 MHz -> k1 = 5.766e-6, k2 = 1.452e-10
// (dB per metre).
// Fewer than two points, a frequency not above 0 or a negative loss is an `error`.
std::optional<LossFit> FitLoss(std::span<const LossPoint> points, LossLength per,
                               std::string& error);

// The constants of a line of nominal impedance z0 (ohms, real), velocity factor vf and matched
// loss `loss`: L = z0 / v, C = 1 / (z0 v), R = 2 z0 alpha_c and G = 2 alpha_d / z0, where
// alpha_c and alpha_d (Np/m) are the conductor (k1) and dielectric (k2) parts of the loss.
// Its characteristic impedance is then complex, sqrt((R + jwL) / (G + jwC)).
LineConstants ConstantsFromLoss(double z0, double velocityFactor, const LossFit& loss);

// A chain (ABCD) matrix of complex entries: V1 = A V2 + B I2, I1 = C V2 + D I2, with I2 flowing
// out of port 2 into what is connected there.
struct ChainMatrix {
  std::complex<double> a{1.0, 0.0}, b{0.0, 0.0}, c{0.0, 0.0}, d{1.0, 0.0};
};

// A uniform line of a given length. Port 1 is the near end, port 2 the far end.
class TransmissionLine {
 public:
  TransmissionLine() = default;
  TransmissionLine(const LineConstants& constants, double metres)
      : constants_(constants), metres_(metres) {}

  const LineConstants& Constants() const { return constants_; }
  double Length() const { return metres_; }  // m

  // sqrt((R + jwL) / (G + jwC)), real part positive; at 0 Hz sqrt(R / G) or sqrt(L / C).
  std::complex<double> CharacteristicImpedance(double hertz) const;
  // gamma = alpha + j beta per metre, sqrt((R + jwL)(G + jwC)) with alpha, beta >= 0.
  std::complex<double> Propagation(double hertz) const;

  // [cosh(gl), Z0 sinh(gl); sinh(gl) / Z0, cosh(gl)] for the whole line, or for `metres` of it.
  ChainMatrix ChainAt(double hertz) const { return ChainAt(hertz, metres_); }
  ChainMatrix ChainAt(double hertz, double metres) const;

  // The impedance at the near end with `far` at the far end: Z0 (ZL + Z0 tanh gl) /
  // (Z0 + ZL tanh gl). A quarter wave of lossless 50 ohm line turns 100 ohms into 25.
  std::complex<double> SeenThrough(double hertz, std::complex<double> far) const;
  // The reverse: the impedance at the far end that shows `near` at the near end.
  std::complex<double> Removed(double hertz, std::complex<double> near) const;

  // The loss of the line terminated in its own characteristic impedance, dB: 8.686 alpha l.
  double MatchedLossDb(double hertz) const;

 private:
  LineConstants constants_;
  double metres_ = 0.0;
};

// A cable of the table below: nominal impedance, velocity factor and matched loss in dB per
// 100 ft at the frequencies its datasheet lists.
struct CableType {
  std::string_view name;    // "RG-213"
  double impedance = 50.0;  // ohms, nominal
  double velocityFactor = 0.66;
  std::span<const LossPoint> loss;  // dB per 100 ft
  std::string_view datasheet;       // the maker's datasheet the figures come from

  // The line of this cable, `metres` long.
  TransmissionLine Line(double metres) const;
};

// RG-58, RG-8X, RG-213, LMR-400, RG-6 (75 ohm) and a few others.
std::span<const CableType> CableTable();
// The cable named `name`, any case, with or without the dash ("rg213"); nullptr if none.
const CableType* FindCable(std::string_view name);

// The figures of a line at one frequency with `far` at its far end and `watts` going into its
// near end; reflections and VSWR are against `reference` (ohms, real) at both ends.
struct LineFigures {
  std::complex<double> nearImpedance, farImpedance;  // ohms
  double nearVswr = 1.0, farVswr = 1.0;
  double matchedLossDb = 0.0;            // the line's loss when terminated in its own impedance
  double lossDb = 0.0;                   // its loss with `far` at the far end
  double mismatchLossDb = 0.0;           // lossDb - matchedLossDb: what the mismatch adds
  double wattsIn = 0.0, wattsOut = 0.0;  // into the near end, out of the far end
  double mismatchWatts = 0.0;            // of the watts lost, those the mismatch adds
  double peakVolts = 0.0;                // the highest peak voltage anywhere along the line
  double peakAtMetres = 0.0;             // from the near end
};
LineFigures LineFiguresAt(const TransmissionLine& line, double hertz, std::complex<double> far,
                          double watts, double reference);

// The same impedance as a reflection against a real reference and back.
std::complex<double> ReflectionOf(std::complex<double> z, double reference);
double VswrOf(std::complex<double> z, double reference);

// A line measured with its far end open and shorted: at each frequency Z0 = sqrt(Zoc Zsc) and
// gamma l = atanh(Zsc / Z0), the branch of the atanh (gamma l + j pi n) chosen so that the
// electrical length is continuous over frequency, starting within the first quarter wave.
struct LineMeasurementPoint {
  double hertz = 0.0;
  std::complex<double> impedance;     // Z0, ohms
  std::complex<double> propagationL;  // gamma l: attenuation (Np) + j phase (radians)
};
std::vector<LineMeasurementPoint> CharacteriseLine(std::span<const double> hertz,
                                                   std::span<const std::complex<double>> open,
                                                   std::span<const std::complex<double>> shorted);

// A line of the given length fitted to such a measurement: z0 the mean of Re Z0, the velocity
// factor from the phase, the loss fitted as k1 sqrt(f) + k2 f to 8.686 Re(gamma l) / length.
struct FittedLine {
  double impedance = 0.0;
  double velocityFactor = 0.0;
  LossFit loss;
  TransmissionLine line;
};
std::optional<FittedLine> FitMeasuredLine(std::span<const LineMeasurementPoint> points,
                                          double metres, std::string& error);

}  // namespace corvantile
