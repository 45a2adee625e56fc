#pragma once

// What every command shares about its output: the one-line error, the --format and
// -o/--output options, and writing the result to standard output or to a file.
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "cli/option_table.h"

namespace corvantile::cli {

// Writes "corvantile-cli: MESSAGE" as one line on `err` and returns `status`.
int Fail(std::ostream& err, std::string_view message, int status = kExitUsage);

// The output a command was asked for.
struct OutputRequest {
  std::optional<std::string> format;  // --format FORMAT (or a command's alias, --json)
  std::optional<std::string> file;    // -o FILE, --output FILE; standard output without
};

// --format FORMAT, described by `formatsHelp` ("table (default) or json"), and
// -o FILE, --output FILE, read into `output`.
std::vector<OptionDecl> OutputOptions(OutputRequest& output, std::string_view formatsHelp);

// The "Output options:" group: the options above, a command's own after them, then -h, --help.
OptionGroup OutputGroup(OutputRequest& output, std::string_view formatsHelp,
                        std::vector<OptionDecl> more = {}, std::string notes = {});

// The format asked for, one of `formats` (the first is the default): false with "unknown
// format 'xml' (use table, csv or json)" for any other.
bool ChooseFormat(const OutputRequest& output, std::span<const std::string_view> formats,
                  std::string& chosen, std::string& error);

// Writes `text` to standard output, or replaces the file through WriteFileAtomically, and
// returns `status`; kExitUsage after a one-line error when the file cannot be written.
int Deliver(std::string_view text, const OutputRequest& output, std::ostream& out,
            std::ostream& err, int status = kExitOk);

// The exit-status rule every command follows, as its help states it.
inline constexpr std::string_view kExitStatusHelp =
    "Exit status: 0 success; 1 no network can be designed for the values given (the output\n"
    "is still written where the command has one for that case); 2 bad command line, an\n"
    "unreadable or incomplete input or a file that cannot be written, with a one-line error\n"
    "on stderr.\n";

}  // namespace corvantile::cli
