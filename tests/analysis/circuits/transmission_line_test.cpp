// Feedlines: the textbook cases, the loss fit, and properties the line model does not spell out:
// the power a line loses is what its R and G dissipate along it, removing a line undoes adding
// it, and open and short measurements give back the line they were made on.
#include "analysis/circuits/transmission_line.h"

#include <cmath>
#include <complex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "analysis/solvers/line_embedding.h"
#include "units/constants.h"

namespace corvantile {
namespace {

using Complex = std::complex<double>;

TransmissionLine Lossless(double z0, double vf, double metres) {
  return TransmissionLine(ConstantsFromLoss(z0, vf, LossFit{}), metres);
}

TEST(TransmissionLineTest, QuarterWaveInvertsTheLoad) {
  // 50 ohm, velocity factor 0.66, a quarter wave at 10 MHz.
  const double metres = 0.25 * 0.66 * kSpeedOfLight / 10e6;
  const TransmissionLine line = Lossless(50.0, 0.66, metres);
  const Complex z = line.SeenThrough(10e6, {100.0, 0.0});
  EXPECT_NEAR(z.real(), 25.0, 1e-9);
  EXPECT_NEAR(z.imag(), 0.0, 1e-9);
  EXPECT_NEAR(line.MatchedLossDb(10e6), 0.0, 1e-15);
  // A half wave gives the load back, a short line ending in an open looks capacitive.
  EXPECT_NEAR(
      std::abs(Lossless(50.0, 0.66, 2 * metres).SeenThrough(10e6, {30, 40}) - Complex(30, 40)), 0.0,
      1e-9);
  EXPECT_LT(line.SeenThrough(1e6, {INFINITY, 0.0}).imag(), 0.0);
}

TEST(TransmissionLineTest, FitRecoversBothTerms) {
  const LossFit truth{6e-6, 2e-10};
  std::vector<LossPoint> points;
  for (const double f : {1e6, 10e6, 100e6, 1e9}) {
    points.push_back({f, truth.DbPerMetre(f) * 100.0 * kMetresPerFoot});
  }
  std::string error;
  const auto fit = FitLoss(points, LossLength::Per100Feet, error);
  ASSERT_TRUE(fit) << error;
  EXPECT_NEAR(fit->k1 / truth.k1, 1.0, 1e-9);
  EXPECT_NEAR(fit->k2 / truth.k2, 1.0, 1e-9);
  // The header's example: two figures are fitted exactly.
  const std::vector<LossPoint> rg213{{10e6, 0.6}, {100e6, 2.2}};
  const auto two = FitLoss(rg213, LossLength::Per100Feet, error);
  ASSERT_TRUE(two);
  EXPECT_NEAR(two->k1, 5.766e-6, 0.001e-6);
  EXPECT_NEAR(two->k2, 1.452e-10, 0.001e-10);
  // Pure skin loss: a negative dielectric term would come out of noise, and is dropped.
  const std::vector<LossPoint> skin{{1e6, 1.0}, {4e6, 2.0}, {16e6, 3.9}};
  const auto onlySkin = FitLoss(skin, LossLength::Per100Metres, error);
  ASSERT_TRUE(onlySkin);
  EXPECT_EQ(onlySkin->k2, 0.0);
  EXPECT_GT(onlySkin->k1, 0.0);
}

struct BadLoss {
  std::vector<LossPoint> points;
  std::string error;
};
class FitLossRefuses : public testing::TestWithParam<BadLoss> {};
TEST_P(FitLossRefuses, WithItsReason) {
  std::string error;
  EXPECT_FALSE(FitLoss(GetParam().points, LossLength::Per100Metres, error));
  EXPECT_EQ(error, GetParam().error);
}
INSTANTIATE_TEST_SUITE_P(
    Figures, FitLossRefuses,
    testing::Values(BadLoss{{{1e6, 1.0}}, "the loss needs figures at two or more frequencies"},
                    BadLoss{{{0.0, 1.0}, {1e6, 2.0}}, "a loss figure's frequency must be above 0"},
                    BadLoss{{{1e6, -1.0}, {2e6, 2.0}}, "a loss figure must be above 0 dB"},
                    BadLoss{{{1e6, 1.0}, {2e6, NAN}}, "a loss figure must be above 0 dB"}));

TEST(TransmissionLineTest, MatchedLossIsTheDatasheetLoss) {
  // The constants made from the figures give back the fitted loss: alpha = R / 2Z0 + G Z0 / 2
  // holds to the square of the loss per radian, a few parts in a thousand for thin cable at
  // 1.8 MHz, far below the figures' own precision.
  for (const CableType& cable : CableTable()) {
    std::string error;
    const auto fit = FitLoss(cable.loss, LossLength::Per100Feet, error);
    ASSERT_TRUE(fit) << cable.name;
    const TransmissionLine line = cable.Line(100.0);
    for (const double f : {1.8e6, 3.6e6, 14e6, 50e6, 440e6}) {
      EXPECT_NEAR(line.MatchedLossDb(f) / (100.0 * fit->DbPerMetre(f)), 1.0, 5e-3)
          << cable.name << " at " << f;
    }
    // The fit stays near every figure the datasheet lists.
    for (const LossPoint& point : cable.loss) {
      const double fitted = fit->DbPerMetre(point.hertz) * 100.0 * kMetresPerFoot;
      EXPECT_NEAR(fitted / point.dbPer100, 1.0, 0.25) << cable.name << " at " << point.hertz;
    }
    EXPECT_NEAR(line.CharacteristicImpedance(100e6).real(), cable.impedance, 0.01);
    EXPECT_FALSE(cable.datasheet.empty());
  }
}

TEST(TransmissionLineTest, FindsCablesByLooseName) {
  ASSERT_NE(FindCable("rg213"), nullptr);
  EXPECT_EQ(FindCable("RG-213")->name, "RG-213");
  EXPECT_EQ(FindCable("Lmr-400")->name, "LMR-400");
  EXPECT_EQ(FindCable("rg-6")->impedance, 75.0);
  EXPECT_EQ(FindCable("RG-999"), nullptr);
}

TEST(TransmissionLineTest, RemovingUndoesAdding) {
  const TransmissionLine line = FindCable("RG-58")->Line(37.0);
  for (const double f : {1e6, 3.7e6, 29e6, 144e6}) {
    for (const Complex z : {Complex(5, -300), Complex(50, 0), Complex(2000, 900)}) {
      const Complex back =
          ThroughLine(line, f, ThroughLine(line, f, z, LineDirection::Add), LineDirection::Remove);
      EXPECT_LE(std::abs(back - z), 1e-9 * std::abs(z)) << f << " " << z;
    }
  }
}

TEST(TransmissionLineTest, LostPowerIsWhatRAndGDissipate) {
  // The watts in minus the watts out against the integral of R |I|^2 / 2 + G |V|^2 / 2 along
  // the line, the current and voltage found from the far end's values.
  const TransmissionLine line = FindCable("RG-174")->Line(23.0);
  const double f = 21e6;
  const Complex load(12.0, -70.0);
  const LineFigures figures = LineFiguresAt(line, f, load, 100.0, 50.0);
  const Complex gamma = line.Propagation(f), z0 = line.CharacteristicImpedance(f);
  // From the far end: V(y) = VL cosh(g y) + IL Z0 sinh(g y), y from the far end.
  const double vl = std::sqrt(2.0 * figures.wattsOut / (1.0 / load).real());
  const Complex vL(vl, 0.0), iL = vL / load;
  const LineConstants& c = line.Constants();
  const int steps = 20000;
  const double h = line.Length() / steps;
  double dissipated = 0.0;
  for (int k = 0; k <= steps; ++k) {
    const double y = k * h;
    const Complex v = vL * std::cosh(gamma * y) + iL * z0 * std::sinh(gamma * y);
    const Complex i = iL * std::cosh(gamma * y) + vL / z0 * std::sinh(gamma * y);
    const double p = 0.5 * (c.Resistance(f) * std::norm(i) + c.Conductance(f) * std::norm(v));
    const double weight = (k == 0 || k == steps) ? 1.0 : (k % 2 == 1 ? 4.0 : 2.0);
    dissipated += weight * p * h / 3.0;
  }
  EXPECT_NEAR(dissipated / (figures.wattsIn - figures.wattsOut), 1.0, 1e-8);
  EXPECT_GT(figures.mismatchLossDb, 0.5);
  EXPECT_NEAR(figures.lossDb - figures.mismatchLossDb, figures.matchedLossDb, 1e-12);
}

TEST(TransmissionLineTest, MatchedLineHasNoMismatchLoss) {
  const TransmissionLine line = FindCable("RG-213")->Line(30.0);
  const double f = 3.6e6;
  const LineFigures figures = LineFiguresAt(line, f, line.CharacteristicImpedance(f), 1000.0, 50.0);
  EXPECT_NEAR(figures.mismatchLossDb, 0.0, 1e-12);
  EXPECT_NEAR(figures.mismatchWatts, 0.0, 1e-9);
  EXPECT_NEAR(figures.lossDb, figures.matchedLossDb, 1e-12);
}

TEST(TransmissionLineTest, PeakVoltageOfAStandingWave) {
  // 100 W into a lossless 50 ohm line ending in 100 ohms: the voltage peaks at the load (and
  // every half wave back), sqrt(2 P R) = 141.42 V; the minimum is half that.
  const TransmissionLine line = Lossless(50.0, 0.66, 17.3);
  const LineFigures figures = LineFiguresAt(line, 7.1e6, {100.0, 0.0}, 100.0, 50.0);
  EXPECT_NEAR(figures.peakVolts, std::sqrt(2.0 * 100.0 * 100.0), 1e-6);
  EXPECT_NEAR(figures.nearVswr, 2.0, 0.5);  // at the radio: depends on the line's length
  EXPECT_NEAR(figures.farVswr, 2.0, 1e-12);
  EXPECT_NEAR(figures.wattsOut, 100.0, 1e-9);
}

TEST(TransmissionLineTest, OpenAndShortGiveTheLineBack) {
  // A lossy line measured open and shorted over a band of several half waves: the branch of
  // the atanh must follow the phase through every half wave.
  const TransmissionLine line = FindCable("RG-8X")->Line(41.0);
  std::vector<double> hertz;
  std::vector<Complex> open, shorted;
  for (double f = 0.5e6; f <= 60e6; f += 0.25e6) {
    hertz.push_back(f);
    open.push_back(line.SeenThrough(f, {INFINITY, 0.0}));
    shorted.push_back(line.SeenThrough(f, {0.0, 0.0}));
  }
  const auto points = CharacteriseLine(hertz, open, shorted);
  ASSERT_EQ(points.size(), hertz.size());
  for (const LineMeasurementPoint& point : points) {
    const Complex z0 = line.CharacteristicImpedance(point.hertz);
    const Complex gl = line.Propagation(point.hertz) * line.Length();
    EXPECT_LE(std::abs(point.impedance - z0), 1e-9 * std::abs(z0)) << point.hertz;
    EXPECT_LE(std::abs(point.propagationL - gl), 1e-9 * std::abs(gl)) << point.hertz;
  }
  EXPECT_GT(points.back().propagationL.imag(), 10 * kPi);  // past ten half waves
  std::string error;
  const auto fitted = FitMeasuredLine(points, line.Length(), error);
  ASSERT_TRUE(fitted) << error;
  EXPECT_NEAR(fitted->velocityFactor, 0.78, 1e-3);
  EXPECT_NEAR(fitted->impedance, 50.0, 0.05);
  EXPECT_NEAR(fitted->line.MatchedLossDb(14e6) / line.MatchedLossDb(14e6), 1.0, 1e-2);
}

TEST(LineEmbeddingTest, TypedLoadSampledFinelyEnough) {
  // A typed load through a long line, as a file: between its samples the interpolated
  // impedance stays within 1e-4 of the line's own.
  const TransmissionLine line = FindCable("RG-213")->Line(30.0);
  const auto load = [](double f) { return Complex(40.0, 2 * kPi * f * 1e-6); };
  const TouchstoneData data =
      LineSeenData(load, 1e6, 30e6, line, LineDirection::Add, 50.0, "load.s1p");
  const TouchstonePort port(data, 1);
  for (double f = 1.01e6; f < 30e6; f += 0.37e6) {
    const Complex exact = line.SeenThrough(f, load(f));
    EXPECT_LE(std::abs(port.Impedance(f) - exact), 1e-4 * std::abs(exact)) << f;
  }
}

// A sparse file of a smooth load (a series RLC resonant near 3.75 MHz, four points) behind 30 m:
// the line turns S by about a radian between the points, so the seen port is right between them
// only when the far end is interpolated first and then seen through the line. Removing the line
// and adding it again gives the file back at its own frequencies.
TEST(LineEmbeddingTest, ASparseFileIsSeenThroughTheLineBetweenItsPoints) {
  const TransmissionLine line = FindCable("RG-213")->Line(30.0);
  const auto antenna = [](double f) {
    const double w = 2 * kPi * f;
    return Complex(35.0 + 2e-6 * f, w * 10e-6 - 1.0 / (w * 180e-12));
  };
  TouchstoneData file;
  file.name = "antenna.s1p";
  file.version = 1;
  file.ports = 1;
  file.referenceImpedances = {50.0};
  file.frequencies = {3.0e6, 3.5e6, 4.0e6, 4.5e6};
  for (const double f : file.frequencies) file.s.push_back(ReflectionOf(antenna(f), 50.0));
  const TouchstonePort far(file, 1);
  for (const LineDirection direction : {LineDirection::Add, LineDirection::Remove}) {
    const TouchstonePort seen(LineSeenData(far, line, direction, 50.0, "seen.s1p"), 1);
    EXPECT_EQ(seen.From(), far.From());
    EXPECT_EQ(seen.To(), far.To());
    for (double f = 3.0e6; f <= 4.5e6; f += 0.0123e6) {
      const Complex direct = ThroughLine(line, f, far.Impedance(f), direction);
      EXPECT_LE(std::abs(seen.Impedance(f) - direct), 1e-6 * std::abs(direct)) << f;
    }
  }
  const TouchstonePort removed(LineSeenData(far, line, LineDirection::Remove, 50.0, "far.s1p"), 1);
  const TouchstonePort back(LineSeenData(removed, line, LineDirection::Add, 50.0, "back.s1p"), 1);
  for (const double f : file.frequencies) {
    EXPECT_LE(std::abs(back.Impedance(f) - antenna(f)), 1e-9 * std::abs(antenna(f))) << f;
  }
}

}  // namespace
}  // namespace corvantile
