#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "state/circuit_state.h"

namespace corvantile {

inline constexpr std::string_view kSessionFileName = "LastSession.CFG";
inline constexpr std::string_view kSessionHeader = "Corvantile last-session circuit file";
inline constexpr std::string_view kSessionWriteFailedMessage =
    "We were unable to write the Last Session file (LastSession.CFG).";

// The most a session file may hold. The program writes about 700 bytes (63 short lines); a
// hand-edited file has a hundred times that, and a device or stream is cut off there instead
// of filling memory.
inline constexpr std::uintmax_t kMaxSessionBytes = 64 * 1024;

// One value as the file holds it: a blank or "-", at most 7 significant digits, a blank.
// 1500 -> " 1500 ", -135 -> "-135 ", 1e15 -> " 1E+15 ", 0.5 -> " 0.5 ".
std::string FormatSessionNumber(float value);

// The whole file: the header and the 63 values, one per line, CR LF line ends.
std::string SessionFileText(const RunState& state);

// Reads the 63 values from a file's text: a header field (up to the first comma or line end),
// then numbers separated by blanks, commas or line ends. A missing, short or non-numeric
// (or non-finite) field stores the defaults over what was read so far. True when all 63 were
// read.
bool ReadSessionText(std::string_view text, RunState& state);

// Reads LastSession.CFG (or `file`), a regular file of at most kMaxSessionBytes: a folder, a
// FIFO or a device of that name is not read (a FIFO would block the start). Falls back to the
// defaults silently. True when read.
bool ReadSession(RunState& state, const std::filesystem::path& file = kSessionFileName);

// Writes LastSession.CFG (or `file`) and sets SessionFileName. The file is replaced only once
// the new one is complete on disk: a failed write leaves the old file as it was, and a read-only
// file is not replaced at all. False when it could not be written; the caller beeps and shows
// kSessionWriteFailedMessage.
bool WriteSession(RunState& state, const std::filesystem::path& file = kSessionFileName);
// The same with the writer's one-line reason: "cannot write 'x.CFG': Permission denied".
bool WriteSession(RunState& state, const std::filesystem::path& file, std::string& error);

}  // namespace corvantile
