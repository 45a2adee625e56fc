#pragma once

// Every command's options, declared once: the parser walks the arguments against a command's
// table, and the command's --help lists the same table, so what a command takes and what its
// help says cannot drift apart. The man page and the bash completion read that help.
//
//   SweepArguments a;
//   const CommandOptions options = SweepOptions(a);  // groups of OptionDecl bound to `a`
//   switch (ParseOptions(options, arguments, error)) { ... }   // fills `a`
//   OptionsHelp(options)                                        // the help's option sections
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace corvantile::cli {

// Exit statuses of every command.
inline constexpr int kExitOk = 0;
inline constexpr int kExitImpossibleDesign = 1;  // the request was valid but no network exists
inline constexpr int kExitUsage = 2;             // bad command line, unreadable or unwritable file

// Reads one option's value into the request it is bound to; false with a one-line `error`
// ("--power: 'lots' is not a value"). A flag's reader is called with an empty value.
using OptionReader = std::function<bool(std::string_view value, std::string& error)>;

struct OptionDecl {
  std::string_view name = {};        // "--power"
  std::string_view value_name = {};  // "W"; empty for a flag, which takes no value
  std::string_view help = {};        // the description, its lines separated by '\n'
  OptionReader read = {};            // empty only for --help, which the parser answers itself
  bool repeats = false;              // may be given again (--band, --at); else a second is refused
  std::string_view short_name = {};  // "-o", or empty
};

// Options listed together in the help under one heading.
struct OptionGroup {
  std::string heading = {};  // the text before the option lines, ending "...options:\n"
  std::vector<OptionDecl> options = {};
  std::string notes = {};  // text after the option lines (the FORM:R:V paragraph, the cable names)
};

struct CommandOptions {
  std::string_view command = {};  // "sweep": names the command in the messages
  std::vector<OptionGroup> groups = {};
  // Options this command refuses with a reason rather than as unknown, whatever their value:
  // {"--compensate", "--compensate does not apply to explore"}.
  std::vector<std::pair<std::string_view, std::string>> refused = {};
  // What an argument that is no option is (touchstone's FILE, the texts of parse); without
  // it every such argument is "unexpected".
  std::function<bool(std::string_view argument, std::string& error)> operand = {};
  // The operands are texts ("-100p", "--5"): "--" makes every later argument one.
  bool text_operands = false;
  // Whether every message names the command ("sweep: --points needs a value"). design and
  // report name it only for an unknown option or argument: their other messages read as the
  // design window's own.
  bool name_every_error = true;
  std::shared_ptr<void> storage = {};  // what the readers fill, when the table owns it
};

// A command's table with storage of its own, for the help and for the tests:
// Declared(SweepOptions) where SweepOptions(SweepArguments&) binds the readers.
template <typename Arguments>
CommandOptions Declared(CommandOptions (*declare)(Arguments&)) {
  auto storage = std::make_shared<Arguments>();
  CommandOptions options = declare(*storage);
  options.storage = storage;
  return options;
}

enum class ParseResult { Ready, Help, Failed };

// Walks `arguments` (those after the command's name) against the table, calling each option's
// reader in command-line order. An option takes its value inline ("--power=1k") or from the
// next argument ("--power 1k"), which is taken whatever it starts with ("--phase -90"); "-o" is
// followed by its value. "-h" or "--help" asks for the help. Failed comes with one line in
// `error`, without the "corvantile-cli: " every message starts with:
//   "sweep: unknown option '--colour' (see corvantile-cli sweep --help)"
//   "sweep: --points needs a value" (also for "--points=" and an empty argument; "-o needs a
//   file name" for a FILE)
//   "sweep: --linear takes no value", "sweep: -o/--output may be given only once"
ParseResult ParseOptions(const CommandOptions& options, std::span<const std::string_view> arguments,
                         std::string& error);

// A group's option lines: two blanks in, each description from column 24 (on the next line
// when the option and its value reach that far):
//   "  --points N            number of frequencies, 2 to 1000000 (default 1001)\n"
std::string OptionLines(std::span<const OptionDecl> options);

// Every group: a blank line, its heading, its option lines and its notes.
std::string OptionsHelp(const CommandOptions& options);

// The --help option every command lists last among its output options.
OptionDecl HelpOption();

// Every option of a table, in the order of its help.
std::vector<const OptionDecl*> AllOptions(const CommandOptions& options);

}  // namespace corvantile::cli
