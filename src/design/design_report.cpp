#include "design/design_report.h"

#include "state/file_writer.h"

namespace corvantile {

std::filesystem::path SuggestedReportFile(const std::optional<std::filesystem::path>& designFile) {
  if (!designFile || designFile->filename().empty()) return "design.pdf";
  std::filesystem::path file = *designFile;
  return file.replace_extension(".pdf");
}

bool WriteDesignReport(const report::ReportInputs& inputs, const std::filesystem::path& file,
                       std::string& error) {
  return WriteFileAtomically(file, report::DesignReportPdf(inputs), error);
}

}  // namespace corvantile
