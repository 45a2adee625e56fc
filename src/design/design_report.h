#pragma once

// The design on the design window as the report writes it: the text Ctrl+C copies (what
// `corvantile-cli design` prints for the same design: the report, a line for each side that
// follows a measured file and, when the settings give some part a Q, the losses block) and the
// inputs of the PDF "Report..." writes. Built from the window's state and its document's
// settings alone, so nothing here needs a display.
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "math/design_network.h"
#include "report/design_report_pdf.h"
#include "state/circuit_state.h"
#include "state/settings_file.h"

namespace corvantile {

// True when the settings give some part a Q: a Q0 above 0 for the inductors, the capacitors or
// one element. "Compensate" alone, with every part ideal, changes nothing and adds no losses.
bool LossesSwitchedOn(const std::optional<LossSettings>& losses);

// The report's text for `state` after a design pass that returned `outcome`, as
// `corvantile-cli design` prints it with the same measured files and loss options. A measured
// side's impedance is read from its file again, as the tool reads it; a file that no longer
// reads gives the side's values as the state holds them.
std::string DesignReportText(const RunState& state, DesignOutcome outcome,
                             const Settings& settings);

// What the PDF report is made of: the state, the outcome, the parts' Q when the settings switch
// losses on, the measured sides and the tolerance results' lines (none leaves them out).
report::ReportInputs DesignReportInputs(const RunState& state, DesignOutcome outcome,
                                        const Settings& settings,
                                        std::vector<std::string> toleranceLines = {});

// The name the report's file is offered under: "designs/tank.cfg" -> "designs/tank.pdf"; no
// design file -> "design.pdf".
std::filesystem::path SuggestedReportFile(const std::optional<std::filesystem::path>& designFile);

// Writes the report's PDF to `file` through the program's one file writer; false with its
// one-line `error` ("cannot write 'x.pdf': Permission denied").
bool WriteDesignReport(const report::ReportInputs& inputs, const std::filesystem::path& file,
                       std::string& error);

}  // namespace corvantile
