#include "design/design_report.h"

#include <complex>
#include <string_view>
#include <utility>

#include "analysis/circuits/part_losses.h"
#include "analysis/formats/touchstone_reader.h"
#include "report/report_text.h"
#include "state/file_writer.h"
#include "state/names.h"

namespace corvantile {
namespace {

// The impedance a measured side presents at the design frequency and the file's name, as the
// command-line tool reads them; the state's series R + jX when the file no longer gives it.
std::string MeasuredLine(std::string_view side, const MeasuredSide& measured,
                         const ImpedanceValues& values, double frequency) {
  const TouchstoneRead read = ReadTouchstoneFile(measured.file);
  if (read.Ok() && TouchstonePortProblem(read.data, measured.port).empty()) {
    const TouchstonePort port(read.data, measured.port);
    if (port.Covers(frequency)) {
      return report::MeasuredSideLine(side, port.FileName(), measured.port,
                                      port.Impedance(frequency), frequency);
    }
  }
  const std::complex<double> z(static_cast<double>(values[SeriesR]),
                               static_cast<double>(values[SeriesX]));
  return report::MeasuredSideLine(side, std::filesystem::path(measured.file).filename().string(),
                                  measured.port, z, frequency);
}

}  // namespace

bool LossesSwitchedOn(const std::optional<LossSettings>& losses) {
  if (!losses) return false;
  bool lossy = IsLossy(PartQ{losses->inductorQ, 0.0}) || IsLossy(PartQ{losses->capacitorQ, 0.0});
  for (const std::optional<double>& q : losses->elementQ) {
    lossy = lossy || (q && IsLossy(PartQ{*q, 0.0}));
  }
  return lossy;
}

std::string DesignReportText(const RunState& state, DesignOutcome outcome,
                             const Settings& settings) {
  const double frequency = static_cast<double>(state.NetValues[Frequency]);
  std::string text = report::DesignReport(state, outcome);
  if (settings.measuredSource) {
    text += MeasuredLine("Source", *settings.measuredSource, state.SourceValues, frequency) + '\n';
  }
  if (settings.measuredLoad) {
    text += MeasuredLine("Load", *settings.measuredLoad, state.LoadValues, frequency) + '\n';
  }
  if (LossesSwitchedOn(settings.losses)) {
    text += report::LossesBlock(state, outcome, LossModelOf(settings.losses),
                                settings.losses->compensate);
  }
  return text;
}

report::ReportInputs DesignReportInputs(const RunState& state, DesignOutcome outcome,
                                        const Settings& settings,
                                        std::vector<std::string> toleranceLines) {
  report::ReportInputs inputs;
  inputs.state = state;
  inputs.outcome = outcome;
  if (LossesSwitchedOn(settings.losses)) inputs.losses = LossModelOf(settings.losses);
  inputs.measuredSource = settings.measuredSource;
  inputs.measuredLoad = settings.measuredLoad;
  inputs.toleranceLines = std::move(toleranceLines);
  return inputs;
}

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
