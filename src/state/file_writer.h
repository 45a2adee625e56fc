#pragma once

// The one way the program writes a file: the session file, the settings, every export and
// picture go through here, so they all have the same guarantee.
#include <filesystem>
#include <string>
#include <string_view>

namespace corvantile {

// Replaces `file` by `text` so that a reader finds either the old file or the whole new one.
//
// Where `file` is a symbolic link, the file it points to is replaced and the link kept. Only a
// regular file is replaced: a folder, a device, a FIFO or a socket is refused, and so is a
// regular file the user may not write or that is read-only for everyone (root included). A
// new file takes the usual 0666 less the umask; a replaced one keeps its permission bits.
//
// The text goes to a temporary file beside the target, ".NAME.corvantile-PID.tmp", which is
// flushed to disk, renamed over the target, and then the folder itself is flushed so the
// rename survives a power cut. Temporary files of that name (and the older "NAME.tmpPID")
// whose process is no longer running, left by a run that was killed mid-write, are removed
// first.
//
// False on any failure, with no temporary file left, the old file untouched and `error` one
// line naming the file and the operating system's reason:
//   WriteFileAtomically("out/match.cir", netlist, error)
//     -> false, error "cannot write 'out/match.cir': No such file or directory"
bool WriteFileAtomically(const std::filesystem::path& file, std::string_view text,
                         std::string& error);

// The same without the error text.
bool WriteFileAtomically(const std::filesystem::path& file, std::string_view text);

// The temporary file the writer of process `pid` uses for `file`:
// "out/match.cir", 42 -> "out/.match.cir.corvantile-42.tmp".
std::filesystem::path TemporaryFileFor(const std::filesystem::path& file, long pid);

}  // namespace corvantile
