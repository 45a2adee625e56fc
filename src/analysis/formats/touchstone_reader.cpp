#include "analysis/formats/touchstone_reader.h"

#include <algorithm>
#include <bit>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <limits>
#include <memory>
#include <numbers>
#include <sstream>
#include <system_error>
#include <utility>

#include "state/message_text.h"
#include "units/format.h"
#include "units/value_text.h"

namespace corvantile {
namespace {

using Complex = std::complex<double>;

constexpr double kRadiansPerDegree = std::numbers::pi / 180.0;

std::string Lower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

// Splits a line into its blank-separated words.
template <typename Each>
void ForEachWord(std::string_view line, Each each) {
  std::size_t k = 0;
  while (k < line.size()) {
    while (k < line.size() && IsBlank(line[k])) ++k;
    const std::size_t start = k;
    while (k < line.size() && !IsBlank(line[k])) ++k;
    if (k > start && !each(line.substr(start, k - start))) return;
  }
}

// A word as a finite double in the C locale's form ("1e-3", "+.5", "-2"), or the reason not.
std::string ReadNumber(std::string_view word, double& value) {
  std::string_view digits = word;
  // std::from_chars takes no plus sign.
  if (digits.size() > 1 && digits.front() == '+' && digits[1] != '-' && digits[1] != '+') {
    digits.remove_prefix(1);
  }
  const char* const end = digits.data() + digits.size();
  const auto [ptr, ec] = std::from_chars(digits.data(), end, value, std::chars_format::general);
  if (ec == std::errc::result_out_of_range) return "'" + std::string(word) + "' is out of range";
  if (ec != std::errc() || ptr != end) return "'" + std::string(word) + "' is not a number";
  if (!std::isfinite(value)) return "'" + std::string(word) + "' is not a finite number";
  return "";
}

// The common case of ReadNumber, a number without a plus sign, without building a message:
// false sends the word on to ReadNumber.
inline bool QuickNumber(std::string_view word, double& value) {
  const char* const end = word.data() + word.size();
  const auto [ptr, ec] = std::from_chars(word.data(), end, value, std::chars_format::general);
  return ec == std::errc() && ptr == end && std::isfinite(value);
}

// Powers of ten that a double holds exactly.
constexpr double kExactPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                        1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                        1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
constexpr std::uint64_t kLargestExactInteger = std::uint64_t{1} << 53;

inline bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Eight characters as one little-endian word, and whether they are all digits.
inline std::uint64_t EightChars(const char* p) {
  std::uint64_t word;
  std::memcpy(&word, p, sizeof word);
  if constexpr (std::endian::native == std::endian::big) word = __builtin_bswap64(word);
  return word;
}
inline bool EightDigits(std::uint64_t word) {
  return ((word & 0xF0F0F0F0F0F0F0F0) |
          (((word + 0x0606060606060606) & 0xF0F0F0F0F0F0F0F0) >> 4)) == 0x3333333333333333;
}
// The value of eight digits, the first the most significant, in three multiplications.
inline std::uint64_t EightDigitValue(std::uint64_t word) {
  constexpr std::uint64_t kMask = 0x000000FF000000FF;
  constexpr std::uint64_t kMul1 = 0x000F424000000064;  // 100 + (1000000 << 32)
  constexpr std::uint64_t kMul2 = 0x0000271000000001;  // 1 + (10000 << 32)
  word -= 0x3030303030303030;
  word = (word * 10) + (word >> 8);
  return (((word & kMask) * kMul1) + (((word >> 16) & kMask) * kMul2)) >> 32;
}

// Reads the plain number ("-0.25", "1.5e+9", no plus sign) that starts at `p` and ends at a
// blank, a comment, the end of the line or `end`, into `value`, and returns where it ends; or
// nullptr for anything else, which the careful path then reads (or reports). The value is
// std::from_chars', to the bit: a mantissa of at most 2^53 times an exact power of ten up to
// 1e22 is rounded once by the one multiplication or division, and every other number goes to
// std::from_chars itself.
const char* PlainNumber(const char* p, const char* end, double& value) {
  const char* const start = p;
  const bool negative = p != end && *p == '-';
  if (negative) ++p;
  // Every digit goes into the mantissa, leading zeros too; more than 19 of them would not fit
  // in 64 bits, and such a number goes to std::from_chars.
  std::uint64_t mantissa = 0;
  int digits = 0;
  int exponent = 0;  // of ten, for the mantissa
  for (; p != end && IsDigit(*p); ++p) {
    mantissa = mantissa * 10 + static_cast<std::uint64_t>(*p - '0');
    ++digits;
  }
  if (p != end && *p == '.') {
    const char* const first = ++p;
    while (end - p >= 8) {
      const std::uint64_t word = EightChars(p);
      if (!EightDigits(word)) break;
      mantissa = mantissa * 100000000 + EightDigitValue(word);
      p += 8;
    }
    for (; p != end && IsDigit(*p); ++p) {
      mantissa = mantissa * 10 + static_cast<std::uint64_t>(*p - '0');
    }
    digits += static_cast<int>(p - first);
    exponent = -static_cast<int>(p - first);
  }
  if (digits == 0) return nullptr;
  if (p != end && (*p == 'e' || *p == 'E')) {
    ++p;
    bool negativeExponent = false;
    if (p != end && (*p == '+' || *p == '-')) negativeExponent = *p++ == '-';
    if (p == end || !IsDigit(*p)) return nullptr;
    int written = 0;
    for (; p != end && IsDigit(*p); ++p) {
      if (written < 100000) written = written * 10 + (*p - '0');
    }
    exponent += negativeExponent ? -written : written;
  }
  if (p != end && !IsBlank(*p) && *p != '!' && *p != '\n') return nullptr;
  if (digits <= 19) {
    if (mantissa == 0) {
      value = negative ? -0.0 : 0.0;
      return p;
    }
    if (mantissa <= kLargestExactInteger && exponent >= -22 && exponent <= 22) {
      // Below 2^53 the signed conversion is exact and one instruction.
      const double m = static_cast<double>(static_cast<std::int64_t>(mantissa));
      value = exponent < 0 ? m / kExactPowersOfTen[-exponent] : m * kExactPowersOfTen[exponent];
      if (negative) value = -value;
      return p;
    }
  }
  const auto [ptr, ec] = std::from_chars(start, p, value, std::chars_format::general);
  if (ec != std::errc() || ptr != p || !std::isfinite(value)) return nullptr;
  return p;
}

// The number of ports a version 1 file's name gives: "amp.S2P" -> 2; 0 when it gives none.
int PortsFromName(std::string_view name) {
  const std::size_t dot = name.rfind('.');
  if (dot == std::string_view::npos) return 0;
  const std::string extension = Lower(name.substr(dot + 1));
  if (extension.size() < 3 || extension.size() > 4 || extension.front() != 's' ||
      extension.back() != 'p') {
    return 0;
  }
  int ports = 0;
  const char* const first = extension.data() + 1;
  const char* const last = extension.data() + extension.size() - 1;
  const auto [ptr, ec] = std::from_chars(first, last, ports);
  if (ec != std::errc() || ptr != last || ports < 1 || ports > kMaxTouchstonePorts) return 0;
  return ports;
}

// Solves X B = A for X (n by n, row-major) by Gaussian elimination with partial pivoting on
// the transposed system B^T X^T = A^T. False when B is singular.
bool SolveRight(int n, std::vector<Complex>& a, std::vector<Complex>& b) {
  const auto at = [n](std::vector<Complex>& m, int row, int column) -> Complex& {
    return m[static_cast<std::size_t>(row * n + column)];
  };
  // Work on the transposes: bt[i][j] = b[j][i], at_[i][j] = a[j][i].
  std::vector<Complex> bt(b.size()), xt(a.size());
  for (int i = 0; i < n; ++i) {
    for (int j = 0; j < n; ++j) {
      at(bt, i, j) = at(b, j, i);
      at(xt, i, j) = at(a, j, i);
    }
  }
  for (int column = 0; column < n; ++column) {
    int pivot = column;
    for (int row = column + 1; row < n; ++row) {
      if (std::abs(at(bt, row, column)) > std::abs(at(bt, pivot, column))) pivot = row;
    }
    if (at(bt, pivot, column) == Complex(0.0, 0.0)) return false;
    if (pivot != column) {
      for (int j = 0; j < n; ++j) {
        std::swap(at(bt, pivot, j), at(bt, column, j));
        std::swap(at(xt, pivot, j), at(xt, column, j));
      }
    }
    const Complex inverse = 1.0 / at(bt, column, column);
    for (int row = 0; row < n; ++row) {
      if (row == column) continue;
      const Complex factor = at(bt, row, column) * inverse;
      if (factor == Complex(0.0, 0.0)) continue;
      for (int j = 0; j < n; ++j) {
        at(bt, row, j) -= factor * at(bt, column, j);
        at(xt, row, j) -= factor * at(xt, column, j);
      }
    }
  }
  for (int i = 0; i < n; ++i) {
    const Complex inverse = 1.0 / at(bt, i, i);
    for (int j = 0; j < n; ++j) at(a, j, i) = at(xt, i, j) * inverse;
  }
  return true;
}

// The piece of a file read at a time; the buffer grows only for a longer line.
constexpr std::size_t kReadPiece = std::size_t{1} << 20;

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// How a file ends its lines, told by its first line end: LF or CR LF, where a CR elsewhere is
// a blank as before; or CR alone (as old Macintosh programs wrote), where every CR becomes LF.
// Deciding once for the whole file keeps "CR CR LF" in an LF file one line end, as it always
// was.
class LineEnds {
 public:
  // Looks at the text read so far (from the file's start), which may end mid-file.
  void Decide(std::string_view text, bool atEnd) {
    if (mode_ != Mode::Unknown) return;
    const std::size_t end = text.find_first_of("\r\n");
    if (end == std::string_view::npos) return;
    // CRs before an LF ("CR LF", "CR CR LF") are an LF file's line end.
    const std::size_t after = text.find_first_not_of('\r', end);
    if (after != std::string_view::npos) {
      mode_ = text[after] == '\n' ? Mode::Lf : Mode::Cr;
    } else if (atEnd) {
      mode_ = Mode::Cr;
    }
  }

  // In a CR file, every CR becomes LF, in place, except a run of CRs just before an LF, which
  // stays blanks: CR LF and CR CR LF are one line end there too, as in an LF file.
  void Convert(char* text, std::size_t size) const {
    if (mode_ != Mode::Cr) return;
    char* const end = text + size;
    for (char* p = static_cast<char*>(std::memchr(text, '\r', size)); p != nullptr;
         p = static_cast<char*>(std::memchr(p, '\r', static_cast<std::size_t>(end - p)))) {
      char* run = p;
      while (run != end && *run == '\r') ++run;
      if (run == end || *run != '\n') std::fill(p, run, '\n');
      p = run;
    }
  }

  bool CarriageReturns() const { return mode_ == Mode::Cr; }

 private:
  enum class Mode { Unknown, Lf, Cr };
  Mode mode_ = Mode::Unknown;
};

class Reader {
 public:
  // `size` is the whole text's length, which the pieces Feed is given add up to.
  Reader(std::string_view name, int ports, std::size_t size) : size_(size) {
    data_.name = std::string(name);
    data_.ports = ports > 0 ? ports : PortsFromName(name);
  }

  // Reads the next piece of the text, which holds whole lines: it ends just after a line
  // break, or at the end of the text. False when the text is wrong (Result says why).
  bool Feed(std::string_view piece) {
    if (offset_ == 0 && piece.starts_with(kByteOrderMark)) piece.remove_prefix(3);
    text_ = piece;
    const bool ok = ReadLines();
    offset_ += piece.size();
    return ok;
  }

  // Whether the text has said it ends ([End]): the rest is not read.
  bool Ended() const { return section_ == Section::Ended; }

  // The data, or the error: `fed` is what the last Feed returned.
  TouchstoneRead Result(bool fed) {
    TouchstoneRead read;
    if (!fed || !Finish()) {
      read.error = std::move(error_);
      return read;
    }
    read.data = std::move(data_);
    return read;
  }

 private:
  enum class Section { Header, Reference, Information, Network, Noise, Ended };

  bool Fail(int line, const std::string& message) {
    error_ = data_.name + ":" + std::to_string(line) + ": " + message;
    return false;
  }
  bool FailFile(const std::string& message) {
    error_ = data_.name + ": " + message;
    return false;
  }

  bool ReadLines() {
    std::size_t start = 0;
    while (start < text_.size() && section_ != Section::Ended) {
      lineStart_ = offset_ + start;
      if (InData()) {
        // The records, read straight from the text; a line with anything but plain numbers
        // and a comment goes the careful way below.
        const std::size_t next = PlainDataLine(start);
        if (next != kNotPlain) {
          start = next;
          continue;
        }
      }
      std::size_t end = text_.find('\n', start);
      if (end == std::string_view::npos) end = text_.size();
      ++line_;
      std::string_view line = text_.substr(start, end - start);
      start = end + 1;
      const std::size_t bang = line.find('!');
      std::string_view comment;
      if (bang != std::string_view::npos) {
        comment = line.substr(bang + 1);
        line = line.substr(0, bang);
      }
      line = Trim(line);
      if (!line.empty() && !ReadLine(line)) return false;
      if (bang != std::string_view::npos && !ReadComment(comment)) return false;
    }
    return !failed_;
  }

  static constexpr std::size_t kNotPlain = std::numeric_limits<std::size_t>::max();

  // Whether a line of numbers now is network data: once the data has started, outside
  // keywords' blocks and the noise data of version 2.
  bool InData() const {
    return sawData_ &&
           (section_ == Section::Network || (version_ != 2 && section_ == Section::Header));
  }

  // Reads the line at `start` as ReadLine would, straight from the text while its words are
  // plain numbers, and returns where the next line starts; kNotPlain, with nothing read, when
  // its first word is not a plain number. A later word that is not goes the careful way with
  // the rest of the line; a number that fails its record stops the reading with the error.
  std::size_t PlainDataLine(std::size_t start) {
    const char* p = text_.data() + start;
    const char* const end = text_.data() + text_.size();
    const auto lineEnd = [&] {
      const void* newline = std::memchr(p, '\n', static_cast<std::size_t>(end - p));
      return newline != nullptr ? static_cast<const char*>(newline) : end;
    };
    bool counted = false;
    while (p != end && *p != '\n') {
      if (IsBlank(*p)) {
        ++p;
        continue;
      }
      if (*p == '!') {
        if (!counted) {
          ++line_;
          counted = true;
        }
        const char* const last = lineEnd();
        if (!ReadComment(std::string_view(p + 1, static_cast<std::size_t>(last - p - 1)))) {
          failed_ = true;
          return text_.size();
        }
        p = last;
        break;
      }
      double value = 0.0;
      const char* const after = PlainNumber(p, end, value);
      if (after == nullptr) {
        if (!counted) return kNotPlain;
        const char* const last = lineEnd();
        std::string_view rest(p, static_cast<std::size_t>(last - p));
        const std::size_t bang = rest.find('!');
        const std::string_view comment =
            bang == std::string_view::npos ? std::string_view() : rest.substr(bang + 1);
        rest = rest.substr(0, bang);
        if (!ReadNumbers(Trim(rest)) || (bang != std::string_view::npos && !ReadComment(comment))) {
          failed_ = true;
          return text_.size();
        }
        p = last;
        break;
      }
      if (!counted) {
        ++line_;
        counted = true;
        lineNumbers_ = 0;
      }
      if (!TakeNumber(value)) {
        failed_ = true;
        return text_.size();
      }
      p = after;
    }
    if (!counted) ++line_;
    if (counted && !EndDataLine()) {
      failed_ = true;
      return text_.size();
    }
    return p == end ? text_.size() : static_cast<std::size_t>(p - text_.data()) + 1;
  }

  bool ReadLine(std::string_view line) {
    if (section_ == Section::Information) {
      if (line.front() == '[' && KeywordOf(line) == "end information") section_ = Section::Header;
      return true;
    }
    if (line.front() == '[') return ReadKeyword(line);
    if (section_ == Section::Noise) return true;  // read and set aside
    if (line.front() == '#') return ReadOptionLine(line);
    if (section_ == Section::Reference) return ReadReferences(line);
    if (version_ == 2 && section_ != Section::Network) {
      return Fail(line_, "numbers before [Network Data]");
    }
    if (version_ != 2 && !StartData()) return false;
    lineNumbers_ = 0;
    return ReadNumbers(line) && EndDataLine();
  }

  bool EndDataLine() {
    if (lineNumbers_ != 3) onlyOnePortLines_ = false;
    return true;
  }

  // A record may run over lines, so a line with a number too many shifts every record after
  // it; the error that follows says where the shift began: " (a record begins inside line 3,
  // after its 3rd number; a 1-port record is 3 numbers)".
  std::string ShiftNote() const {
    if (shiftLine_ == 0) return "";
    return " (a record begins inside line " + std::to_string(shiftLine_) + ", after its " +
           Ordinal(shiftAfter_) + " number; a " + std::to_string(data_.ports) + "-port record is " +
           std::to_string(recordSize_) + " numbers)";
  }

  static std::string Ordinal(std::size_t n) {
    const char* suffix = (n % 100 >= 11 && n % 100 <= 13) ? "th"
                         : n % 10 == 1                    ? "st"
                         : n % 10 == 2                    ? "nd"
                         : n % 10 == 3                    ? "rd"
                                                          : "th";
    return std::to_string(n) + suffix;
  }

  bool FailRecord(int line, const std::string& message) {
    return Fail(line, message + ShiftNote());
  }

  static std::string KeywordOf(std::string_view line) {
    const std::size_t close = line.find(']');
    if (close == std::string_view::npos) return "";
    return Lower(Trim(line.substr(1, close - 1)));
  }

  // The single number after a keyword such as [Number of Ports].
  bool KeywordCount(std::string_view value, std::string_view keyword, double& count) {
    value = Trim(value);
    const std::string problem = ReadNumber(value, count);
    if (value.empty()) return Fail(line_, "[" + std::string(keyword) + "] needs a number");
    if (!problem.empty()) return Fail(line_, "[" + std::string(keyword) + "]: " + problem);
    if (count < 0.0 || count != std::floor(count)) {
      return Fail(line_, "[" + std::string(keyword) + "] must be a whole number, not " +
                             std::string(value));
    }
    return true;
  }

  bool ReadKeyword(std::string_view line) {
    const std::size_t close = line.find(']');
    if (close == std::string_view::npos) {
      return Fail(line_, "keyword '" + std::string(line) + "' has no closing ]");
    }
    const std::string keyword = Lower(Trim(line.substr(1, close - 1)));
    const std::string_view value = Trim(line.substr(close + 1));
    if (section_ == Section::Reference) {
      if (!ReferencesComplete()) return false;
    }
    if (keyword == "version") {
      if (version_ != 0 || sawData_) return Fail(line_, "[Version] must come first");
      if (value != "2.0" && value != "2.1") {
        return Fail(line_, "version '" + std::string(value) + "' is not 2.0 or 2.1");
      }
      version_ = 2;
      return true;
    }
    if (version_ != 2) {
      return Fail(line_, "[" + std::string(line.substr(1, close - 1)) +
                             "] in a file without [Version] 2.0 first");
    }
    if (section_ == Section::Network) {
      if (!EndNetworkData()) return false;
      section_ = Section::Header;
    }
    // Once the records are read, what they mean can no longer change.
    if (sawNetwork_ && keyword != "noise data" && keyword != "end" && keyword != "network data" &&
        keyword != "begin information" && keyword != "end information") {
      return Fail(line_, "[" + std::string(line.substr(1, close - 1)) + "] after [Network Data]");
    }
    if (keyword == "number of ports") {
      // [Reference] has been counted against the first one.
      if (sawPorts_) return Fail(line_, "a second [Number of Ports]");
      double count = 0.0;
      if (!KeywordCount(value, "Number of Ports", count)) return false;
      if (count < 1.0 || count > kMaxTouchstonePorts) {
        return Fail(line_, "[Number of Ports] must be 1 to " + std::to_string(kMaxTouchstonePorts) +
                               ", not " + std::string(value));
      }
      data_.ports = static_cast<int>(count);
      sawPorts_ = true;
    } else if (keyword == "two-port data order") {
      const std::string order = Lower(value);
      if (order == "12_21") {
        order12_21_ = true;
      } else if (order != "21_12") {
        return Fail(line_, "[Two-Port Data Order] must be 12_21 or 21_12, not '" +
                               std::string(value) + "'");
      }
      sawOrder_ = true;
    } else if (keyword == "number of frequencies") {
      double count = 0.0;
      if (!KeywordCount(value, "Number of Frequencies", count)) return false;
      if (count < 1.0) return Fail(line_, "[Number of Frequencies] must be at least 1");
      claimedPoints_ = count;
    } else if (keyword == "number of noise frequencies") {
      double count = 0.0;
      if (!KeywordCount(value, "Number of Noise Frequencies", count)) return false;
    } else if (keyword == "reference") {
      if (!sawPorts_) return Fail(line_, "[Reference] before [Number of Ports]");
      references_.clear();
      section_ = Section::Reference;
      referenceLine_ = line_;
      if (!value.empty()) return ReadReferences(value);
    } else if (keyword == "matrix format") {
      const std::string format = Lower(value);
      if (format == "full") {
        matrix_ = Matrix::Full;
      } else if (format == "lower") {
        matrix_ = Matrix::Lower;
      } else if (format == "upper") {
        matrix_ = Matrix::Upper;
      } else {
        return Fail(line_, "[Matrix Format] must be Full, Lower or Upper, not '" +
                               std::string(value) + "'");
      }
    } else if (keyword == "mixed-mode order") {
      return Fail(line_, "mixed-mode data ([Mixed-Mode Order]) is not supported");
    } else if (keyword == "begin information") {
      section_ = Section::Information;
    } else if (keyword == "network data") {
      if (sawNetwork_) return Fail(line_, "a second [Network Data]");
      if (!sawOptions_)
        return Fail(line_, "no option line (such as '# GHz S MA R 50') before the data");
      if (!sawPorts_) return Fail(line_, "[Network Data] before [Number of Ports]");
      if (data_.ports == 2 && !sawOrder_) {
        return Fail(line_, "a 2-port file needs [Two-Port Data Order] before [Network Data]");
      }
      if (claimedPoints_ == 0.0) {
        return Fail(line_, "[Network Data] before [Number of Frequencies]");
      }
      sawNetwork_ = true;
      section_ = Section::Network;
      if (!StartData()) return false;
    } else if (keyword == "noise data") {
      if (!sawNetwork_) return Fail(line_, "[Noise Data] before [Network Data]");
      if (data_.ports != 2) return Fail(line_, "noise data in a file of other than 2 ports");
      section_ = Section::Noise;
    } else if (keyword == "end") {
      section_ = Section::Ended;
    }
    // Any other keyword ([End Information] outside a block, later versions' additions) is read
    // and passed over.
    return true;
  }

  bool ReadOptionLine(std::string_view line) {
    // Only the first option line counts; version 1 readers pass over any later ones.
    if (sawOptions_) return true;
    if (sawData_) return Fail(line_, "the option line comes after the data");
    sawOptions_ = true;
    bool expectReference = false;
    std::string problem;
    ForEachWord(line.substr(1), [&](std::string_view word) {
      if (expectReference) {
        problem = ReadOptionReference(word, optionReference_);
        expectReference = false;
        return problem.empty();
      }
      const std::string option = Lower(word);
      if (option == "hz") {
        unit_ = 1.0;
      } else if (option == "khz") {
        unit_ = 1e3;
      } else if (option == "mhz") {
        unit_ = 1e6;
      } else if (option == "ghz") {
        unit_ = 1e9;
      } else if (option == "s") {
        data_.parameter = TouchstoneParameter::S;
      } else if (option == "y") {
        data_.parameter = TouchstoneParameter::Y;
      } else if (option == "z") {
        data_.parameter = TouchstoneParameter::Z;
      } else if (option == "h" || option == "g") {
        problem = std::string(word) + " parameters are not supported, only S, Y and Z";
      } else if (option == "ri") {
        data_.format = TouchstoneFormat::RI;
      } else if (option == "ma") {
        data_.format = TouchstoneFormat::MA;
      } else if (option == "db") {
        data_.format = TouchstoneFormat::DB;
      } else if (option == "r") {
        expectReference = true;
      } else {
        problem = "unknown option '" + std::string(word) +
                  "' (not Hz, kHz, MHz, GHz, S, Y, Z, RI, MA, DB or R)";
      }
      return problem.empty();
    });
    if (problem.empty() && expectReference) problem = "R in the option line needs a number";
    if (!problem.empty()) return Fail(line_, problem);
    return true;
  }

  bool ReadReferences(std::string_view line) {
    std::string problem;
    ForEachWord(line, [&](std::string_view word) {
      if (static_cast<int>(references_.size()) == data_.ports) {
        problem = "[Reference] has more than " + std::to_string(data_.ports) + " impedances";
        return false;
      }
      double r = 0.0;
      problem = ReadNumber(word, r);
      if (problem.empty() && !(r > 0.0)) {
        problem = "a reference impedance must be positive, not " + std::string(word);
      }
      references_.push_back(r);
      return problem.empty();
    });
    if (!problem.empty()) return Fail(line_, problem);
    if (static_cast<int>(references_.size()) == data_.ports) section_ = Section::Header;
    return true;
  }

  bool ReferencesComplete() {
    if (static_cast<int>(references_.size()) == data_.ports) {
      section_ = Section::Header;
      return true;
    }
    return Fail(referenceLine_, "[Reference] needs " + std::to_string(data_.ports) +
                                    " impedances, found " + std::to_string(references_.size()));
  }

  // Everything the records need, once: the first data line of a version 1 file, or
  // [Network Data].
  bool StartData() {
    if (sawData_) return true;
    sawData_ = true;
    if (!sawOptions_)
      return Fail(line_, "no option line (such as '# GHz S MA R 50') before the data");
    if (data_.ports < 1) {
      return FailFile(
          "the number of ports is unknown: name the file .s1p, .s2p, ... or use version 2.0");
    }
    data_.version = version_ == 2 ? 2 : 1;
    const int n = data_.ports;
    if (version_ == 2 && !references_.empty()) {
      data_.referenceImpedances = references_;
    } else {
      data_.referenceImpedances.assign(static_cast<std::size_t>(n), optionReference_.real());
    }
    conversionReferences_.assign(data_.referenceImpedances.begin(),
                                 data_.referenceImpedances.end());
    if (version_ != 2 || references_.empty()) {
      conversionReferences_.assign(static_cast<std::size_t>(n), optionReference_);
    }
    // The comments' references come after each record: Y and Z wait for them.
    deferConversion_ = commentReferences_ && data_.parameter != TouchstoneParameter::S;
    const int entries = matrix_ == Matrix::Full ? n * n : n * (n + 1) / 2;
    recordSize_ = 1 + 2 * static_cast<std::size_t>(entries);
    record_.assign(recordSize_, 0.0);
    // Where each pair of a record goes in the matrix.
    places_.clear();
    for (int row = 0; row < n; ++row) {
      for (int column = 0; column < n; ++column) {
        if (matrix_ == Matrix::Lower && column > row) continue;
        if (matrix_ == Matrix::Upper && column < row) continue;
        places_.push_back({row, column});
      }
    }
    // Version 1 and 21_12 write a 2-port's record as S11 S21 S12 S22.
    if (n == 2 && matrix_ == Matrix::Full && !order12_21_) std::swap(places_[1], places_[2]);
    // A claimed count reserves no more than the text could hold.
    const double fit = static_cast<double>(size_) / static_cast<double>(2 * recordSize_);
    const double reserve = std::min(claimedPoints_, fit);
    data_.frequencies.reserve(static_cast<std::size_t>(reserve));
    data_.s.reserve(static_cast<std::size_t>(reserve) * static_cast<std::size_t>(n * n));
    matrixA_.assign(static_cast<std::size_t>(n * n), Complex());
    matrixB_.assign(static_cast<std::size_t>(n * n), Complex());
    return true;
  }

  bool ReadNumbers(std::string_view line) {
    std::string problem;
    bool ok = true;
    ForEachWord(line, [&](std::string_view word) {
      double value = 0.0;
      if (!QuickNumber(word, value)) {
        problem = ReadNumber(word, value);
        if (!problem.empty()) {
          ok = Fail(line_, problem);
          return false;
        }
      }
      ok = TakeNumber(value);
      return ok;
    });
    return ok;
  }

  // One number of the data on line line_, into the record it belongs to (or the noise data).
  // A version 1 file does not say how many records it holds: the first one's length in the
  // text tells, within what the text could hold at all.
  void ReserveLikeTheFirstRecord() {
    const std::size_t length = lineStart_ - firstRecordStart_;
    if (length == 0) return;
    const std::size_t records = (size_ - firstRecordStart_) / length + 1;
    const std::size_t fit = size_ / (2 * recordSize_) + 1;
    const std::size_t reserve = std::min(records, fit);
    const std::size_t nn =
        static_cast<std::size_t>(data_.ports) * static_cast<std::size_t>(data_.ports);
    data_.frequencies.reserve(reserve);
    data_.s.reserve(reserve * nn);
  }

  bool TakeNumber(double value) {
    ++lineNumbers_;
    if (filled_ == 0 && lineNumbers_ > 1 && shiftLine_ == 0 && !inNoise_) {
      shiftLine_ = line_;
      shiftAfter_ = lineNumbers_ - 1;
    }
    if (inNoise_) {
      if (noiseFilled_ == 0) noiseLine_ = line_;
      noiseFilled_ = (noiseFilled_ + 1) % kNoiseRecord;
      return true;
    }
    if (filled_ == 0) {
      if (inImpedance_) return UnfinishedImpedance();
      recordLine_ = line_;
      if (data_.frequencies.empty()) firstRecordStart_ = lineStart_;
      if (data_.frequencies.size() == 1 && claimedPoints_ == 0.0) ReserveLikeTheFirstRecord();
      // Version 1 noise data follows a 2-port's network data where the frequency first
      // falls back.
      if (version_ != 2 && data_.ports == 2 && !data_.frequencies.empty() &&
          value * unit_ < data_.frequencies.back()) {
        inNoise_ = true;
        noiseLine_ = line_;
        noiseFilled_ = 1;
        return true;
      }
    }
    record_[filled_++] = value;
    if (filled_ == recordSize_) {
      filled_ = 0;
      return AddRecord();
    }
    return true;
  }

  Complex Pair(std::size_t k) const {
    const double a = record_[1 + 2 * k], b = record_[2 + 2 * k];
    switch (data_.format) {
      case TouchstoneFormat::RI:
        return {a, b};
      case TouchstoneFormat::MA:
        return std::polar(a, b * kRadiansPerDegree);
      case TouchstoneFormat::DB:
        return std::polar(std::pow(10.0, a / 20.0), b * kRadiansPerDegree);
    }
    return {a, b};
  }

  bool AddRecord() {
    ++recordsSeen_;
    const double frequency = record_[0] * unit_;
    if (!std::isfinite(frequency)) {
      return FailRecord(recordLine_, "the frequency is too large");
    }
    if (frequency < 0.0) {
      return FailRecord(recordLine_, "negative frequency -" + FrequencyText(-frequency));
    }
    const bool repeated = !data_.frequencies.empty() && frequency == data_.frequencies.back();
    if (!data_.frequencies.empty() && !(frequency >= data_.frequencies.back())) {
      return FailRecord(recordLine_, "the frequency " + FrequencyText(frequency) +
                                         " does not rise above the one before it, " +
                                         FrequencyText(data_.frequencies.back()));
    }
    if (version_ == 2 && !repeated &&
        static_cast<double>(data_.frequencies.size()) >= claimedPoints_) {
      return Fail(recordLine_, "more frequencies than [Number of Frequencies] says");
    }
    const int n = data_.ports;
    const std::size_t nn = static_cast<std::size_t>(n * n);
    std::vector<Complex>& m = matrixA_;
    for (std::size_t k = 0; k < places_.size(); ++k) {
      const Complex value = Pair(k);
      const auto [row, column] = places_[k];
      m[static_cast<std::size_t>(row * n + column)] = value;
      // Lower and Upper give each pair once for both of its places.
      if (matrix_ != Matrix::Full) m[static_cast<std::size_t>(column * n + row)] = value;
    }
    if (data_.parameter != TouchstoneParameter::S && !deferConversion_ &&
        !ToS(conversionReferences_)) {
      return Fail(recordLine_, "the " + std::string(TouchstoneParameterName(data_.parameter)) +
                                   " matrix at " + FrequencyText(frequency) +
                                   " has no S-parameters");
    }
    for (std::size_t k = 0; k < nn; ++k) {
      if (!std::isfinite(m[k].real()) || !std::isfinite(m[k].imag())) {
        return Fail(recordLine_,
                    "the S-parameters at " + FrequencyText(frequency) + " are not finite");
      }
    }
    if (repeated) return RepeatedRecord(frequency);
    data_.frequencies.push_back(frequency);
    data_.s.insert(data_.s.end(), m.begin(), m.end());
    return true;
  }

  // A record at the frequency of the one before it: the same data written twice is read once
  // (scikit-rf keeps both, which give the same impedance); different data is refused, since a
  // point cannot have two values. A 2-port's noise data starts only where the frequency falls.
  bool RepeatedRecord(double frequency) {
    const std::size_t nn = matrixA_.size();
    if (std::equal(matrixA_.begin(), matrixA_.end(),
                   data_.s.end() - static_cast<std::ptrdiff_t>(nn))) {
      droppedRecords_.push_back(recordsSeen_ - 1);
      return true;
    }
    std::string message =
        "the frequency " + FrequencyText(frequency) + " comes twice, with different data";
    if (version_ != 2 && data_.ports == 2) {
      message += " (noise data starts where the frequency falls below the one before it)";
    }
    return Fail(recordLine_, message);
  }

  // Y or Z in matrixA_ to S against the ports' reference impedances R_i, power waves for a
  // complex one (Kurokawa): S = F (Z - R*)(Z + R)^-1 F^-1 = F (1 - R* Y)(1 + R Y)^-1 F^-1,
  // F = diag(1 / (2 sqrt(Re R_i))); for real R_i the usual S. Version 1 writes them normalised
  // to the option line's R: Z / R and Y R.
  bool ToS(const std::vector<Complex>& r) {
    const int n = data_.ports;
    std::vector<Complex>& a = matrixA_;
    std::vector<Complex>& b = matrixB_;
    const bool normalised = version_ != 2;
    for (int i = 0; i < n; ++i) {
      if (!(r[static_cast<std::size_t>(i)].real() > 0.0)) return false;
      for (int j = 0; j < n; ++j) {
        const std::size_t k = static_cast<std::size_t>(i * n + j);
        const Complex ri = r[static_cast<std::size_t>(i)];
        const double diagonal = i == j ? 1.0 : 0.0;
        if (data_.parameter == TouchstoneParameter::Z) {
          const Complex z = normalised ? a[k] * optionReference_ : a[k];
          a[k] = z - diagonal * std::conj(ri);
          b[k] = z + diagonal * ri;
        } else {
          const Complex y = normalised ? a[k] / optionReference_ : a[k];
          a[k] = diagonal - std::conj(ri) * y;
          b[k] = diagonal + ri * y;
        }
      }
    }
    if (!SolveRight(n, a, b)) return false;
    for (int i = 0; i < n; ++i) {
      for (int j = 0; j < n; ++j) {
        if (i == j) continue;
        a[static_cast<std::size_t>(i * n + j)] *= std::sqrt(r[static_cast<std::size_t>(j)].real() /
                                                            r[static_cast<std::size_t>(i)].real());
      }
    }
    return true;
  }

  // The comment of a line (the text after its '!'). Before the option line, whether the header
  // says the data was exported from HFSS or is not renormalized, as scikit-rf decides whether
  // to read the "! Port Impedance" comments; after it, those comments themselves.
  bool ReadComment(std::string_view comment) {
    if (!sawOptions_) {
      if (!commentReferences_) {
        const std::string lower = Lower(comment);
        commentReferences_ = lower.find("exported from hfss") != std::string::npos ||
                             lower.find("data is not renormalized") != std::string::npos;
      }
      return true;
    }
    if (!commentReferences_) return true;
    std::string_view text = Trim(comment);
    if (!inImpedance_) {
      constexpr std::string_view kPortImpedance = "Port Impedance";
      if (text.substr(0, kPortImpedance.size()) != kPortImpedance) return true;
      // The first number may follow the word without a space: "Port Impedance0 29.24 0 57.39".
      text.remove_prefix(kPortImpedance.size());
      inImpedance_ = true;
      impedanceLine_ = line_;
      impedanceNumbers_.clear();
    }
    return ReadImpedanceNumbers(text);
  }

  // The numbers of a "! Port Impedance" comment, resistance and reactance per port, over as
  // many comment lines as it takes: a solver writes four ports to a line. A line with more
  // numbers than the ports need gives its last ones, as scikit-rf takes them.
  bool ReadImpedanceNumbers(std::string_view text) {
    std::string problem;
    ForEachWord(text, [&](std::string_view word) {
      double value = 0.0;
      problem = ReadNumber(word, value);
      impedanceNumbers_.push_back(value);
      return problem.empty();
    });
    if (!problem.empty()) return Fail(line_, "port impedance comment: " + problem);
    const std::size_t wanted = 2 * static_cast<std::size_t>(data_.ports);
    if (impedanceNumbers_.size() < wanted) return true;
    inImpedance_ = false;
    for (std::size_t k = impedanceNumbers_.size() - wanted; k < impedanceNumbers_.size(); k += 2) {
      commentImpedances_.emplace_back(impedanceNumbers_[k], impedanceNumbers_[k + 1]);
    }
    return true;
  }

  bool UnfinishedImpedance() {
    return Fail(impedanceLine_,
                "the port impedance comment has " + std::to_string(impedanceNumbers_.size()) +
                    " numbers, not 2 for each of " + std::to_string(data_.ports) + " ports");
  }

  // A reference impedance in the option line: a positive number, or a complex one as
  // scikit-rf writes it, "(50+50j)", with a positive real part.
  static std::string ReadOptionReference(std::string_view word, Complex& reference) {
    std::string_view text = word;
    const bool bracketed = text.size() >= 2 && text.front() == '(' && text.back() == ')';
    if (bracketed) text = text.substr(1, text.size() - 2);
    double re = 0.0, im = 0.0;
    if (!text.empty() && (text.back() == 'j' || text.back() == 'J')) {
      text.remove_suffix(1);
      // The sign that starts the imaginary part: the last one not at the start or after an e.
      std::size_t split = std::string_view::npos;
      for (std::size_t k = text.size(); k-- > 1;) {
        if ((text[k] == '+' || text[k] == '-') && text[k - 1] != 'e' && text[k - 1] != 'E') {
          split = k;
          break;
        }
      }
      const std::string_view real = split == std::string_view::npos ? "0" : text.substr(0, split);
      std::string_view imaginary = split == std::string_view::npos ? text : text.substr(split);
      if (imaginary == "+" || imaginary == "-" || imaginary.empty()) {
        imaginary = imaginary == "-" ? "-1" : "1";
      }
      if (!ReadNumber(real, re).empty() || !ReadNumber(imaginary, im).empty()) {
        return "'" + std::string(word) + "' is not a reference impedance";
      }
    } else {
      const std::string problem = ReadNumber(word, re);
      if (!problem.empty()) return problem;
      if (!(re > 0.0)) return "the reference impedance must be positive, not " + std::string(word);
    }
    if (!(re > 0.0)) {
      return "the reference impedance must have a positive resistance, not " + std::string(word);
    }
    reference = {re, im};
    return "";
  }

  // Once every record is read: the references of each point, from the comments or from a
  // complex option line, and the Y or Z data that waited for them converted.
  bool FinishReferences() {
    const std::size_t n = static_cast<std::size_t>(data_.ports);
    const std::size_t points = data_.Points();
    if (commentReferences_ && !commentImpedances_.empty()) {
      // A repeated record read once takes its comment with it.
      if (!droppedRecords_.empty() && commentImpedances_.size() == recordsSeen_ * n) {
        std::vector<Complex> kept;
        kept.reserve(points * n);
        std::size_t dropped = 0;
        for (std::size_t record = 0; record < recordsSeen_; ++record) {
          if (dropped < droppedRecords_.size() && droppedRecords_[dropped] == record) {
            ++dropped;
            continue;
          }
          kept.insert(kept.end(),
                      commentImpedances_.begin() + static_cast<std::ptrdiff_t>(record * n),
                      commentImpedances_.begin() + static_cast<std::ptrdiff_t>((record + 1) * n));
        }
        commentImpedances_ = std::move(kept);
      }
      if (commentImpedances_.size() != points * n) {
        return FailFile(std::to_string(commentImpedances_.size() / n) +
                        " port impedance comments for " + std::to_string(points) + " frequencies");
      }
      data_.pointReferences = std::move(commentImpedances_);
      for (std::size_t port = 0; port < n; ++port) {
        data_.referenceImpedances[port] = data_.pointReferences[port].real();
      }
    } else if (optionReference_.imag() != 0.0 && (version_ != 2 || references_.empty())) {
      data_.pointReferences.assign(points * n, optionReference_);
    }
    if (!deferConversion_) return true;
    const std::size_t nn = n * n;
    for (std::size_t point = 0; point < points; ++point) {
      const auto first = data_.s.begin() + static_cast<std::ptrdiff_t>(point * nn);
      std::copy(first, first + static_cast<std::ptrdiff_t>(nn), matrixA_.begin());
      if (!data_.pointReferences.empty()) {
        conversionReferences_.assign(
            data_.pointReferences.begin() + static_cast<std::ptrdiff_t>(point * n),
            data_.pointReferences.begin() + static_cast<std::ptrdiff_t>((point + 1) * n));
      }
      if (!ToS(conversionReferences_)) {
        return FailFile("the " + std::string(TouchstoneParameterName(data_.parameter)) +
                        " matrix at " + FrequencyText(data_.frequencies[point]) +
                        " has no S-parameters against its port impedances");
      }
      std::copy(matrixA_.begin(), matrixA_.end(), first);
    }
    return true;
  }

  bool EndNetworkData() {
    if (filled_ != 0) {
      return FailRecord(recordLine_, "expected " + std::to_string(recordSize_) +
                                         " numbers, found " + std::to_string(filled_));
    }
    if (inNoise_ && noiseFilled_ != 0) {
      return Fail(noiseLine_, "noise data: expected " + std::to_string(kNoiseRecord) +
                                  " numbers, found " + std::to_string(noiseFilled_));
    }
    return true;
  }

  bool Finish() {
    if (section_ == Section::Reference && !ReferencesComplete()) return false;
    // Every line three numbers, a 1-port record, in a file named as 2-port: read as 2-port
    // records it would give points that are not in it.
    if (version_ != 2 && data_.ports == 2 && sawData_ && onlyOnePortLines_ && !inNoise_) {
      return FailFile(
          "every data line holds 3 numbers, a 1-port record, but a 2-port record is 9 numbers "
          "(1-port data belongs in a .s1p file)");
    }
    if (section_ == Section::Information) {
      return FailFile("[Begin Information] without [End Information]");
    }
    if (!EndNetworkData()) return false;
    if (inImpedance_) return UnfinishedImpedance();
    if (version_ == 2 && !sawNetwork_) return FailFile("no [Network Data]");
    if (data_.frequencies.empty()) return FailFile("no network data");
    if (version_ == 2 && static_cast<double>(data_.frequencies.size()) != claimedPoints_) {
      return FailFile("[Number of Frequencies] says " + ExactCount(claimedPoints_) +
                      ", the data has " + std::to_string(data_.frequencies.size()));
    }
    return FinishReferences();
  }

  static std::string ExactCount(double count) {
    std::ostringstream out;
    out.imbue(std::locale::classic());
    out.precision(17);
    out << count;
    return out.str();
  }

  enum class Matrix { Full, Lower, Upper };
  static constexpr std::size_t kNoiseRecord = 5;

  std::string_view text_;   // the piece being read
  std::size_t size_ = 0;    // the whole text's length
  std::size_t offset_ = 0;  // where the piece starts in the whole text
  TouchstoneData data_;
  std::string error_;
  int line_ = 0;
  int version_ = 0;  // 0 until [Version] or data shows which
  Section section_ = Section::Header;
  bool sawOptions_ = false, sawData_ = false, sawPorts_ = false, sawOrder_ = false;
  bool sawNetwork_ = false, order12_21_ = false;
  double unit_ = 1e9;
  Complex optionReference_{50.0, 0.0};
  double claimedPoints_ = 0.0;
  std::vector<double> references_;
  int referenceLine_ = 0;
  Matrix matrix_ = Matrix::Full;
  std::vector<std::pair<int, int>> places_;
  std::vector<double> record_;
  std::size_t recordSize_ = 0, filled_ = 0;
  int recordLine_ = 0;
  bool inNoise_ = false;
  std::size_t noiseFilled_ = 0;
  int noiseLine_ = 0;
  std::vector<Complex> matrixA_, matrixB_;
  std::vector<Complex> conversionReferences_;  // what Y and Z are converted against
  bool deferConversion_ = false;               // until the comments' references are read
  bool commentReferences_ = false;             // the header says "! Port Impedance" comments hold
  bool inImpedance_ = false;  // a "! Port Impedance" comment continues on the next line
  int impedanceLine_ = 0;
  std::vector<double> impedanceNumbers_;    // of the comment being read
  std::vector<Complex> commentImpedances_;  // ports per record, in the order given
  std::size_t recordsSeen_ = 0;
  std::vector<std::size_t> droppedRecords_;  // repeated records read once
  bool failed_ = false;                      // a plain line's number failed its record
  std::size_t lineNumbers_ = 0;              // the numbers of the data line being read
  int shiftLine_ = 0;                        // the first line a record begins inside of
  std::size_t shiftAfter_ = 0;               // after how many of that line's numbers
  bool onlyOnePortLines_ = true;             // every data line so far held 3 numbers
  std::size_t lineStart_ = 0;                // where the line being read starts in the text
  std::size_t firstRecordStart_ = 0;         // where the first record's first line starts
};

}  // namespace

std::string_view TouchstoneParameterName(TouchstoneParameter parameter) {
  switch (parameter) {
    case TouchstoneParameter::S:
      return "S";
    case TouchstoneParameter::Y:
      return "Y";
    case TouchstoneParameter::Z:
      return "Z";
  }
  return "S";
}

std::string_view TouchstoneFormatName(TouchstoneFormat format) {
  switch (format) {
    case TouchstoneFormat::RI:
      return "RI";
    case TouchstoneFormat::MA:
      return "MA";
    case TouchstoneFormat::DB:
      return "DB";
  }
  return "MA";
}

TouchstoneRead ReadTouchstoneText(std::string_view text, std::string_view name, int ports) {
  Reader reader(name, ports, text.size());
  LineEnds ends;
  ends.Decide(text, true);
  if (ends.CarriageReturns()) {
    std::string copy(text);
    ends.Convert(copy.data(), copy.size());
    return reader.Result(reader.Feed(copy));
  }
  const bool fed = reader.Feed(text);
  return reader.Result(fed);
}

TouchstoneRead ReadTouchstoneFile(const std::string& path, InputKinds kinds) {
  const std::string name = path == "-" && kinds == InputKinds::RegularOrStream
                               ? InputDisplayName(path)
                               : OneLine(std::filesystem::path(path).filename().string());
  InputFile in;
  std::string reason;
  if (!in.Open(path, kinds, kMaxTouchstoneBytes, reason)) {
    return {name + ": cannot be read: " + reason, {}};
  }
  // The file is read once from start to end, in pieces of whole lines through one buffer:
  // holding all of a large file at once costs more in fresh memory pages than the parse
  // itself, and a stream cannot be read twice. The buffer is not cleared before the reads
  // overwrite it.
  Reader reader(name, 0, in.Size() ? static_cast<std::size_t>(*in.Size()) : 0);
  std::size_t capacity = kReadPiece;
  std::unique_ptr<char[]> buffer = std::make_unique_for_overwrite<char[]>(capacity);
  std::size_t kept = 0;  // the start of a line the last piece did not finish
  int lines = 0;         // whole lines fed, for the line a too long one starts on
  LineEnds ends;
  bool fed = true;
  while (fed && !reader.Ended()) {
    if (kept == capacity) {
      // Only a line longer than the buffer: it grows up to the longest line allowed.
      if (capacity >= kMaxTouchstoneLine) {
        return {name + ":" + std::to_string(lines + 1) + ": the line is longer than " +
                    LimitText(kMaxTouchstoneLine),
                {}};
      }
      std::unique_ptr<char[]> larger = std::make_unique_for_overwrite<char[]>(2 * capacity);
      std::memcpy(larger.get(), buffer.get(), kept);
      buffer = std::move(larger);
      capacity *= 2;
    }
    std::size_t got = 0;
    if (!in.Read(buffer.get() + kept, capacity - kept, got, reason)) {
      return {name + ": cannot be read: " + reason, {}};
    }
    const std::size_t filled = kept + got;
    const bool atEnd = got == 0;
    ends.Decide(std::string_view(buffer.get(), filled), atEnd);
    ends.Convert(buffer.get(), filled);
    if (atEnd) {
      fed = reader.Feed(std::string_view(buffer.get(), filled));
      break;
    }
    std::size_t whole = filled;
    while (whole > 0 && buffer[whole - 1] != '\n') --whole;
    if (whole == 0) {
      kept = filled;
      continue;
    }
    lines += static_cast<int>(std::count(buffer.get(), buffer.get() + whole, '\n'));
    fed = reader.Feed(std::string_view(buffer.get(), whole));
    kept = filled - whole;
    std::memmove(buffer.get(), buffer.get() + whole, kept);
  }
  return reader.Result(fed);
}

std::complex<double> PowerWaveImpedance(std::complex<double> reflection,
                                        std::complex<double> reference) {
  const Complex denominator = 1.0 - reflection;
  if (denominator == Complex(0.0, 0.0)) return {std::numeric_limits<double>::infinity(), 0.0};
  return (std::conj(reference) + reflection * reference) / denominator;
}

std::string TouchstonePortProblem(const TouchstoneData& data, int port) {
  if (port < 1 || port > data.ports) return data.name + " has no port " + std::to_string(port);
  return "";
}

TouchstonePort::TouchstonePort(const TouchstoneData& data, int port)
    : name_(data.name),
      port_(port),
      reference_(data.referenceImpedances[static_cast<std::size_t>(port - 1)]),
      frequencies_(data.frequencies) {
  reflections_.reserve(data.Points());
  for (std::size_t k = 0; k < data.Points(); ++k) {
    reflections_.push_back(data.S(k, port - 1, port - 1));
  }
  if (!data.pointReferences.empty()) {
    references_.reserve(data.Points());
    for (std::size_t k = 0; k < data.Points(); ++k)
      references_.push_back(data.Reference(k, port - 1));
  }
}

std::string TouchstonePort::OutsideBandText(double hertz) const {
  return FrequencyText(hertz) + " is outside " + name_ + "'s band (" + FrequencyText(From()) +
         " to " + FrequencyText(To()) + ")";
}

std::complex<double> TouchstonePort::Between(std::size_t below, double hertz) const {
  if (below + 1 >= frequencies_.size() || hertz == frequencies_[below]) {
    return reflections_[below];
  }
  const double f0 = frequencies_[below], f1 = frequencies_[below + 1];
  const double t = (hertz - f0) / (f1 - f0);
  const Complex g0 = reflections_[below], g1 = reflections_[below + 1];
  return {g0.real() + (g1.real() - g0.real()) * t, g0.imag() + (g1.imag() - g0.imag()) * t};
}

std::complex<double> TouchstonePort::Reflection(double hertz) const {
  const auto above = std::upper_bound(frequencies_.begin(), frequencies_.end(), hertz);
  const std::size_t below = above == frequencies_.begin()
                                ? 0
                                : static_cast<std::size_t>(above - frequencies_.begin()) - 1;
  return Between(below, hertz);
}

std::complex<double> TouchstonePort::ImpedanceOf(std::complex<double> reflection) const {
  const Complex denominator = 1.0 - reflection;
  if (denominator == Complex(0.0, 0.0)) return {std::numeric_limits<double>::infinity(), 0.0};
  return reference_ * (1.0 + reflection) / denominator;
}

std::complex<double> TouchstonePort::ImpedanceBetween(std::size_t below, double hertz) const {
  const Complex g = Between(below, hertz);
  if (references_.empty()) return ImpedanceOf(g);
  Complex reference = references_[below];
  if (below + 1 < frequencies_.size() && hertz != frequencies_[below]) {
    const double t =
        (hertz - frequencies_[below]) / (frequencies_[below + 1] - frequencies_[below]);
    const Complex r0 = references_[below], r1 = references_[below + 1];
    reference = {r0.real() + (r1.real() - r0.real()) * t, r0.imag() + (r1.imag() - r0.imag()) * t};
  }
  return PowerWaveImpedance(g, reference);
}

std::complex<double> TouchstonePort::Impedance(double hertz) const {
  const auto above = std::upper_bound(frequencies_.begin(), frequencies_.end(), hertz);
  const std::size_t below = above == frequencies_.begin()
                                ? 0
                                : static_cast<std::size_t>(above - frequencies_.begin()) - 1;
  return ImpedanceBetween(below, hertz);
}

void TouchstonePort::Impedances(const std::vector<double>& hertz,
                                std::vector<std::complex<double>>& out) const {
  out.resize(hertz.size());
  std::size_t below = 0;
  const std::size_t last = frequencies_.size() - 1;
  for (std::size_t k = 0; k < hertz.size(); ++k) {
    const double f = hertz[k];
    while (below < last && frequencies_[below + 1] <= f) ++below;
    out[k] = ImpedanceBetween(below, f);
  }
}

}  // namespace corvantile
