// The Parts page's logic: its figures are the loss analysis' for the network the Response page
// draws, written with the program's formatters; the transmitter tank gives its known figures;
// nothing reads NaN or inf; and the response follows the compensation.
#include "response/parts_view.h"

#include <cmath>
#include <complex>
#include <ostream>
#include <string>

#include <gtest/gtest.h>

#include "analysis/formats/number_text.h"
#include "response/response_text.h"
#include "response/response_view.h"
#include "state/codes.h"
#include "support/design_cases.h"
#include "units/constants.h"

namespace corvantile {
namespace {

// 2500 ohm to 50 ohm, Pi, element 1 fixed at -208.33 ohm (an input Q of 12), 1.5 kW.
RunState TankState() {
  testing::DesignCase c;
  c.family = FamilyPi;
  c.source = {1, 2500.0f, 0.0f};
  c.load = {1, 50.0f, 0.0f};
  c.power = 1500.0f;
  RunState state = testing::StateFor(c);
  state.NetValues[DesignDriver] = DriverX1;
  state.NetValues[NetX1] = -208.33f;
  return state;
}

// Capacitors of Q 2000 and a coil of Q 200, both constant.
LossModel TankLosses() {
  LossModel model;
  model.inductor = {200.0, 0.0};
  model.capacitor = {2000.0, 0.0};
  return model;
}

// The number at the start of a figure's text, in the unit its SI prefix names.
double ReadBack(const std::string& text) {
  std::size_t used = 0;
  const double number = std::stod(text, &used);
  const std::string rest = text.substr(used);
  static constexpr std::pair<const char*, double> kPrefixes[] = {
      {" p", 1e-12}, {" n", 1e-9}, {" u", 1e-6}, {" m", 1e-3}, {" k", 1e3}, {" M", 1e6}};
  for (const auto& [prefix, scale] : kPrefixes) {
    if (rest.rfind(prefix, 0) == 0 && rest.size() > 2 && rest[2] != 'h') return number * scale;
  }
  return number;
}

void ExpectNear4(double shown, double exact, const std::string& what) {
  // Four significant digits.
  EXPECT_NEAR(shown, exact, std::abs(exact) * 5.1e-4 + 1e-12) << what;
}

TEST(PartsView, TheTransmitterTankShowsItsKnownFigures) {
  RunState state = TankState();
  const PartsView view = BuildPartsView(state, RunDesignPass(state), TankLosses(), false);
  ASSERT_TRUE(view.hasNetwork) << view.noNetworkReason;
  const LossAnalysis& a = view.analysis;
  EXPECT_NEAR(a.efficiency, 0.93, 0.01);
  EXPECT_NEAR(a.parts[1].watts, 94.0, 2.0);
  EXPECT_NEAR(a.parts[0].watts, 8.0, 1.0);
  EXPECT_NEAR(a.inputImpedance.real(), 2332.0, 5.0);
  EXPECT_NEAR(a.inputImpedance.imag(), -26.0, 2.0);
  EXPECT_EQ(view.figureLines[0], "Efficiency: " + PercentText(a.efficiency, 2));
}

// Every figure of every row is AnalyzeLosses' for the circuit the page says it shows, read
// back from its text; the ideal value is the design's, the compensated value the compensated
// design's.
TEST(PartsView, EveryFigureIsTheLossAnalysis) {
  RunState state = TankState();
  const MatchingCircuit ideal = DesignCircuit(state).circuit;
  for (const bool compensate : {false, true}) {
    const PartsView view = BuildPartsView(state, RunDesignPass(state), TankLosses(), compensate);
    ASSERT_TRUE(view.hasNetwork);
    const CompensatedDesign comp = CompensateLosses(ideal, TankLosses(), DriverX1);
    const LossAnalysis exact = AnalyzeLosses(compensate ? comp.circuit : ideal, TankLosses());
    ASSERT_EQ(view.rows.size(), 3u);
    for (const PartsRow& row : view.rows) {
      const std::size_t i = static_cast<std::size_t>(row.element - 1);
      const PartStress& s = exact.parts[i];
      const std::string at = "element " + std::to_string(row.element);
      EXPECT_EQ(row.cells[0], "Element " + std::to_string(row.element));
      ExpectNear4(ReadBack(row.cells[1]), ideal.elements[i].value, at + " ideal value");
      ExpectNear4(ReadBack(row.cells[2]), comp.circuit.elements[i].value, at + " compensated");
      ExpectNear4(ReadBack(row.cells[3]), s.reactance, at + " reactance");
      ExpectNear4(ReadBack(row.cells[4]), s.q.q0, at + " Q");
      ExpectNear4(ReadBack(row.cells[5]), s.voltsRms, at + " V RMS");
      ExpectNear4(ReadBack(row.cells[6]), s.voltsPeak, at + " V peak");
      ExpectNear4(ReadBack(row.cells[7]), s.ampsRms, at + " A RMS");
      ExpectNear4(ReadBack(row.cells[8]), s.ampsPeak, at + " A peak");
      ExpectNear4(ReadBack(row.cells[9]), s.watts, at + " watts");
      EXPECT_EQ(row.cells[10], QLawText(s.q.law));
    }
    EXPECT_EQ(view.figureLines[3],
              "Mismatch loss: " + FixedNumber(exact.mismatchLossDb, 3) + " dB");
    EXPECT_EQ(view.figureLines[5], "Return loss: " + ReturnLossText(exact.returnLossDb, 3));
    EXPECT_EQ(view.figureLines[6], "Input impedance: " + ImpedanceText(exact.inputImpedance));
    // The compensated network is matched: no mismatch loss left to speak of.
    if (compensate) {
      EXPECT_LT(exact.mismatchLossDb, 1e-6);
    }
  }
}

// The return loss at f0 of `circuit` with every part's series resistance |X|/Q0, solved here as
// a ladder from the load to the source, against the conjugate of the source impedance.
double LadderReturnLossDb(const MatchingCircuit& circuit, const LossModel& model) {
  const double omega = 2.0 * kPi * circuit.designFrequency;
  std::complex<double> z = TerminationImpedance(circuit.load, omega);
  for (int k = 3; k >= 1; --k) {
    const CircuitPart& part = circuit.elements[static_cast<std::size_t>(k - 1)];
    const bool shunt = IsShuntElement(circuit.topology, k);
    if (part.kind == PartKind::Open) {
      EXPECT_TRUE(shunt) << "an open series element leaves no network";
      continue;
    }
    double x = 0.0, q0 = 0.0;
    if (part.kind == PartKind::Inductor) {
      x = omega * part.value;
      q0 = model.inductor.q0;
    } else if (part.kind == PartKind::Capacitor) {
      x = -1.0 / (omega * part.value);
      q0 = model.capacitor.q0;
    }
    const std::complex<double> element(q0 > 0.0 ? std::abs(x) / q0 : 0.0, x);
    z = shunt ? z * element / (z + element) : z + element;
  }
  const std::complex<double> source = TerminationImpedance(circuit.source, omega);
  return -20.0 * std::log10(std::abs((z - std::conj(source)) / (z + source)));
}

struct CompensationCase {
  const char* name;
  RunState (*state)();
  LossModel (*model)();
  bool compensate;
};

void PrintTo(const CompensationCase& c, std::ostream* os) { *os << c.name; }

LossModel VeryLossy() {
  LossModel model;
  model.inductor = {4.0, 0.0};
  model.capacitor = {4.0, 0.0};
  return model;
}

class CompensationLineTest : public ::testing::TestWithParam<CompensationCase> {};

// The page says the network matches the source exactly only when the network its figures are
// of does (solved independently, a return loss beyond 60 dB); with compensation off and lossy
// parts it gives that network's return loss.
TEST_P(CompensationLineTest, SaysWhatTheShownNetworkDoes) {
  const CompensationCase& c = GetParam();
  RunState state = c.state();
  const LossModel model = c.model();
  const PartsView view = BuildPartsView(state, RunDesignPass(state), model, c.compensate);
  ASSERT_TRUE(view.hasNetwork) << view.noNetworkReason;
  const MatchingCircuit designed = DesignCircuit(state).circuit;
  const MatchingCircuit shown =
      c.compensate ? CompensateLosses(designed, model, state.NetValues[DesignDriver]).circuit
                   : designed;
  const double returnLoss = LadderReturnLossDb(shown, model);
  const std::string& line = view.figureLines.back();
  ASSERT_TRUE(line.starts_with("Compensation: ")) << line;
  const bool saysExact = line.find("network matches the source exactly") != std::string::npos;
  EXPECT_EQ(saysExact, returnLoss > 60.0) << line << "\nreturn loss " << returnLoss;
  EXPECT_EQ(line.starts_with("Compensation: off"), !c.compensate) << line;
  if (!c.compensate && !IsIdealFor(designed, model)) {
    const std::size_t at = line.find("its return loss is ");
    ASSERT_NE(at, std::string::npos) << line;
    EXPECT_NEAR(std::stod(line.substr(at + 19)), returnLoss, 5e-4) << line;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CompensationLineTest,
    ::testing::Values(CompensationCase{"TankIdealOff", TankState, IdealLossModel, false},
                      CompensationCase{"TankIdealOn", TankState, IdealLossModel, true},
                      CompensationCase{"TankLossyOff", TankState, TankLosses, false},
                      CompensationCase{"TankLossyOn", TankState, TankLosses, true},
                      CompensationCase{"TankVeryLossyOff", TankState, VeryLossy, false},
                      CompensationCase{"TankVeryLossyOn", TankState, VeryLossy, true},
                      CompensationCase{"DefaultLossyOff", MakeDefaultRunState, TankLosses, false},
                      CompensationCase{"DefaultLossyOn", MakeDefaultRunState, TankLosses, true}),
    [](const ::testing::TestParamInfo<CompensationCase>& param) {
      return std::string(param.param.name);
    });

TEST(PartsView, IdealPartsReadIdealAndDissipateNothing) {
  RunState state = MakeDefaultRunState();
  const PartsView view = BuildPartsView(state, RunDesignPass(state), IdealLossModel(), false);
  ASSERT_TRUE(view.hasNetwork);
  for (const PartsRow& row : view.rows) {
    EXPECT_EQ(row.cells[4], "ideal");
    EXPECT_EQ(row.cells[9], "0 W");
    EXPECT_EQ(row.cells[10], kNoFigure);
    EXPECT_EQ(row.cells[1], row.cells[2]);  // nothing to compensate
  }
  EXPECT_EQ(view.figureLines[0], "Efficiency: 100.00 %");
}

TEST(PartsView, NoNetworkShowsNoRows) {
  RunState state = MakeDefaultRunState();
  state.NetValues[NetworkPhase] = 0.0f;
  const PartsView view = BuildPartsView(state, RunDesignPass(state), TankLosses(), true);
  EXPECT_FALSE(view.hasNetwork);
  EXPECT_EQ(view.noNetworkReason, "no network can be designed for these values");
  EXPECT_TRUE(view.rows.empty());
}

// Parts of Q far below 1 leave figures that may not be computable: none reads NaN or inf.
TEST(PartsView, NoFigureReadsNanOrInf) {
  for (const double q : {1e-9, 0.01, 1.0, 1e12}) {
    LossModel model;
    model.inductor = {q, 0.5};
    model.capacitor = {q, 1.0};
    for (const bool compensate : {false, true}) {
      RunState state = TankState();
      const PartsView view = BuildPartsView(state, RunDesignPass(state), model, compensate);
      std::string all;
      for (const PartsRow& row : view.rows) {
        for (const std::string& cell : row.cells) all += cell + "|";
      }
      for (const std::string& line : view.figureLines) all += line + "|";
      EXPECT_EQ(all.find("nan"), std::string::npos) << q << " " << all;
      EXPECT_EQ(all.find("inf"), std::string::npos) << q << " " << all;
    }
  }
  EXPECT_EQ(FigureText(std::nan(""), [](double) { return std::string("x"); }), kNoFigure);
  EXPECT_EQ(FigureText(INFINITY, [](double) { return std::string("x"); }), kNoFigure);
}

TEST(PartsView, TheSettingsFileLossesAreTheModel) {
  LossModel model = TankLosses();
  model.inductor.law = 0.5;
  model.elementQ[2] = 150.0;
  const LossSettings settings = LossSettingsOf(model, true);
  EXPECT_TRUE(settings.compensate);
  const LossModel back = LossModelOf(settings);
  EXPECT_EQ(LossSettingsOf(back, true), settings);
  EXPECT_FALSE(IsLossy(LossModelOf(std::nullopt).inductor));
  EXPECT_FALSE(IsLossy(LossModelOf(std::nullopt).capacitor));
}

// Ideal losses reproduce the lossless response bit for bit; with lossy parts and
// compensation asked for, the Response page sweeps the compensated network with its losses.
TEST(ResponseViewLosses, IdealIsLosslessAndCompensationChangesTheSweep) {
  RunState state = TankState();
  const DesignOutcome outcome = RunDesignPass(state);
  ResponseSettings settings;
  ResponseView lossless;
  UpdateResponseView(state, outcome, settings, lossless);
  ASSERT_TRUE(lossless.hasNetwork);
  const std::vector<ResponsePoint> exact =
      SweepResponse(DesignCircuit(state).circuit, lossless.span);
  ASSERT_EQ(lossless.sweep.size(), exact.size());
  for (std::size_t i = 0; i < exact.size(); ++i) {
    EXPECT_EQ(lossless.sweep[i].returnLossDb, exact[i].returnLossDb);
    EXPECT_EQ(lossless.sweep[i].transducerGainDb, exact[i].transducerGainDb);
  }
  EXPECT_TRUE(lossless.compensationText.empty());

  settings.losses = TankLosses();
  ResponseView lossy;
  UpdateResponseView(state, outcome, settings, lossy);
  settings.compensate = true;
  ResponseView compensated;
  UpdateResponseView(state, outcome, settings, compensated);
  ASSERT_TRUE(compensated.hasNetwork);
  EXPECT_FALSE(compensated.compensationText.empty());
  const MatchingCircuit expected =
      CompensateLosses(DesignCircuit(state).circuit, TankLosses(), DriverX1).circuit;
  for (std::size_t k = 0; k < 3; ++k) {
    EXPECT_EQ(compensated.circuit.elements[k].value, expected.elements[k].value);
  }
  const std::vector<ResponsePoint> compensatedSweep =
      SweepResponse(expected, compensated.span, TankLosses());
  for (std::size_t i = 0; i < compensatedSweep.size(); ++i) {
    EXPECT_EQ(compensated.sweep[i].returnLossDb, compensatedSweep[i].returnLossDb);
  }
  // At the design frequency the lossy design is mismatched, the compensated one is not.
  const HarmonicMarker& f0Lossy = lossy.markers[0];
  const HarmonicMarker& f0Compensated = compensated.markers[0];
  EXPECT_LT(f0Lossy.response.returnLossDb, 40.0);
  EXPECT_GT(f0Compensated.response.returnLossDb, 60.0);
  // The lossy parts cost gain at f0 either way.
  EXPECT_LT(f0Compensated.response.transducerGainDb, -0.2);
}

// The pairs' lines name every part-bearing element's pair, the match and the count of parts,
// and nothing at all without a network.
TEST(PairsLinesTest, NameEveryPairTheMatchAndThePartCount) {
  const RunState state = TankState();
  const StandardChoice choice;
  PairChoice pairChoice;
  pairChoice.series = choice;
  const StandardPairs pairs = SolveStandardPairs(state, pairChoice, TankLosses());
  ASSERT_EQ(pairs.problem, CircuitProblem::None);
  const std::vector<std::string> lines = PairsLines(pairs, choice);
  ASSERT_EQ(lines.size(), 5u);  // heading, three elements, the match
  EXPECT_EQ(lines[0],
            "Best pairs of standard values (inductors E12 in series, capacitors E24 in parallel):");
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(lines[i + 1], "Element " + std::to_string(i + 1) + ": " +
                                PairValueText(pairs.design.circuit.elements[i], pairs.pairs[i]));
  }
  EXPECT_EQ(lines[4], "Return loss " +
                          ReturnLossText(pairs.design.summary.atDesign.returnLossDb, 3) +
                          ", VSWR " + FixedNumber(pairs.design.summary.atDesign.vswr, 3) + ", " +
                          std::to_string(pairs.partCount) + " parts");
  for (const std::string& line : lines) {
    EXPECT_EQ(line.find("nan"), std::string::npos) << line;
    EXPECT_EQ(line.find("inf"), std::string::npos) << line;
  }

  StandardPairs none;
  none.problem = CircuitProblem::Impossible;
  EXPECT_TRUE(PairsLines(none, choice).empty());
}

}  // namespace
}  // namespace corvantile

namespace corvantile {
namespace {

// A capacitor with ESL resonates at 1 / (2 pi sqrt(ESL C)): each capacitor's row says where, and
// how near the design frequency is to it, worked out here from the part's value alone.
TEST(PartsViewModels, TheSrfColumnsAreTheSeriesResonance) {
  RunState state = TankState();
  const DesignOutcome outcome = RunDesignPass(state);
  LossModel losses = TankLosses();
  losses.capacitorParts.esl = 20e-9;
  const PartsView view = BuildPartsView(state, outcome, losses, false);
  const MatchingCircuit circuit = BuildCircuit(state, outcome).circuit;
  int capacitors = 0;
  for (const PartsRow& row : view.rows) {
    const CircuitPart& part = circuit.elements[static_cast<std::size_t>(row.element - 1)];
    const std::string at = "element " + std::to_string(row.element);
    if (part.kind != PartKind::Capacitor) {
      EXPECT_EQ(row.cells[12], kNoFigure) << at;
      EXPECT_EQ(row.cells[13], kNoFigure) << at;
      continue;
    }
    ++capacitors;
    const double srf = 1.0 / (2.0 * kPi * std::sqrt(20e-9 * part.value));
    EXPECT_EQ(row.cells[11], "Q 2000 (constant Q), ESL 20 nH") << at;
    ExpectNear4(ReadBack(row.cells[12]), srf, at + " SRF");
    EXPECT_NEAR(std::stod(row.cells[13]), circuit.designFrequency / srf, 0.006) << at;
  }
  EXPECT_EQ(capacitors, 2);
}

TEST(PartsViewModels, APartNearItsResonanceIsWarnedUnderTheFigures) {
  RunState state = TankState();
  const DesignOutcome outcome = RunDesignPass(state);
  LossModel losses = TankLosses();
  EXPECT_TRUE(BuildPartsView(state, outcome, losses, false).warnings.empty());
  // 20 uH puts even the 204 pF input capacitor's resonance below the 3.75 MHz design frequency.
  losses.capacitorParts.esl = 20e-6;
  const PartsView view = BuildPartsView(state, outcome, losses, false);
  ASSERT_EQ(view.warnings.size(), 2u);
  for (const std::string& warning : view.warnings) {
    EXPECT_NE(warning.find("is above its self-resonant frequency"), std::string::npos) << warning;
  }
}

struct ModelTextCase {
  PartModelSlot slot;
  const char* text;
  const char* problem;  // "" when the text is taken
};

class PartModelTextTest : public ::testing::TestWithParam<ModelTextCase> {};

// A text taken is kept as typed; a refused one leaves the settings exactly as they were.
TEST_P(PartModelTextTest, TakesTheGrammarOrChangesNothing) {
  const ModelTextCase& c = GetParam();
  PartModelSettings before;
  before.inductorModel = "cp:0.2p";
  before.elementModel[1] = "esl:1n";
  const PartModelEdit edit = WithPartModelText(before, c.slot, c.text);
  EXPECT_EQ(edit.problem, c.problem);
  if (*c.problem != '\0') {
    EXPECT_EQ(edit.models, before);
    EXPECT_TRUE(edit.problem.starts_with(PartModelSlotName(c.slot))) << edit.problem;
    return;
  }
  EXPECT_EQ(PartModelSlotText(edit.models, c.slot), c.text);
  // Only that slot changed.
  PartModelSettings back = edit.models;
  const PartModelEdit undo = WithPartModelText(back, c.slot, PartModelSlotText(before, c.slot));
  EXPECT_EQ(undo.models, before);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, PartModelTextTest,
    ::testing::Values(
        ModelTextCase{PartModelSlot::Capacitor, "esr:0.05,esl:0.4n", ""},
        ModelTextCase{PartModelSlot::Inductor, "", ""},
        ModelTextCase{PartModelSlot::Inductor, "q:60,law:0.5,cp:0.15p", ""},
        ModelTextCase{PartModelSlot::Element3, "ideal", ""},
        ModelTextCase{PartModelSlot::Element2, "", ""},
        ModelTextCase{PartModelSlot::Element2, "esl:-1n",
                      "element 2 model: esl cannot be negative"},
        ModelTextCase{PartModelSlot::Element1, "law:0.5",
                      "element 1 model: an element keeps its kind's Q law (law: is for inductor "
                      "or capacitor)"},
        ModelTextCase{PartModelSlot::Capacitor, "esl",
                      "capacitor model: 'esl' needs a value (esl:VALUE)"},
        ModelTextCase{PartModelSlot::Capacitor, "foo:1",
                      "capacitor model: 'foo' is not q, law, esr, esl, leak, cp or ideal"},
        ModelTextCase{PartModelSlot::Inductor, "law:9",
                      "inductor model: the law must lie between -4 and 4"},
        ModelTextCase{PartModelSlot::Capacitor, "esr:1,esl:0.4n,esr:2",
                      "capacitor model: 'esr' is given twice"}));

}  // namespace
}  // namespace corvantile
