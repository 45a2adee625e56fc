#pragma once

// Where the design window's "Report..." puts the PDF the design model's ReportOf describes,
// and writing it. The text Ctrl+C copies is the model's ReportTextOf.
#include <filesystem>
#include <optional>
#include <string>

#include "report/design_report_pdf.h"

namespace corvantile {

// The name the report's file is offered under: "designs/tank.cfg" -> "designs/tank.pdf"; no
// design file -> "design.pdf".
std::filesystem::path SuggestedReportFile(const std::optional<std::filesystem::path>& designFile);

// Writes the report's PDF to `file` through the program's one file writer; false with its
// one-line `error` ("cannot write 'x.pdf': Permission denied").
bool WriteDesignReport(const report::ReportInputs& inputs, const std::filesystem::path& file,
                       std::string& error);

}  // namespace corvantile
