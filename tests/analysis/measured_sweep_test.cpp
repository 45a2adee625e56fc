// The sweep with a measured side: without one it is today's sweep to the bit; with a file that
// holds exactly the typed load's impedance at every sweep point it gives the typed sweep's
// figures; a span beyond the file's band is refused with the band in the message.
#include <cmath>
#include <complex>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "analysis/frequency_response.h"
#include "analysis/matching_circuit.h"
#include "analysis/number_text.h"
#include "analysis/touchstone.h"
#include "analysis/touchstone_reader.h"
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

}  // namespace
}  // namespace corvantile
