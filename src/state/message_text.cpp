#include "state/message_text.h"

namespace corvantile {

std::string OneLine(std::string_view text) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string line;
  line.reserve(text.size());
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte != 0x7f) {
      line += c;
      continue;
    }
    switch (c) {
      case '\n':
        line += "\\n";
        break;
      case '\r':
        line += "\\r";
        break;
      case '\t':
        line += "\\t";
        break;
      default:
        line += "\\x";
        line += kHex[byte >> 4];
        line += kHex[byte & 0xf];
    }
  }
  return line;
}

std::string QuotedValue(std::string_view text) {
  if (text.size() <= kQuotedValueLength) return "'" + OneLine(text) + "'";
  std::size_t cut = kQuotedValueLength;
  // Not inside a UTF-8 sequence: continuation bytes are 10xxxxxx.
  while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xc0) == 0x80) --cut;
  return "'" + OneLine(text.substr(0, cut)) + "...' (" + std::to_string(text.size()) +
         " characters)";
}

}  // namespace corvantile
