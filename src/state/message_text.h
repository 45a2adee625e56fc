#pragma once

// Text that goes into a one-line message: a file name or a value the user gave is shown as
// it is, except that it can never break the line or flood the terminal.
#include <cstddef>
#include <string>
#include <string_view>

namespace corvantile {

// The longest part of a user's value a message quotes.
inline constexpr std::size_t kQuotedValueLength = 60;

// `text` with every control character shown escaped, so that it stays on one line:
// "a\nb" -> "a\\nb", "\t" -> "\\t", "\x1b[2J" -> "\\x1b[2J". Bytes from 0x80 up (UTF-8) are
// kept.
std::string OneLine(std::string_view text);

// A value as a message quotes it: one line, and past kQuotedValueLength bytes cut (at a
// character boundary) with "..." and its full length: "'1,5M'"; a 60 KB value ->
// "'1111...' (60000 characters)".
std::string QuotedValue(std::string_view text);

}  // namespace corvantile
