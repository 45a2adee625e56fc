#pragma once

// The design report as text: what `corvantile-cli design` prints, kept beside the PDF report so
// that every program part that writes the design as text uses this one writer. No toolkit, no Qt.

#include <string>
#include <string_view>
#include <vector>

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

}  // namespace corvantile::report
