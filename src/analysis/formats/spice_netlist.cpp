#include "analysis/formats/spice_netlist.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <locale>
#include <numbers>
#include <sstream>

#include "analysis/circuits/circuit_text.h"
#include "analysis/formats/number_text.h"
#include "analysis/formats/part_file.h"

namespace corvantile {
namespace {

// One part between two nodes, named by its kind: "C1 in 0 1.178e-10". Shorts and open parts
// are never written.
void WritePart(std::ostringstream& out, std::string_view name, const CircuitPart& part,
               std::string_view a, std::string_view b) {
  const char letter = part.kind == PartKind::Inductor ? 'L' : 'C';
  out << letter << name << ' ' << a << ' ' << b << ' ' << ExactNumber(part.value) << '\n';
}

bool Present(const CircuitPart& part) {
  return part.kind == PartKind::Inductor || part.kind == PartKind::Capacitor;
}

constexpr double kTwoPi = 2.0 * std::numbers::pi;

// The EMF behind the source resistance, the source's part, and the sense source into "in".
void WriteSource(std::ostringstream& out, const Termination& source, double emf) {
  out << "VEMF emf 0 DC 0 AC " << ExactNumber(emf) << '\n';
  std::string sourceEnd = "s1";
  out << "RSRC emf s1 " << ExactNumber(source.resistance) << '\n';
  if (Present(source.part)) {
    if (source.connection == Connection::Series) {
      WritePart(out, "SRC", source.part, "s1", "s2");
      sourceEnd = "s2";
    } else {
      WritePart(out, "SRC", source.part, "emf", "s1");
    }
  }
  out << "VSENSE " << sourceEnd << " in DC 0\n";
}

// The load at `outNode`, the .ac card and the control block that prints the figures.
void WriteLoadAndAnalysis(std::ostringstream& out, const Termination& load,
                          const std::string& outNode, const SweepSpan& span) {
  // The load, and the voltage across its resistance.
  const std::string r = ExactNumber(load.resistance);
  std::string loadVoltage = "v(" + outNode + ")";
  if (Present(load.part) && load.connection == Connection::Series) {
    out << "RLOAD " << outNode << " l1 " << r << '\n';
    WritePart(out, "LOAD", load.part, "l1", "0");
    loadVoltage = "v(" + outNode + ")-v(l1)";
  } else {
    out << "RLOAD " << outNode << " 0 " << r << '\n';
    if (Present(load.part)) WritePart(out, "LOAD", load.part, outNode, "0");
  }

  if (span.logarithmic) {
    out << ".ac dec " << SpicePointsPerDecade(span);
  } else {
    out << ".ac lin " << span.points;
  }
  out << ' ' << ExactNumber(span.from) << ' ' << ExactNumber(span.to) << '\n';
  out << ".control\n"
      << "set numdgt=12\n"
      << "set width=160\n"
      << "set nobreak\n"
      << "run\n"
      << "let zin = v(in)/i(vsense)\n"
      << "let zin_re = real(zin)\n"
      << "let zin_im = imag(zin)\n"
      << "let vload = " << loadVoltage << '\n'
      << "let pload = mag(vload)*mag(vload)/" << r << '\n'
      << "print zin_re zin_im pload\n"
      << "quit 0\n"
      << ".endc\n"
      << ".end\n";
}

}  // namespace

int SpicePointsPerDecade(const SweepSpan& span) {
  const double decades = std::log10(span.to / span.from);
  const double perDecade = static_cast<double>(span.points - 1) / decades;
  // Rounded up, so that the card never sweeps more coarsely than the span asks.
  return static_cast<int>(std::clamp(std::ceil(perDecade - 1e-9), 1.0, 1e9));
}

std::string SpiceNetlist(const MatchingCircuit& circuit, const SweepSpan& span) {
  return SpiceNetlist(circuit, span, IdealLossModel());
}

std::string SpiceNetlist(const MatchingCircuit& c, const SweepSpan& span, const LossModel& losses) {
  const std::array<PartQ, 3> q = CircuitQ(c, losses);
  const double omega0 = kTwoPi * c.designFrequency;
  std::array<double, 3> esr{};
  for (std::size_t k = 0; k < 3; ++k) {
    esr[k] = q[k].esr > 0.0 ? q[k].esr
                            : SeriesResistance(PartReactance(c.elements[k], omega0), q[k],
                                               c.designFrequency, c.designFrequency);
  }
  std::ostringstream out;
  out.imbue(std::locale::classic());
  out << "Corvantile " << c.familyName << " matching network, "
      << ShortNumber(c.source.resistance, 7) << " ohm source to "
      << ShortNumber(c.load.resistance, 7) << " ohm load at "
      << EngineeringText(c.designFrequency, "Hz") << '\n';
  for (const std::string& line : DescribeCircuit(c)) out << "* " << line << '\n';
  out << "* VEMF: " << ShortNumber(c.sourceEmf, 7) << " V RMS behind the source impedance makes "
      << ShortNumber(c.designPower, 7) << " W available at "
      << EngineeringText(c.designFrequency, "Hz") << ".\n"
      << "* Nodes: emf (the EMF), in (network input, after the 0-V sense source VSENSE),\n"
      << "* out (network output, where the load connects), 0 (ground). Phasors are RMS.\n"
      << "* Printed per frequency: zin_re, zin_im = impedance the source sees at node in (ohm);\n"
      << "* pload = power in the load resistance (W).\n";
  for (std::size_t k = 0; k < 3; ++k) {
    const PartQ& pq = q[k];
    const std::string n = std::to_string(k + 1);
    if (pq.file && Present(c.elements[k])) {
      const std::complex<double> z = pq.file->Impedance(c.designFrequency);
      out << "* Element " << n << " is the part measured in " << pq.file->FileName() << " ("
          << PartFileMountingName(pq.file->Mounting()) << "): written here as its impedance at "
          << EngineeringText(c.designFrequency, "Hz") << ", " << ShortNumber(z.real(), 7)
          << (z.imag() < 0.0 ? " - j" : " + j") << ShortNumber(std::fabs(z.imag()), 7)
          << " ohm,\n* a resistor R" << n << " and the "
          << (z.imag() < 0.0 ? "capacitor" : "inductor")
          << " of that reactance; exact at that frequency only.\n";
      continue;
    }
    if (esr[k] > 0.0 && !(pq.esr > 0.0)) {
      out << "* R" << n << ": series resistance of element " << n << ", |X| / Q at "
          << EngineeringText(c.designFrequency, "Hz") << " (Q " << ShortNumber(pq.q0, 7) << ", "
          << QLawText(pq.law)
          << (pq.law == 1.0 ? ").\n" : "); a plain resistor, exact there only.\n");
    }
    if (HasParasitics(pq) && Present(c.elements[k])) {
      // Only the elements the equivalent circuit has.
      std::string parts;
      auto add = [&parts](const std::string& item) { parts += (parts.empty() ? "" : ", ") + item; };
      if (esr[k] > 0.0) add("R" + n + " its series resistance");
      if (pq.esl > 0.0) add("LS" + n + " its ESL in series");
      if (pq.leakage > 0.0) add("RP" + n + " its leakage across its L or C");
      if (pq.cp > 0.0) add("CP" + n + " its capacitance across the whole part");
      out << "* Element " << n << "'s equivalent circuit (" << PartModelText(pq) << "): " << parts
          << ".\n";
    }
  }

  WriteSource(out, c.source, c.sourceEmf);

  // The network. A series short joins its two nodes into one; an open shunt is left out. A
  // lossy element is its part and its series resistance through a node of its own; an
  // equivalent circuit adds its ESL in series, its leakage across the part itself and its Cp
  // across the whole.
  auto WriteLossyPart = [&](int k, const std::string& a, const std::string& b) {
    const std::string name = std::to_string(k);
    const std::size_t index = static_cast<std::size_t>(k - 1);
    const PartQ& pq = q[index];
    CircuitPart part = c.elements[index];
    double r = esr[index];
    if (pq.file) {
      // The measured part at f0: its resistance and the ideal part of its reactance.
      const std::complex<double> z = pq.file->Impedance(c.designFrequency);
      r = z.real();
      part = z.imag() >= 0.0 ? CircuitPart{PartKind::Inductor, z.imag() / omega0}
                             : CircuitPart{PartKind::Capacitor, -1.0 / (omega0 * z.imag())};
      if (z.imag() == 0.0) part = CircuitPart{};
    }
    // a - part - e - R - f - ESL - b, each node there only when what follows it is.
    const bool esl = !pq.file && pq.esl > 0.0;
    const std::string afterPart = r > 0.0 ? "e" + name : esl ? "f" + name : b;
    const std::string afterR = esl ? "f" + name : b;
    if (Present(part)) {
      WritePart(out, name, part, a, afterPart);
    } else {
      out << "VW" << name << ' ' << a << ' ' << afterPart << " DC 0\n";
    }
    if (!pq.file && pq.leakage > 0.0) {
      out << "RP" << name << ' ' << a << ' ' << afterPart << ' ' << ExactNumber(pq.leakage) << '\n';
    }
    if (r > 0.0)
      out << 'R' << name << ' ' << afterPart << ' ' << afterR << ' ' << ExactNumber(r) << '\n';
    if (esl) out << "LS" << name << ' ' << afterR << ' ' << b << ' ' << ExactNumber(pq.esl) << '\n';
    if (!pq.file && pq.cp > 0.0) {
      out << "CP" << name << ' ' << a << ' ' << b << ' ' << ExactNumber(pq.cp) << '\n';
    }
  };
  std::string node = "in";
  auto series = [&](int k, const std::string& next) {
    const CircuitPart& part = c.elements[k - 1];
    if (!Present(part)) return node;  // a plain wire: no new node
    WriteLossyPart(k, node, next);
    return next;
  };
  auto shunt = [&](int k) {
    const CircuitPart& part = c.elements[k - 1];
    if (Present(part)) WriteLossyPart(k, node, "0");
  };
  if (c.topology == NetworkTopology::Pi) {
    shunt(1);
    node = series(2, "out");
    shunt(3);
  } else {
    node = series(1, "mid");
    shunt(2);
    node = series(3, "out");
  }
  const std::string outNode = node;

  WriteLoadAndAnalysis(out, c.load, outNode, span);
  return out.str();
}

std::string SpiceNetlist(const LadderCircuit& c, const SweepSpan& span) {
  std::ostringstream out;
  out.imbue(std::locale::classic());
  out << "Corvantile ladder of " << c.elements.size() << " elements, "
      << ShortNumber(c.source.resistance, 7) << " ohm source to "
      << ShortNumber(c.load.resistance, 7) << " ohm load\n";
  for (std::size_t k = 0; k < c.elements.size(); ++k) {
    const LadderElement& e = c.elements[k];
    out << "* element " << k + 1 << ": " << (e.shunt ? "shunt " : "series ") << DescribePart(e.part)
        << '\n';
  }
  out << "* VEMF: " << ShortNumber(c.sourceEmf, 7) << " V RMS behind the source impedance makes "
      << ShortNumber(c.designPower, 7) << " W available at "
      << EngineeringText(c.designFrequency, "Hz") << ".\n"
      << "* Nodes: emf (the EMF), in (network input, after the 0-V sense source VSENSE),\n"
      << "* n1, n2, ... between series elements, out (where the load connects), 0 (ground).\n"
      << "* Printed per frequency: zin_re, zin_im = impedance the source sees at node in (ohm);\n"
      << "* pload = power in the load resistance (W).\n";
  WriteSource(out, c.source, c.sourceEmf);
  std::size_t seriesLeft = 0;
  for (const LadderElement& e : c.elements) seriesLeft += !e.shunt && Present(e.part) ? 1 : 0;
  std::string node = "in";
  int next = 0;
  for (std::size_t k = 0; k < c.elements.size(); ++k) {
    const LadderElement& e = c.elements[k];
    if (!Present(e.part)) continue;  // a wire joins its nodes; an open shunt is not there
    const std::string name = std::to_string(k + 1);
    if (e.shunt) {
      WritePart(out, name, e.part, node, "0");
      continue;
    }
    const std::string to = --seriesLeft == 0 ? std::string("out") : "n" + std::to_string(++next);
    WritePart(out, name, e.part, node, to);
    node = to;
  }
  // With no series element the load sits at the input node itself.
  WriteLoadAndAnalysis(out, c.load, node, span);
  return out.str();
}

}  // namespace corvantile
