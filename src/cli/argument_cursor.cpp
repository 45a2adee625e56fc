#include "cli/argument_cursor.h"

namespace corvantile::cli {

bool IsOptionArgument(std::string_view argument) {
  return argument.size() > 2 && argument.starts_with("--");
}

bool IsHelpArgument(std::string_view argument) { return argument == "-h" || argument == "--help"; }

OptionArgument SplitOption(std::string_view argument) {
  const std::size_t equals = argument.find('=');
  if (equals == std::string_view::npos) return {argument, std::nullopt};
  return {argument.substr(0, equals), argument.substr(equals + 1)};
}

bool ArgumentCursor::TakeValue(const OptionArgument& option, std::string_view& value,
                               std::string& error) {
  if (option.inline_value) {
    value = *option.inline_value;
    return true;
  }
  if (AtEnd()) {
    error = std::string(option.name) + " needs a value";
    return false;
  }
  value = Take();
  return true;
}

bool ArgumentCursor::TakeFileName(const OptionArgument& option, std::string_view& file,
                                  std::string& error) {
  if (!TakeValue(option, file, error)) return false;
  if (!file.empty()) return true;
  error = std::string(option.name) + " needs a file name";
  return false;
}

}  // namespace corvantile::cli
