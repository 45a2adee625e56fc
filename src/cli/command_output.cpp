#include "cli/command_output.h"

#include <algorithm>

#include "state/file_writer.h"
#include "state/message_text.h"

namespace corvantile::cli {

int Fail(std::ostream& err, std::string_view message, int status) {
  err << "corvantile-cli: " << OneLine(message) << '\n';
  return status;
}

std::vector<OptionDecl> OutputOptions(OutputRequest& output, std::string_view formatsHelp) {
  return {
      {.name = "--format",
       .value_name = "FORMAT",
       .help = formatsHelp,
       .read =
           [&output](std::string_view value, std::string& error) {
             // Another option may have chosen the format already (design's --json).
             if (output.format) {
               error = "--format may be given only once";
               return false;
             }
             output.format = std::string(value);
             return true;
           }},
      {.name = "--output",
       .value_name = "FILE",
       .help = "write to FILE instead of standard output; FILE is replaced\n"
               "only once the new file is complete",
       .read =
           [&output](std::string_view value, std::string&) {
             output.file = std::string(value);
             return true;
           },
       .short_name = "-o"},
  };
}

OptionGroup OutputGroup(OutputRequest& output, std::string_view formatsHelp,
                        std::vector<OptionDecl> more, std::string notes) {
  OptionGroup group{"Output options:\n", OutputOptions(output, formatsHelp), std::move(notes)};
  for (OptionDecl& decl : more) group.options.push_back(std::move(decl));
  group.options.push_back(HelpOption());
  return group;
}

bool ChooseFormat(const OutputRequest& output, std::span<const std::string_view> formats,
                  std::string& chosen, std::string& error) {
  if (!output.format) {
    chosen = std::string(formats.front());
    return true;
  }
  if (std::find(formats.begin(), formats.end(), *output.format) != formats.end()) {
    chosen = *output.format;
    return true;
  }
  std::string names;
  for (std::size_t i = 0; i < formats.size(); ++i) {
    if (i > 0) names += i + 1 == formats.size() ? " or " : ", ";
    names += formats[i];
  }
  error = "unknown format " + QuotedValue(*output.format) + " (use " + names + ")";
  return false;
}

int Deliver(std::string_view text, const OutputRequest& output, std::ostream& out,
            std::ostream& err, int status) {
  if (!output.file) {
    out << text;
    return status;
  }
  std::string error;
  if (!WriteFileAtomically(*output.file, text, error)) return Fail(err, error);
  return status;
}

}  // namespace corvantile::cli
