#include "cli/command_output.h"

#include <algorithm>

#include "state/file_writer.h"
#include "state/message_text.h"

namespace corvantile::cli {

int Fail(std::ostream& err, std::string_view message, int status) {
  err << "corvantile-cli: " << OneLine(message) << '\n';
  return status;
}

OptionTake TakeOutputOption(ArgumentCursor& args, OutputRequest& output, std::string& error) {
  if (args.AtEnd()) return OptionTake::NotMine;
  const std::string_view argument = args.Peek();
  const OptionArgument option =
      argument == "-o" ? OptionArgument{argument, std::nullopt} : SplitOption(argument);
  const bool isFile = option.name == "-o" || option.name == "--output";
  if (!isFile && option.name != "--format") return OptionTake::NotMine;
  if (!isFile && !IsOptionArgument(argument)) return OptionTake::NotMine;
  args.Take();
  std::string_view value;
  std::optional<std::string>& target = isFile ? output.file : output.format;
  if (target) {
    error = isFile ? "-o/--output may be given only once" : "--format may be given only once";
    return OptionTake::Failed;
  }
  const bool taken =
      isFile ? args.TakeFileName(option, value, error) : args.TakeValue(option, value, error);
  if (!taken) return OptionTake::Failed;
  target = std::string(value);
  return OptionTake::Taken;
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

std::string OutputOptionsHelp(std::string_view formatsHelp) {
  return "  --format FORMAT       " + std::string(formatsHelp) +
         "  -o FILE, --output FILE\n"
         "                        write to FILE instead of standard output; FILE is replaced\n"
         "                        only once the new file is complete\n"
         "  -h, --help            print this help\n";
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
