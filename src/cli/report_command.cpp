#include "cli/report_command.h"

#include <array>
#include <iostream>
#include <optional>
#include <sstream>
#include <vector>

#include <unistd.h>

#include "cli/band_options.h"
#include "cli/command_output.h"
#include "cli/design_options.h"
#include "cli/loss_options.h"
#include "math/design_network.h"
#include "model/band_report.h"
#include "model/design_answers.h"
#include "report/design_report_pdf.h"
#include "state/message_text.h"

namespace corvantile::cli {
namespace {

constexpr std::array<std::string_view, 1> kReportFormats{"pdf"};

struct ReportArguments {
  DesignRequest request;
  OutputRequest output;
  LossOptions losses;
  BandRequest band;
  std::optional<int> pickCount;
};

CommandOptions Bind(ReportArguments& a) {
  OptionGroup band{
      "Band options (as for corvantile-cli band): the report gets a \"Band match\" section\n"
      "with one design of the search, as the response window's Band page puts it there:\n",
      BandSearchOptions(a.band),
      {}};
  band.options.push_back(BandPickOption(a.pickCount));
  CommandOptions options{
      .command = "report",
      .groups = {DesignGroup(a.request, "Design options (as for corvantile-cli design):\n"),
                 LossGroup(a.losses,
                           "Loss options (any of them puts the losses and the "
                           "compensated values in the report):\n"),
                 std::move(band),
                 OutputGroup(a.output, "pdf (the only one)", {},
                             "  -o FILE is required; -o - writes the PDF to standard output, "
                             "which must not be a\n"
                             "  terminal. FILE is replaced only once the new file is complete.\n")},
  };
  options.name_every_error = false;
  return options;
}

}  // namespace

CommandOptions ReportCommandOptions() { return Declared(Bind); }

std::string ReportHelp() {
  return "Usage: corvantile-cli report [OPTIONS] -o FILE\n"
         "\n"
         "Writes the design report as a two-page A4 PDF, the same file the design window's\n"
         "\"Report...\" command writes: the inputs, the schematic, every part value as the\n"
         "design window shows it, the response plot (return loss and transducer gain from a\n"
         "quarter to four times the design frequency) and the Smith chart on page 1; the\n"
         "standard values and the parts list with ratings (twice the peak volts and amps) on\n"
         "page 2, with the losses and the compensated values when a loss option is given.\n"
         "With --band, a band design of 'corvantile-cli band' for the same source and load\n"
         "follows: the bands, the Bode-Fano bound, the ladder, its in-band figures and parts.\n" +
         OptionsHelp(ReportCommandOptions()) + "\n" + std::string(kExitStatusHelp) +
         "For report, 1 is an impossible design: no PDF is written.\n"
         "\n"
         "Examples:\n"
         "  corvantile-cli report -o design.pdf\n"
         "  corvantile-cli report --family tee --load series:50:25 -o tee.pdf\n"
         "  corvantile-cli report --q-inductor 120 --q-capacitor 800 -o lossy.pdf\n"
         "  corvantile-cli report --band 3.5M:3.8M --load series:12:-30 --pick 4 -o band.pdf\n";
}

int RunReportCommand(std::span<const std::string_view> arguments, std::ostream& out,
                     std::ostream& err) {
  ReportArguments a;
  std::string error;
  switch (ParseOptions(Bind(a), arguments, error)) {
    case ParseResult::Help:
      out << ReportHelp();
      return kExitOk;
    case ParseResult::Failed:
      return Fail(err, error);
    case ParseResult::Ready:
      break;
  }
  const DesignRequest& request = a.request;
  const OutputRequest& output = a.output;
  const LossOptions& losses = a.losses;
  std::string format;
  if (!ChooseFormat(output, kReportFormats, format, error)) return Fail(err, "report: " + error);
  if (!output.file) {
    return Fail(err, "report: -o FILE is required (the report is a PDF file)");
  }
  if (a.pickCount && a.band.options.bands.empty()) return Fail(err, "report: --pick needs --band");
  const bool toStandardOutput = *output.file == "-";
  if (toStandardOutput && &out == &std::cout && ::isatty(STDOUT_FILENO) == 1) {
    return Fail(err, "report: will not write a PDF to a terminal (use -o FILE)");
  }

  DesignModel model;
  std::vector<std::string> notes;
  const bool built = BuildDesignModel(request, model, error, notes, &losses);
  for (const std::string& note : notes) err << "corvantile-cli: note: " << OneLine(note) << '\n';
  if (!built) return Fail(err, error);
  report::ReportInputs inputs = ReportOf(model);
  if (inputs.outcome == DesignOutcome::Impossible) {
    return Fail(err, "report: no network can be designed for these values", kExitImpossibleDesign);
  }
  if (!a.band.options.bands.empty()) {
    // The search's notes are the design options' again, said once above.
    std::ostringstream repeatedNotes;
    BandRun run;
    const int status = RunBandSearch(request, a.band, run, error, repeatedNotes);
    if (status != kExitOk) return Fail(err, "report: " + error, status);
    const BandDesign* chosen = PickBandDesign(run.match, a.pickCount);
    if (chosen == nullptr) {
      return Fail(err, "report: " + NoPickedDesignText(run.match, a.pickCount.value_or(0)),
                  kExitImpossibleDesign);
    }
    const auto design = static_cast<std::size_t>(chosen - run.match.designs.data());
    BandAnswer answer;
    answer.searched = true;
    answer.designFrequency = run.designFrequency;
    answer.bands = a.band.options.bands;
    answer.match = std::move(run.match);
    inputs.bandLines = BandReportLines(answer, design);
  }
  const std::string pdf = report::DesignReportPdf(inputs);
  if (toStandardOutput) {
    out << pdf;
    return kExitOk;
  }
  return Deliver(pdf, output, out, err);
}

}  // namespace corvantile::cli
