// The sweep with a measured side: without one it is today's sweep to the bit; with a file that
// holds exactly the typed load's impedance at every sweep point it gives the typed sweep's
// figures, with ideal or lossy parts; a span beyond the file's band is refused with the band
// in the message.
#include <cmath>
#include <complex>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "analysis/solvers/frequency_response.h"
#include "analysis/circuits/matching_circuit.h"
#include "analysis/formats/number_text.h"
#include "analysis/circuits/part_losses.h"
#include "analysis/solvers/sweep_summary.h"
#include "analysis/formats/touchstone.h"
#include "analysis/formats/touchstone_reader.h"
#include "state/startup_values.h"

namespace corvantile {
namespace {

MatchingCircuit DefaultCircuit() { return DesignCircuit(MakeDefaultRunState()).circuit; }

// A 1-port file of `side`'s impedance at every frequency, against 50 ohms.
TouchstoneData FileOf(const Termination& side, const std::vector<double>& frequencies) {
  std::string text = "# Hz S RI R 50\n";
  for (const double f : frequencies) {
    const std::complex<double> z = TerminationImpedance(side, 2.0 * 3.14159265358979323846 * f);
    const std::complex<double> s = (z - 50.0) / (z + 50.0);
    text += ExactNumber(f) + " " + ExactNumber(s.real()) + " " + ExactNumber(s.imag()) + "\n";
  }
  const TouchstoneRead read = ReadTouchstoneText(text, "load.s1p");
  EXPECT_TRUE(read.Ok()) << read.error;
  return read.data;
}

TEST(MeasuredSweepTest, WithoutFilesTheSweepIsUnchanged) {
  const MatchingCircuit circuit = DefaultCircuit();
  const SweepSpan span = DefaultSweepSpan(circuit.designFrequency);
  const std::vector<ResponsePoint> plain = SweepResponse(circuit, span);
  std::vector<ResponsePoint> measured;
  SweepResponse(circuit, span, MeasuredSides{}, measured);
  ASSERT_EQ(measured.size(), plain.size());
  for (std::size_t k = 0; k < plain.size(); ++k) {
    EXPECT_EQ(std::memcmp(&measured[k], &plain[k], sizeof(ResponsePoint)), 0) << k;
  }
}

TEST(MeasuredSweepTest, AFileOfTheTypedLoadGivesTheTypedSweep) {
  const MatchingCircuit circuit = DefaultCircuit();
  SweepSpan span = DefaultSweepSpan(circuit.designFrequency);
  span.points = 201;
  const TouchstoneData load = FileOf(circuit.load, SweepFrequencies(span));
  const TouchstonePort port(load, 1);
  const TouchstoneData source = FileOf(circuit.source, SweepFrequencies(span));
  const TouchstonePort sourcePort(source, 1);
  ASSERT_EQ(MeasuredSpanProblem(span, {&sourcePort, &port}), "");
  const std::vector<ResponsePoint> typed = SweepResponse(circuit, span);
  for (const MeasuredSides sides :
       {MeasuredSides{nullptr, &port}, MeasuredSides{&sourcePort, nullptr},
        MeasuredSides{&sourcePort, &port}}) {
    std::vector<ResponsePoint> measured;
    SweepResponse(circuit, span, sides, measured);
    ASSERT_EQ(measured.size(), typed.size());
    for (std::size_t k = 0; k < typed.size(); ++k) {
      EXPECT_EQ(measured[k].frequency, typed[k].frequency);
      EXPECT_LE(std::abs(measured[k].inputImpedance - typed[k].inputImpedance),
                1e-9 * std::abs(typed[k].inputImpedance))
          << k;
      EXPECT_NEAR(measured[k].transducerGainDb, typed[k].transducerGainDb, 1e-7) << k;
      EXPECT_NEAR(measured[k].loadPower, typed[k].loadPower, 1e-9 * typed[k].loadPower + 1e-300);
    }
  }
}

TEST(MeasuredSweepTest, SpanBeyondTheBandIsRefused) {
  const MatchingCircuit circuit = DefaultCircuit();
  const TouchstoneData load = FileOf(circuit.load, {1e6, 2e6, 3e6});
  const TouchstonePort port(load, 1);
  EXPECT_EQ(MeasuredSpanProblem({1e6, 4e6, 11, true}, {nullptr, &port}),
            "4 MHz is outside load.s1p's band (1 MHz to 3 MHz)");
  EXPECT_EQ(MeasuredSpanProblem({0.5e6, 3e6, 11, true}, {&port, nullptr}),
            "500 kHz is outside load.s1p's band (1 MHz to 3 MHz)");
  EXPECT_EQ(MeasuredSpanProblem({0.0, 3e6, 11, true}, {&port, nullptr}),
            "the sweep must start above 0 Hz");
  EXPECT_EQ(MeasuredSpanProblem({1e6, 3e6, 11, true}, {&port, &port}), "");
}

// The summary's evaluator takes one point at a time: it must be the sweep's point there, also
// between the file's points, where both interpolate.
TEST(MeasuredSweepTest, OnePointIsTheSweepsPointThere) {
  const MatchingCircuit circuit = DefaultCircuit();
  const TouchstoneData load = FileOf(circuit.load, {1e6, 2e6, 3e6, 5e6, 8e6});
  const TouchstonePort port(load, 1);
  const SweepSpan span{1e6, 8e6, 37, true};
  for (const MeasuredSides sides :
       {MeasuredSides{nullptr, &port}, MeasuredSides{&port, nullptr}, MeasuredSides{}}) {
    std::vector<ResponsePoint> swept;
    SweepResponse(circuit, span, sides, swept);
    for (const ResponsePoint& p : swept) {
      const ResponsePoint q = EvaluateResponse(circuit, p.frequency, sides);
      EXPECT_LE(std::abs(q.inputImpedance - p.inputImpedance), 1e-12 * std::abs(p.inputImpedance))
          << p.frequency;
      EXPECT_NEAR(q.transducerGainDb, p.transducerGainDb, 1e-9) << p.frequency;
      EXPECT_NEAR(q.loadPower, p.loadPower, 1e-9 * p.loadPower + 1e-300) << p.frequency;
    }
  }
}

// The one-port of what the source sees, read back by our own reader, presents the sweep's input
// impedance at every point, whatever the reference impedance.
TEST(MeasuredSweepTest, TheMatchedOnePortReadsBackAsTheInputImpedance) {
  const MatchingCircuit circuit = DefaultCircuit();
  const TouchstoneData load = FileOf(circuit.load, {1e6, 2e6, 3e6, 5e6, 8e6});
  const TouchstonePort port(load, 1);
  std::vector<ResponsePoint> swept;
  SweepResponse(circuit, {1e6, 8e6, 23, false}, {nullptr, &port}, swept);
  for (const double z0 : {50.0, 1500.0}) {
    const std::string text = TouchstoneS1p(swept, z0, {"a comment", "another"});
    EXPECT_TRUE(text.starts_with("! a comment\n! another\n")) << text.substr(0, 40);
    const TouchstoneRead read = ReadTouchstoneText(text, "seen.s1p");
    ASSERT_TRUE(read.Ok()) << read.error;
    ASSERT_EQ(read.data.frequencies.size(), swept.size());
    const TouchstonePort seen(read.data, 1);
    EXPECT_EQ(seen.ReferenceImpedance(), z0);
    for (const ResponsePoint& p : swept) {
      EXPECT_LE(std::abs(seen.Impedance(p.frequency) - p.inputImpedance),
                1e-9 * std::abs(p.inputImpedance))
          << p.frequency << " at " << z0;
    }
  }
}

LossModel Losses(double inductorQ, double inductorLaw, double capacitorQ, double capacitorLaw) {
  LossModel model;
  model.inductor = {inductorQ, inductorLaw};
  model.capacitor = {capacitorQ, capacitorLaw};
  return model;
}

// The default Pi, and a Tee with a reactive load, so that both chain matrices and a load whose
// impedance moves with frequency are covered.
std::vector<MatchingCircuit> Circuits() {
  MatchingCircuit tee = DefaultCircuit();
  tee.topology = NetworkTopology::Tee;
  tee.elements = {CircuitPart{PartKind::Capacitor, 150e-12},
                  {PartKind::Inductor, 12e-6},
                  {PartKind::Inductor, 4e-6}};
  tee.load = {Connection::Series, 40.0, {PartKind::Capacitor, 300e-12}};
  return {DefaultCircuit(), tee};
}

bool SameBits(const std::vector<ResponsePoint>& a, const std::vector<ResponsePoint>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t k = 0; k < a.size(); ++k) {
    if (std::memcmp(&a[k], &b[k], sizeof(ResponsePoint)) != 0) return false;
  }
  return true;
}

// Ideal parts take the lossless measured sweep, and no measured side takes the lossy sweep,
// each to the bit; the summary likewise.
TEST(MeasuredLossySweepTest, IdealPartsOrNoFileGiveTheExistingSweepsToTheBit) {
  for (const MatchingCircuit& circuit : Circuits()) {
    const SweepSpan span{1e6, 8e6, 57, true};
    const TouchstoneData load = FileOf(circuit.load, {1e6, 2e6, 3e6, 5e6, 8e6});
    const TouchstonePort port(load, 1);
    const MeasuredSides sides{&port, &port};
    std::vector<ResponsePoint> measured, combined;
    SweepResponse(circuit, span, sides, measured);
    SweepResponse(circuit, span, sides, combined, IdealLossModel());
    EXPECT_TRUE(SameBits(combined, measured));

    const LossModel lossy = Losses(80.0, 0.5, 400.0, 0.0);
    std::vector<ResponsePoint> withoutFile;
    SweepResponse(circuit, span, MeasuredSides{}, combined, lossy);
    SweepResponse(circuit, span, withoutFile, lossy);
    EXPECT_TRUE(SameBits(combined, withoutFile));

    const SweepSummary a = SummarizeSweep(circuit, span, MeasuredSides{}, lossy, withoutFile);
    const SweepSummary b = SummarizeSweep(circuit, withoutFile, lossy);
    EXPECT_EQ(std::memcmp(&a.atDesign, &b.atDesign, sizeof(ResponsePoint)), 0);
    EXPECT_EQ(a.attenuation2f0Db, b.attenuation2f0Db);
    EXPECT_EQ(a.bands[0].upper, b.bands[0].upper);
    EXPECT_TRUE(a.measured2f0 && a.measured3f0);
  }
}

struct LossCase {
  const char* name;
  LossModel model;
};

// A file that holds the typed side's impedance at every sweep point is the typed side, also
// with lossy parts: constant Q, skin effect, constant resistance, one element's own Q.
TEST(MeasuredLossySweepTest, AFileOfTheTypedSideGivesTheTypedLossySweep) {
  LossModel ownQ = Losses(100.0, 0.5, 1000.0, 0.0);
  ownQ.elementQ[1] = 25.0;
  const std::vector<LossCase> cases = {{"constant Q", Losses(60.0, 0.0, 200.0, 0.0)},
                                       {"skin effect", Losses(100.0, 0.5, 1000.0, 0.0)},
                                       {"constant R", Losses(30.0, 1.0, 150.0, 1.0)},
                                       {"element 2 Q 25", ownQ}};
  for (const MatchingCircuit& circuit : Circuits()) {
    SweepSpan span = DefaultSweepSpan(circuit.designFrequency);
    span.points = 151;
    const TouchstoneData load = FileOf(circuit.load, SweepFrequencies(span));
    const TouchstoneData source = FileOf(circuit.source, SweepFrequencies(span));
    const TouchstonePort loadPort(load, 1), sourcePort(source, 1);
    for (const LossCase& c : cases) {
      SCOPED_TRACE(std::string(circuit.familyName) + ", " + c.name);
      const std::vector<ResponsePoint> typed = SweepResponse(circuit, span, c.model);
      for (const MeasuredSides sides :
           {MeasuredSides{nullptr, &loadPort}, MeasuredSides{&sourcePort, nullptr},
            MeasuredSides{&sourcePort, &loadPort}}) {
        std::vector<ResponsePoint> measured;
        SweepResponse(circuit, span, sides, measured, c.model);
        ASSERT_EQ(measured.size(), typed.size());
        for (std::size_t k = 0; k < typed.size(); ++k) {
          EXPECT_EQ(measured[k].frequency, typed[k].frequency);
          EXPECT_LE(std::abs(measured[k].inputImpedance - typed[k].inputImpedance),
                    1e-9 * std::abs(typed[k].inputImpedance))
              << k;
          EXPECT_NEAR(measured[k].transducerGainDb, typed[k].transducerGainDb, 1e-7) << k;
          EXPECT_NEAR(measured[k].returnLossDb, typed[k].returnLossDb,
                      1e-6 * std::max(1.0, typed[k].returnLossDb))
              << k;
          // The point on its own is the sweep's point.
          const ResponsePoint one = EvaluateResponse(circuit, typed[k].frequency, sides, c.model);
          EXPECT_LE(std::abs(one.inputImpedance - measured[k].inputImpedance),
                    1e-12 * std::abs(measured[k].inputImpedance))
              << k;
        }
      }
    }
  }
}

// A side measured as a constant resistance (two file points, so every sweep point lies between
// them) is that resistance typed: the lossy network's figures agree whether or not it is the
// resistance the network was designed for, and the lossy parts take power, so the gain lies
// below the ideal network's at every point.
TEST(MeasuredLossySweepTest, AConstantImpedanceFileIsTheTypedImpedance) {
  const MatchingCircuit designed = DefaultCircuit();
  ASSERT_EQ(designed.load.part.kind, PartKind::Short);
  ASSERT_EQ(designed.source.part.kind, PartKind::Short);
  const SweepSpan span = DefaultSweepSpan(designed.designFrequency);
  const LossModel model = Losses(50.0, 0.5, 500.0, 0.0);
  for (const bool onLoad : {true, false}) {
    for (const double resistance : {300.0, 600.0, 1500.0}) {
      SCOPED_TRACE(std::string(onLoad ? "load " : "source ") + std::to_string(resistance));
      MatchingCircuit typedCircuit = designed;
      Termination& side = onLoad ? typedCircuit.load : typedCircuit.source;
      side.resistance = resistance;
      const TouchstoneData file = FileOf(side, {span.from, span.to});
      const TouchstonePort port(file, 1);
      const MeasuredSides sides =
          onLoad ? MeasuredSides{nullptr, &port} : MeasuredSides{&port, nullptr};
      const std::vector<ResponsePoint> typed = SweepResponse(typedCircuit, span, model);
      std::vector<ResponsePoint> measured, ideal;
      SweepResponse(designed, span, sides, measured, model);
      SweepResponse(designed, span, sides, ideal);
      ASSERT_EQ(measured.size(), typed.size());
      for (std::size_t k = 0; k < typed.size(); ++k) {
        EXPECT_LE(std::abs(measured[k].inputImpedance - typed[k].inputImpedance),
                  1e-9 * std::abs(typed[k].inputImpedance))
            << k;
        EXPECT_LE(std::abs(measured[k].reflection - typed[k].reflection), 1e-9) << k;
        EXPECT_NEAR(measured[k].transducerGainDb, typed[k].transducerGainDb, 1e-7) << k;
        EXPECT_LT(measured[k].transducerGainDb, ideal[k].transducerGainDb) << k;
      }
    }
  }
}

// With a measured side, a harmonic beyond its file is flagged and reads "not measured"; one
// inside it has its figure from the lossy measured response.
TEST(MeasuredLossySweepTest, AHarmonicBeyondTheFileIsNotMeasured) {
  const MatchingCircuit circuit = DefaultCircuit();  // 3.75 MHz
  const TouchstoneData load = FileOf(circuit.load, {1e6, 3e6, 8e6});
  const TouchstonePort port(load, 1);
  const SweepSpan span{1e6, 8e6, 101, true};
  const LossModel model = Losses(100.0, 0.5, 1000.0, 0.0);
  std::vector<ResponsePoint> sweep;
  SweepResponse(circuit, span, {nullptr, &port}, sweep, model);
  const SweepSummary summary = SummarizeSweep(circuit, span, {nullptr, &port}, model, sweep);
  EXPECT_TRUE(summary.measured2f0);   // 7.5 MHz
  EXPECT_FALSE(summary.measured3f0);  // 11.25 MHz
  const double gain0 = EvaluateResponse(circuit, 3.75e6, {nullptr, &port}, model).transducerGainDb;
  const double gain2 = EvaluateResponse(circuit, 7.5e6, {nullptr, &port}, model).transducerGainDb;
  EXPECT_DOUBLE_EQ(summary.attenuation2f0Db, gain0 - gain2);
  EXPECT_EQ(AttenuationText(summary.attenuation3f0Db, summary.measured3f0), "not measured");
  EXPECT_EQ(AttenuationText(12.345, true), "12.35 dB");
}

}  // namespace
}  // namespace corvantile
