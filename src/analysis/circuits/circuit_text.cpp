#include "analysis/circuits/circuit_text.h"

#include "analysis/formats/number_text.h"
#include "units/value_text.h"

namespace corvantile {
namespace {

std::string DescribeTermination(std::string_view name, const Termination& side) {
  std::string line = std::string(name) + ": " + ShortNumber(side.resistance, 7) + " ohm";
  const bool bare = side.part.kind == PartKind::Short || side.part.kind == PartKind::Open;
  if (side.connection == Connection::Series) {
    line += bare ? ", series form, no reactive part" : " in series with " + DescribePart(side.part);
  } else {
    line +=
        bare ? ", parallel form, no reactive part" : " in parallel with " + DescribePart(side.part);
  }
  return line;
}

}  // namespace

std::string PartValueText(const CircuitPart& part) {
  switch (part.kind) {
    case PartKind::Inductor:
      return InductanceText(part.value);
    case PartKind::Capacitor:
      return CapacitanceText(part.value);
    case PartKind::Short:
    case PartKind::Open:
      break;
  }
  return std::string(kAbsentPartText);
}

std::string DescribePart(const CircuitPart& part) {
  const bool real = part.kind == PartKind::Inductor || part.kind == PartKind::Capacitor;
  return real ? std::string(PartKindName(part.kind)) + ' ' + PartValueText(part)
              : PartValueText(part);
}

std::vector<std::string> DescribeCircuit(const MatchingCircuit& circuit) {
  const bool pi = circuit.topology == NetworkTopology::Pi;
  std::vector<std::string> lines;
  lines.push_back(std::string(circuit.familyName) + " network" +
                  (pi ? " (shunt, series, shunt)" : " (series, shunt, series)") + " designed at " +
                  FrequencyText(circuit.designFrequency) + " for " +
                  ShortNumber(circuit.designPower, 7) + " W");
  lines.push_back(DescribeTermination("Source", circuit.source));
  for (int k = 1; k <= 3; ++k) {
    const CircuitPart& part = circuit.elements[k - 1];
    std::string line = "Element " + std::to_string(k) + ": ";
    if (IsShuntElement(circuit.topology, k)) {
      if (part.kind == PartKind::Open) {
        line += "no shunt part (open)";
      } else {
        line += "shunt " + DescribePart(part);
        if (pi) line += k == 1 ? " across the source side" : " across the load side";
      }
    } else {
      line += part.kind == PartKind::Short ? "no series part (a plain wire)"
                                           : "series " + DescribePart(part);
    }
    lines.push_back(std::move(line));
  }
  lines.push_back(DescribeTermination("Load", circuit.load));
  return lines;
}

}  // namespace corvantile
