#include "cli/value_commands.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <iterator>
#include <system_error>
#include <vector>

#include "cli/command_output.h"
#include "cli/json_output.h"
#include "state/message_text.h"
#include "units/format.h"
#include "units/parse.h"

namespace corvantile::cli {
namespace {

constexpr std::array<std::string_view, 2> kValueFormats{"text", "json"};

// What parse and format read: their operands (every argument but the options; "--" makes every
// later argument one, so that "-100p" and "--5" can be texts) and their output.
struct ValueArguments {
  std::vector<std::string_view> operands;
  OutputRequest output;
};

CommandOptions Bind(std::string_view command, std::string_view formatsHelp, ValueArguments& a) {
  OptionGroup output = OutputGroup(a.output, formatsHelp);
  output.heading = "Options:\n";
  return {
      .command = command,
      .groups = {std::move(output)},
      .operand =
          [&a](std::string_view argument, std::string&) {
            a.operands.push_back(argument);
            return true;
          },
      .text_operands = true,
  };
}

CommandOptions BindParse(ValueArguments& a) {
  return Bind("parse",
              "text (default, one value a line) or json: {\"values\": [...]},\n"
              "each number reading back as the same float",
              a);
}

CommandOptions BindFormat(ValueArguments& a) {
  return Bind("format",
              "text (default, one text a line) or json: {\"kind\": KIND,\n"
              "\"texts\": [...]}",
              a);
}

// Parses the arguments; kExitOk after the help, kExitUsage after a one-line error, or -1 with
// `format` chosen to go on.
int ReadArguments(CommandOptions options, std::string (*help)(),
                  std::span<const std::string_view> arguments, const ValueArguments& a,
                  std::string& format, std::ostream& out, std::ostream& err) {
  std::string error;
  switch (ParseOptions(options, arguments, error)) {
    case ParseResult::Help:
      out << help();
      return kExitOk;
    case ParseResult::Failed:
      return Fail(err, error);
    case ParseResult::Ready:
      break;
  }
  if (!ChooseFormat(a.output, kValueFormats, format, error)) {
    return Fail(err, std::string(options.command) + ": " + error);
  }
  return -1;
}

bool IsPlainNumber(std::string_view text) {
  // Digits, sign, point and exponent only: what std::from_chars reads without the letters of
  // "inf" and "nan", which are left to the program's parser.
  return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
    return (c >= '0' && c <= '9') || c == '.' || c == '+' || c == '-' || c == 'e' || c == 'E';
  });
}

}  // namespace

std::string NineDigits(float value) {
  char digits[32];
  const auto result = std::to_chars(std::begin(digits), std::end(digits),
                                    static_cast<double>(value), std::chars_format::general, 9);
  return std::string(digits, result.ptr);
}

bool ReadFormatValue(std::string_view text, float& value, std::string& error) {
  if (std::none_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    error = "format: " + QuotedValue(text) + " is not a value";
    return false;
  }
  if (IsPlainNumber(text)) {
    std::string_view number = text;
    if (number.front() == '+') number.remove_prefix(1);
    float read = 0.0f;
    const char* end = number.data() + number.size();
    const auto [ptr, ec] = std::from_chars(number.data(), end, read, std::chars_format::general);
    if (ec == std::errc() && ptr == end && std::isfinite(read)) {
      value = read;
      return true;
    }
    if (ec == std::errc::result_out_of_range) {
      error = "format: " + QuotedValue(text) + " is outside the 32-bit float range";
      return false;
    }
    // Not a well-formed plain number ("1.5.3", "5-3"): the program's parser reads it.
  }
  value = ParseValue(text);
  return true;
}

CommandOptions ParseCommandOptions() { return Declared(BindParse); }

CommandOptions FormatCommandOptions() { return Declared(BindFormat); }

std::string ParseHelp() {
  return "Usage: corvantile-cli parse TEXT...\n"
         "\n"
         "Reads each TEXT with the program's value parser, as every entry box does, and prints\n"
         "the 32-bit result with nine significant digits (%.9g), one per line. The parser takes\n"
         "a number with optional sign, point and exponent and an optional SI prefix (p n u m\n"
         "k K M G; \"m\" milli, \"M\" mega), drops other characters, reads at most 12 characters\n"
         "and limits the result to +/-1e10; text without a number reads as 0.\n"
         "Texts may start with \"-\" (but -h and -o are options); put -- before a text that\n"
         "starts with \"-\" to be safe.\n" +
         OptionsHelp(ParseCommandOptions()) + "\n" + std::string(kExitStatusHelp) +
         "parse exits 2 without a TEXT or with an unknown option.\n"
         "\n"
         "Examples:\n"
         "  corvantile-cli parse 3.75MHz 100p -100p '2k2' '50 ohms'\n"
         "  corvantile-cli parse -- --5\n";
}

std::string FormatHelp() {
  return "Usage: corvantile-cli format KIND VALUE...\n"
         "\n"
         "Writes each VALUE with one of the program's display formatters and prints the text\n"
         "exactly, one per line, trailing blanks kept and nothing quoted. KIND is one of:\n"
         "  frequency    hertz, blank-signed: 3.75M -> \" 3.75 M\"\n"
         "  capacitance  farads: 4.7e-8 -> \"0.047 uF\", 2.2n -> \"2200 pF\"\n"
         "  inductance   henries: 4.7u -> \"4.7 uH\"\n"
         "  engineering  any value, prefixes p to G: 1500 -> \"1.5 k\"\n"
         "  quantity     any value, no prefix below the unit: 70.7107 -> \"70.711 \"\n"
         "A formatter's zero text may be empty (an empty line).\n"
         "\n"
         "A plain decimal number (1.5e16, -0.001) is read exactly as the nearest 32-bit float,\n"
         "also beyond the parser's +/-1e10 limit; any other VALUE is read with the program's\n"
         "parser (4.7u, 1.5k, 100p). A VALUE without a digit is refused. VALUEs may start with\n"
         "\"-\" (but -h and -o are options); put -- before a VALUE that starts with \"-\" to be\n"
         "safe.\n" +
         OptionsHelp(FormatCommandOptions()) + "\n" + std::string(kExitStatusHelp) +
         "format exits 2 for an unknown KIND, a missing or unreadable VALUE or an unknown\n"
         "option.\n"
         "\n"
         "Examples:\n"
         "  corvantile-cli format frequency 3.75M 14.2M 0.5\n"
         "  corvantile-cli format capacitance 100p 4.7e-8\n"
         "  corvantile-cli format quantity 1.5e16 0.0012345\n";
}

int RunParseCommand(std::span<const std::string_view> arguments, std::ostream& out,
                    std::ostream& err) {
  ValueArguments a;
  std::string format;
  if (const int status = ReadArguments(BindParse(a), ParseHelp, arguments, a, format, out, err);
      status >= 0) {
    return status;
  }
  const std::vector<std::string_view>& texts = a.operands;
  const OutputRequest& output = a.output;
  if (texts.empty())
    return Fail(err, "parse needs at least one TEXT (see corvantile-cli parse --help)");
  std::string text;
  if (format == "json") {
    std::vector<float> values;
    for (const std::string_view t : texts) values.push_back(ParseValue(t));
    text = JsonLine({{"values", StoredNumbers(values)}});
  } else {
    for (const std::string_view t : texts) text += NineDigits(ParseValue(t)) + '\n';
  }
  return Deliver(text, output, out, err);
}

int RunFormatCommand(std::span<const std::string_view> arguments, std::ostream& out,
                     std::ostream& err) {
  ValueArguments a;
  std::string format;
  if (const int status = ReadArguments(BindFormat(a), FormatHelp, arguments, a, format, out, err);
      status >= 0) {
    return status;
  }
  const std::vector<std::string_view>& operands = a.operands;
  const OutputRequest& output = a.output;
  using Formatter = std::string (*)(float);
  struct Kind {
    std::string_view name;
    Formatter format;
  };
  static constexpr std::array<Kind, 5> kKinds{{{"frequency", FormatFrequency},
                                               {"capacitance", FormatCapacitance},
                                               {"inductance", FormatInductance},
                                               {"engineering", FormatEngineering},
                                               {"quantity", FormatQuantity}}};
  if (operands.empty()) {
    return Fail(err,
                "format needs a KIND and at least one VALUE (see corvantile-cli format --help)");
  }
  const auto kind = std::find_if(kKinds.begin(), kKinds.end(),
                                 [&](const Kind& k) { return k.name == operands.front(); });
  if (kind == kKinds.end()) {
    return Fail(err, "format: unknown KIND '" + std::string(operands.front()) +
                         "' (use frequency, capacitance, inductance, engineering or quantity)");
  }
  if (operands.size() < 2) return Fail(err, "format needs at least one VALUE after the KIND");
  // Every value is read before anything is printed, so a bad value leaves stdout empty.
  std::vector<std::string> texts;
  for (std::size_t i = 1; i < operands.size(); ++i) {
    std::string error;
    float value = 0.0f;
    if (!ReadFormatValue(operands[i], value, error)) return Fail(err, error);
    texts.push_back(kind->format(value));
  }
  std::string text;
  if (format == "json") {
    text = JsonLine({{"kind", kind->name}, {"texts", texts}});
  } else {
    for (const std::string& t : texts) text += t + '\n';
  }
  return Deliver(text, output, out, err);
}

}  // namespace corvantile::cli
