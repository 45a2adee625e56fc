#pragma once

// The design report as text: what `corvantile-cli design` prints, kept beside the PDF report so
// that every program part that writes the design as text uses this one writer. No toolkit, no Qt.

#include <complex>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/solvers/lossy_network.h"
#include "analysis/circuits/matching_circuit.h"
#include "analysis/circuits/part_losses.h"
#include "math/design_network.h"
#include "state/circuit_state.h"

namespace corvantile::report {

// Rows of cells written in columns two blanks apart, each line without trailing blanks:
// {{"a", "bb"}, {"ccc", "d"}} with indent "  " -> "  a    bb\n  ccc  d\n".
std::string TextColumns(const std::vector<std::vector<std::string>>& rows, std::string_view indent);

// The text without its leading and trailing blanks: the formatters pad with them.
std::string Trimmed(std::string text);

// A formatter's text followed by its unit as the report writes it, the prefix joined to the unit
// ("1.5 k" + "ohms" -> "1.5 kohms"); the formatters' empty zero text shows as 0.
std::string WithUnit(const std::string& formatted, std::string_view unit);

// The line that marks an impossible design in the report.
inline constexpr std::string_view kImpossibleDesignLine =
    "impossible design: no network of this family matches this source and load (caution: the "
    "derived values are cleared to 0)";

// The readable report of a designed state: family, frequency, power, phases, source and load in
// series and parallel form, each network element (part value, reactance, volts and amps, or
// "absent"), the Q values and the intermediate resistance, all written with the program's
// formatters. Ends with a newline.
std::string DesignReport(const RunState& state, DesignOutcome outcome);

// True when an element's part value stands for no part: above 10 in magnitude (henries or
// farads) or below TinyMagnitude (1e-13), as the design window hides such an element.
bool IsAbsentPart(float part, const StartupValues& startup);

// "Source: measured, antenna.s1p port 1: 42.5 + j13.1 ohms at 3.75 MHz": the line that says a
// side follows a measured file, `fileName` the file's name alone and `atDesign` the impedance
// its port presents at `designFrequency`. No newline.
std::string MeasuredSideLine(std::string_view side, std::string_view fileName, int port,
                             std::complex<double> atDesign, double designFrequency);

// What the parts' Q makes of one designed circuit: the analysis of the designed (ideal value)
// parts with their losses and, when compensating, the compensated design and its analysis.
struct LossFigures {
  LossModel model;
  LossAnalysis designed;
  bool compensated = false;
  CompensatedDesign compensation;
  LossAnalysis compensatedAnalysis;
};

// `designDriver` is NetValues[DesignDriver] (which outer element a fixed design keeps).
LossFigures ComputeLossFigures(const MatchingCircuit& circuit, const LossModel& model,
                               bool compensate, float designDriver);

// The losses block appended to the design report, starting with a blank line: per part its Q
// and law, series resistance, watts, RMS and peak volts and amps; the totals (input and load
// power, efficiency, dissipative, mismatch and transducer loss, return loss, VSWR, the
// impedance the source sees); when compensated, the compensated part values beside the ideal
// ones, the outcome line and the compensated network's figures.
std::string LossesReport(const MatchingCircuit& circuit, const LossFigures& figures);

// The losses block of a designed state: LossesReport of its circuit, or, for a design without
// one, "\nLosses: none analysed (the reason)\n".
std::string LossesBlock(const RunState& state, DesignOutcome outcome, const LossModel& model,
                        bool compensate);

}  // namespace corvantile::report
