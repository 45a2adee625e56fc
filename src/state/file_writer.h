#pragma once

// The one way the program writes a file: the session file and every export go through here,
// so they all have the same guarantee.
#include <filesystem>
#include <string>
#include <string_view>

namespace corvantile {

// Replaces `file` by `text` so that a reader finds either the old file or the whole new one:
// the text goes to a temporary file beside the target ("match.cir.tmp<pid>", created with the
// usual 0666 less the umask), which is flushed to disk, renamed over the target, and then the
// folder itself is flushed so the rename survives a power cut. A regular file the user may not
// write, or that is read-only for everyone, is not replaced at all.
//
// False on any failure, with the temporary file removed, the old file untouched and `error`
// one line naming the file and the cause:
//   WriteFileAtomically("out/match.cir", netlist, error)
//     -> false, error "cannot write 'out/match.cir': No such file or directory"
bool WriteFileAtomically(const std::filesystem::path& file, std::string_view text,
                         std::string& error);

// The same without the error text.
bool WriteFileAtomically(const std::filesystem::path& file, std::string_view text);

}  // namespace corvantile
