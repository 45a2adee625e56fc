#include "cli/report_command.h"

#include <array>
#include <iostream>
#include <vector>

#include <unistd.h>

#include "cli/command_output.h"
#include "cli/design_options.h"
#include "cli/loss_options.h"
#include "math/design_network.h"
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
};

CommandOptions Bind(ReportArguments& a) {
  CommandOptions options{
      .command = "report",
      .groups = {DesignGroup(a.request, "Design options (as for corvantile-cli design):\n"),
                 LossGroup(a.losses,
                           "Loss options (any of them puts the losses and the "
                           "compensated values in the report):\n"),
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
         "page 2, with the losses and the compensated values when a loss option is given.\n" +
         OptionsHelp(ReportCommandOptions()) + "\n" + std::string(kExitStatusHelp) +
         "For report, 1 is an impossible design: no PDF is written.\n"
         "\n"
         "Examples:\n"
         "  corvantile-cli report -o design.pdf\n"
         "  corvantile-cli report --family tee --load series:50:25 -o tee.pdf\n"
         "  corvantile-cli report --q-inductor 120 --q-capacitor 800 -o lossy.pdf\n";
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
  const bool toStandardOutput = *output.file == "-";
  if (toStandardOutput && &out == &std::cout && ::isatty(STDOUT_FILENO) == 1) {
    return Fail(err, "report: will not write a PDF to a terminal (use -o FILE)");
  }

  DesignModel model;
  std::vector<std::string> notes;
  const bool built = BuildDesignModel(request, model, error, notes, &losses);
  for (const std::string& note : notes) err << "corvantile-cli: note: " << OneLine(note) << '\n';
  if (!built) return Fail(err, error);
  const report::ReportInputs inputs = ReportOf(model);
  if (inputs.outcome == DesignOutcome::Impossible) {
    return Fail(err, "report: no network can be designed for these values", kExitImpossibleDesign);
  }
  const std::string pdf = report::DesignReportPdf(inputs);
  if (toStandardOutput) {
    out << pdf;
    return kExitOk;
  }
  return Deliver(pdf, output, out, err);
}

}  // namespace corvantile::cli
