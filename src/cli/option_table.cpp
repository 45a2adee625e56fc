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

const OptionSpec* FindLong(const CommandOptions& options, std::string_view name) {
  for (const OptionGroup& group : options.groups) {
    for (const OptionSpec& spec : group.options) {
      if (spec.name == name) return &spec;
    }
  }
  return nullptr;
}

const OptionSpec* FindShort(const CommandOptions& options, std::string_view name) {
  for (const OptionGroup& group : options.groups) {
    for (const OptionSpec& spec : group.options) {
      if (!spec.short_name.empty() && spec.short_name == name) return &spec;
    }
  }
  return nullptr;
}

// "-o/--output" for an option with a short name.
std::string BothNames(const OptionSpec& spec) {
  if (spec.short_name.empty()) return std::string(spec.name);
  return std::string(spec.short_name) + "/" + std::string(spec.name);
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
  std::vector<const OptionSpec*> seen;
  bool optionsEnded = false;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string_view argument = arguments[i];
    const OptionSpec* spec = nullptr;
    SplitArgument option{argument, std::nullopt};
    if (!optionsEnded && IsLongOption(argument)) {
      option = Split(argument);
      for (const auto& [name, reason] : options.refused) {
        if (name == option.name) return fail(reason);
      }
      spec = FindLong(options, option.name);
      if (spec == nullptr) {
        return fail(
            "unknown option " + QuotedValue(option.name) +
                (options.text_operands ? " (put -- before a text that starts with --)" : seeHelp),
            true);
      }
    } else if (!optionsEnded) {
      spec = FindShort(options, argument);
    }
    if (spec == nullptr) {
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
    const bool flag = spec->value_name.empty();
    if (flag && option.inline_value) return fail(std::string(option.name) + " takes no value");
    if (spec->name == "--help") return ParseResult::Help;
    if (!spec->repeats && std::find(seen.begin(), seen.end(), spec) != seen.end()) {
      return fail(BothNames(*spec) + " may be given only once");
    }
    seen.push_back(spec);
    std::string_view value;
    if (!flag) {
      if (option.inline_value) {
        value = *option.inline_value;
      } else if (i + 1 < arguments.size()) {
        value = arguments[++i];
      }
      if (value.empty()) {
        return fail(std::string(option.name) +
                    (spec->value_name == "FILE" ? " needs a file name" : " needs a value"));
      }
    }
    std::string problem;
    if (!spec->read(value, problem)) return fail(problem);
  }
  return ParseResult::Ready;
}

std::string OptionLines(std::span<const OptionSpec> options) {
  std::string text;
  for (const OptionSpec& spec : options) {
    std::string head = "  ";
    if (!spec.short_name.empty()) {
      head += std::string(spec.short_name);
      if (!spec.value_name.empty()) head += " " + std::string(spec.value_name);
      head += ", ";
    }
    head += std::string(spec.name);
    if (!spec.value_name.empty()) head += " " + std::string(spec.value_name);
    if (head.size() + 2 > kDescriptionColumn) {
      text += head + '\n';
      head.clear();
    }
    head.resize(kDescriptionColumn, ' ');
    std::string_view help = spec.help;
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

OptionSpec HelpOption() {
  return {.name = "--help", .value_name = {}, .help = "print this help", .short_name = "-h"};
}

std::vector<const OptionSpec*> AllOptions(const CommandOptions& options) {
  std::vector<const OptionSpec*> all;
  for (const OptionGroup& group : options.groups) {
    for (const OptionSpec& spec : group.options) all.push_back(&spec);
  }
  return all;
}

}  // namespace corvantile::cli
