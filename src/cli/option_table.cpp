#include "cli/option_table.h"

#include <algorithm>
#include <optional>

#include "state/message_text.h"

namespace corvantile::cli {
namespace {

constexpr std::size_t kDescriptionColumn = 24;

// "--fix=x2=50" -> "--fix", "x2=50"; "--json" -> "--json", no value.
struct SplitArgument {
  std::string_view name;
  std::optional<std::string_view> inline_value;
};

SplitArgument Split(std::string_view argument) {
  const std::size_t equals = argument.find('=');
  if (equals == std::string_view::npos) return {argument, std::nullopt};
  return {argument.substr(0, equals), argument.substr(equals + 1)};
}

// "--name..." is an option; "-100p" is a value and "-" standard input, so that negative numbers
// and "-" can stand where operands do. Single-dash options are only the declared short names.
bool IsLongOption(std::string_view argument) {
  return argument.size() > 2 && argument.starts_with("--");
}

const OptionDecl* FindLong(const CommandOptions& options, std::string_view name) {
  for (const OptionGroup& group : options.groups) {
    for (const OptionDecl& decl : group.options) {
      if (decl.name == name) return &decl;
    }
  }
  return nullptr;
}

const OptionDecl* FindShort(const CommandOptions& options, std::string_view name) {
  for (const OptionGroup& group : options.groups) {
    for (const OptionDecl& decl : group.options) {
      if (!decl.short_name.empty() && decl.short_name == name) return &decl;
    }
  }
  return nullptr;
}

// "-o/--output" for an option with a short name.
std::string BothNames(const OptionDecl& decl) {
  if (decl.short_name.empty()) return std::string(decl.name);
  return std::string(decl.short_name) + "/" + std::string(decl.name);
}

}  // namespace

ParseResult ParseOptions(const CommandOptions& options, std::span<const std::string_view> arguments,
                         std::string& error) {
  const std::string named = std::string(options.command) + ": ";
  const auto fail = [&](std::string message, bool unknown = false) {
    error = (unknown || options.name_every_error ? named : std::string()) + message;
    return ParseResult::Failed;
  };
  const std::string seeHelp = " (see corvantile-cli " + std::string(options.command) + " --help)";
  std::vector<const OptionDecl*> seen;
  bool optionsEnded = false;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string_view argument = arguments[i];
    const OptionDecl* decl = nullptr;
    SplitArgument option{argument, std::nullopt};
    if (!optionsEnded && IsLongOption(argument)) {
      option = Split(argument);
      for (const auto& [name, reason] : options.refused) {
        if (name == option.name) return fail(reason);
      }
      decl = FindLong(options, option.name);
      if (decl == nullptr) {
        return fail(
            "unknown option " + QuotedValue(option.name) +
                (options.text_operands ? " (put -- before a text that starts with --)" : seeHelp),
            true);
      }
    } else if (!optionsEnded) {
      decl = FindShort(options, argument);
    }
    if (decl == nullptr) {
      if (!optionsEnded && options.text_operands && argument == "--") {
        optionsEnded = true;
        continue;
      }
      if (!options.operand)
        return fail("unexpected argument " + QuotedValue(argument) + seeHelp, true);
      std::string problem;
      if (!options.operand(argument, problem)) return fail(problem);
      continue;
    }
    const bool flag = decl->value_name.empty();
    if (flag && option.inline_value) return fail(std::string(option.name) + " takes no value");
    if (decl->name == "--help") return ParseResult::Help;
    if (!decl->repeats && std::find(seen.begin(), seen.end(), decl) != seen.end()) {
      return fail(BothNames(*decl) + " may be given only once");
    }
    seen.push_back(decl);
    std::string_view value;
    if (!flag) {
      if (option.inline_value) {
        value = *option.inline_value;
      } else if (i + 1 < arguments.size()) {
        value = arguments[++i];
      }
      if (value.empty()) {
        return fail(std::string(option.name) +
                    (decl->value_name == "FILE" ? " needs a file name" : " needs a value"));
      }
    }
    std::string problem;
    if (!decl->read(value, problem)) return fail(problem);
  }
  return ParseResult::Ready;
}

std::string OptionLines(std::span<const OptionDecl> options) {
  std::string text;
  for (const OptionDecl& decl : options) {
    std::string head = "  ";
    if (!decl.short_name.empty()) {
      head += std::string(decl.short_name);
      if (!decl.value_name.empty()) head += " " + std::string(decl.value_name);
      head += ", ";
    }
    head += std::string(decl.name);
    if (!decl.value_name.empty()) head += " " + std::string(decl.value_name);
    if (head.size() + 2 > kDescriptionColumn) {
      text += head + '\n';
      head.clear();
    }
    head.resize(kDescriptionColumn, ' ');
    std::string_view help = decl.help;
    bool first = true;
    while (!help.empty()) {
      const std::size_t end = help.find('\n');
      text += first ? head : std::string(kDescriptionColumn, ' ');
      text += help.substr(0, end);
      text += '\n';
      first = false;
      help = end == std::string_view::npos ? std::string_view() : help.substr(end + 1);
    }
  }
  return text;
}

std::string OptionsHelp(const CommandOptions& options) {
  std::string text;
  for (const OptionGroup& group : options.groups) {
    text += "\n" + group.heading + OptionLines(group.options) + group.notes;
  }
  return text;
}

OptionDecl HelpOption() {
  return {.name = "--help", .value_name = {}, .help = "print this help", .short_name = "-h"};
}

std::vector<const OptionDecl*> AllOptions(const CommandOptions& options) {
  std::vector<const OptionDecl*> all;
  for (const OptionGroup& group : options.groups) {
    for (const OptionDecl& decl : group.options) all.push_back(&decl);
  }
  return all;
}

}  // namespace corvantile::cli
