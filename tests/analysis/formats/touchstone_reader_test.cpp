// The Touchstone reader: every malformed file gives its one-line message, the same data laid
// out in every way the format allows reads the same, Y and Z data of known circuits give
// their textbook impedances, and the interpolation is exact at file points and linear between.
#include "analysis/formats/touchstone_reader.h"

#include <charconv>
#include <cmath>
#include <complex>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/files.h"

namespace corvantile {
namespace {

using Complex = std::complex<double>;

TouchstoneData ReadOk(const std::string& text, const std::string& name) {
  const TouchstoneRead read = ReadTouchstoneText(text, name);
  EXPECT_TRUE(read.Ok()) << read.error;
  return read.data;
}

// ---------------------------------------------------------------------------------------------
// Malformed files: one message each.

struct Malformed {
  const char* name;
  const char* text;
  const char* error;
};

class MalformedTest : public ::testing::TestWithParam<Malformed> {};

TEST_P(MalformedTest, GivesItsMessage) {
  const Malformed& c = GetParam();
  const TouchstoneRead read = ReadTouchstoneText(c.text, c.name);
  EXPECT_EQ(read.error, c.error);
  EXPECT_TRUE(read.data.frequencies.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Files, MalformedTest,
    ::testing::Values(
        Malformed{"antenna.s1p", "# MHz S RI\n1 0.1 0.2\n2 0.1\n",
                  "antenna.s1p:3: expected 3 numbers, found 2"},
        Malformed{"a.s1p", "", "a.s1p: no network data"},
        Malformed{"a.s1p", "! only a comment\n# GHz S MA R 50\n\n", "a.s1p: no network data"},
        Malformed{"a.s1p", "1 0.1 0.2\n",
                  "a.s1p:1: no option line (such as '# GHz S MA R 50') before the data"},
        Malformed{"a.s1p", "# MHz S RI\n2 0 0\n1 0 0\n",
                  "a.s1p:3: the frequency 1 MHz does not rise above the one before it, 2 MHz"},
        Malformed{"a.s1p", "# MHz S RI\n2 0 0\n2 0.5 0\n",
                  "a.s1p:3: the frequency 2 MHz comes twice, with different data"},
        // A repeated frequency is not where a 2-port's noise data starts: it falls below.
        Malformed{"a.s2p", "# MHz S RI\n1 0 0 1 0 1 0 0 0\n2 0 0 1 0 1 0 0 0\n2 1 2 3 4 5 6 7 8\n",
                  "a.s2p:4: the frequency 2 MHz comes twice, with different data (noise data "
                  "starts where the frequency falls below the one before it)"},
        Malformed{"a.s1p", "# MHz S RI R (0+50j)\n",
                  "a.s1p:1: the reference impedance must have a positive resistance, not "
                  "(0+50j)"},
        Malformed{"a.s1p", "# MHz S RI R (50+xj)\n",
                  "a.s1p:1: '(50+xj)' is not a reference impedance"},
        // The comments' impedances are read when the header says the data is not renormalized.
        Malformed{"a.s2p",
                  "!Data is not renormalized\n# GHz S RI\n1 0 0 1 0 1 0 0 0\n"
                  "! Port Impedance 50 0 50\n2 0 0 1 0 1 0 0 0\n",
                  "a.s2p:4: the port impedance comment has 3 numbers, not 2 for each of 2 ports"},
        Malformed{"a.s2p",
                  "! Exported from HFSS 2019.2.0\n# GHz S RI\n1 0 0 1 0 1 0 0 0\n"
                  "! Port Impedance 50 0 50 0\n2 0 0 1 0 1 0 0 0\n",
                  "a.s2p: 1 port impedance comments for 2 frequencies"},
        Malformed{"a.s1p", "!Data is not renormalized\n# GHz S RI\n1 0 0\n! Port Impedance 5O 0\n",
                  "a.s1p:4: port impedance comment: '5O' is not a number"},
        Malformed{"a.s1p", "# MHz S RI\n-1 0 0\n", "a.s1p:2: negative frequency -1 MHz"},
        Malformed{"a.s1p", "# MHz S RI\n1 0,5 0\n", "a.s1p:2: '0,5' is not a number"},
        Malformed{"a.s1p", "# MHz S RI\n1 nan 0\n", "a.s1p:2: 'nan' is not a finite number"},
        Malformed{"a.s1p", "# MHz S RI\n1 1e999 0\n", "a.s1p:2: '1e999' is out of range"},
        Malformed{"a.s1p", "# MHz H RI\n1 0 0\n",
                  "a.s1p:1: H parameters are not supported, only S, Y and Z"},
        Malformed{"a.s2p", "# MHz g RI\n1 0 0\n",
                  "a.s2p:1: g parameters are not supported, only S, Y and Z"},
        Malformed{"a.s1p", "# MHz S XY\n",
                  "a.s1p:1: unknown option 'XY' (not Hz, kHz, MHz, GHz, S, Y, Z, RI, MA, DB or R)"},
        Malformed{"a.s1p", "# MHz S RI R\n", "a.s1p:1: R in the option line needs a number"},
        Malformed{"a.s1p", "# MHz S RI R -50\n",
                  "a.s1p:1: the reference impedance must be positive, not -50"},
        Malformed{"a.s1p", "# MHz S RI R 0\n",
                  "a.s1p:1: the reference impedance must be positive, not 0"},
        Malformed{"a.txt", "# MHz S RI\n1 0 0\n",
                  "a.txt: the number of ports is unknown: name the file .s1p, .s2p, ... or use "
                  "version 2.0"},
        Malformed{"a.s1p", "# MHz Z RI R 50\n1 -1 0\n",
                  "a.s1p:2: the Z matrix at 1 MHz has no S-parameters"},
        Malformed{"a.s1p", "# GHz S RI\n1e300 0 0\n", "a.s1p:2: the frequency is too large"},
        Malformed{"a.s2p", "# MHz S RI\n1 0 0 0 0 0 0 0 0\n2 0 0 0\n",
                  "a.s2p:3: expected 9 numbers, found 4"},
        Malformed{"a.s2p", "# MHz S RI\n1 0 0 0 0 0 0 0 0\n2 0 0 0 0 0 0 0 0\n1 2 0\n",
                  "a.s2p:4: noise data: expected 5 numbers, found 3"},
        Malformed{"a.s1p", "# MHz S RI\n1 0 0\n[Version] 2.0\n",
                  "a.s1p:3: [Version] must come first"},
        Malformed{"a.s1p", "# MHz S RI\n[Number of Ports] 1\n",
                  "a.s1p:2: [Number of Ports] in a file without [Version] 2.0 first"},
        Malformed{"a.ts", "[Version] 3.0\n", "a.ts:1: version '3.0' is not 2.0 or 2.1"},
        Malformed{"a.ts", "[Version 2.0\n", "a.ts:1: keyword '[Version 2.0' has no closing ]"},
        Malformed{"a.ts", "[Version] 2.0\n# MHz S RI\n[Number of Ports] 0\n",
                  "a.ts:3: [Number of Ports] must be 1 to 99, not 0"},
        Malformed{"a.ts", "[Version] 2.0\n# MHz S RI\n[Number of Ports] 1e12\n",
                  "a.ts:3: [Number of Ports] must be 1 to 99, not 1e12"},
        Malformed{"a.ts", "[Version] 2.0\n# MHz S RI\n[Number of Ports] 1.5\n",
                  "a.ts:3: [Number of Ports] must be a whole number, not 1.5"},
        Malformed{"a.ts", "[Version] 2.0\n# MHz S RI\n[Number of Ports]\n",
                  "a.ts:3: [Number of Ports] needs a number"},
        Malformed{"a.ts", "[Version] 2.0\n# MHz S RI\n[Number of Ports] two\n",
                  "a.ts:3: [Number of Ports]: 'two' is not a number"},
        Malformed{"a.ts", "[Version] 2.0\n# MHz S RI\n[Reference] 50\n",
                  "a.ts:3: [Reference] before [Number of Ports]"},
        Malformed{"a.ts",
                  "[Version] 2.0\n# MHz S RI\n[Number of Ports] 3\n[Reference] 50\n75\n[Number of "
                  "Frequencies] 1\n",
                  "a.ts:4: [Reference] needs 3 impedances, found 2"},
        Malformed{"a.ts", "[Version] 2.0\n# MHz S RI\n[Number of Ports] 1\n[Reference] 50 75\n",
                  "a.ts:4: [Reference] has more than 1 impedances"},
        Malformed{"a.ts", "[Version] 2.0\n# MHz S RI\n[Number of Ports] 1\n[Reference] -5\n",
                  "a.ts:4: a reference impedance must be positive, not -5"},
        Malformed{"a.ts",
                  "[Version] 2.0\n# MHz S RI\n[Number of Ports] 2\n[Number of Frequencies] "
                  "1\n[Network Data]\n",
                  "a.ts:5: a 2-port file needs [Two-Port Data Order] before [Network Data]"},
        Malformed{"a.ts",
                  "[Version] 2.0\n# MHz S RI\n[Number of Ports] 2\n[Two-Port Data Order] 11_22\n",
                  "a.ts:4: [Two-Port Data Order] must be 12_21 or 21_12, not '11_22'"},
        Malformed{"a.ts",
                  "[Version] 2.0\n# MHz S RI\n[Number of Ports] 1\n[Matrix Format] Diagonal\n",
                  "a.ts:4: [Matrix Format] must be Full, Lower or Upper, not 'Diagonal'"},
        Malformed{"a.ts",
                  "[Version] 2.0\n# MHz S RI\n[Number of Ports] 1\n[Mixed-Mode Order] D2,1\n",
                  "a.ts:4: mixed-mode data ([Mixed-Mode Order]) is not supported"},
        Malformed{"a.ts",
                  "[Version] 2.0\n[Number of Ports] 1\n[Number of Frequencies] 1\n[Network "
                  "Data]\n1 0 0\n",
                  "a.ts:4: no option line (such as '# GHz S MA R 50') before the data"},
        Malformed{"a.ts", "[Version] 2.0\n# MHz S RI\n[Number of Frequencies] 1\n[Network Data]\n",
                  "a.ts:4: [Network Data] before [Number of Ports]"},
        Malformed{"a.ts", "[Version] 2.0\n# MHz S RI\n[Number of Ports] 1\n[Network Data]\n",
                  "a.ts:4: [Network Data] before [Number of Frequencies]"},
        Malformed{"a.ts",
                  "[Version] 2.0\n# MHz S RI\n[Number of Ports] 1\n[Number of Frequencies] 0\n",
                  "a.ts:4: [Number of Frequencies] must be at least 1"},
        Malformed{"a.ts", "[Version] 2.0\n# MHz S RI\n[Number of Ports] 1\n1 0 0\n",
                  "a.ts:4: numbers before [Network Data]"},
        Malformed{"a.ts", "[Version] 2.0\n# MHz S RI\n[Number of Ports] 1\n[End]\n",
                  "a.ts: no [Network Data]"},
        Malformed{"a.ts", "[Version] 2.0\n[Begin Information]\n",
                  "a.ts: [Begin Information] without [End Information]"},
        Malformed{"a.ts",
                  "[Version] 2.0\n# MHz S RI\n[Number of Ports] 1\n[Number of Frequencies] "
                  "2\n[Network Data]\n1 0 0\n[End]\n",
                  "a.ts: [Number of Frequencies] says 2, the data has 1"},
        // A claim of 10^12 frequencies allocates nothing like that: it fails on the count.
        Malformed{"a.ts",
                  "[Version] 2.0\n# MHz S RI\n[Number of Ports] 1\n[Number of Frequencies] "
                  "1e12\n[Network Data]\n1 0 0\n",
                  "a.ts: [Number of Frequencies] says 1000000000000, the data has 1"},
        Malformed{"a.ts",
                  "[Version] 2.0\n# MHz S RI\n[Number of Ports] 1\n[Number of Frequencies] "
                  "1\n[Network Data]\n1 0 0\n2 0 0\n",
                  "a.ts:7: more frequencies than [Number of Frequencies] says"},
        Malformed{"a.ts",
                  "[Version] 2.0\n# MHz S RI\n[Number of Ports] 1\n[Number of Frequencies] "
                  "1\n[Network Data]\n1 0 0\n[Network Data]\n",
                  "a.ts:7: a second [Network Data]"},
        Malformed{"a.ts",
                  "[Version] 2.0\n# MHz S RI\n[Number of Ports] 1\n[Number of Frequencies] "
                  "1\n[Network Data]\n1 0\n[End]\n",
                  "a.ts:6: expected 3 numbers, found 2"},
        Malformed{"a.ts",
                  "[Version] 2.0\n# MHz S RI\n[Number of Ports] 1\n[Number of Frequencies] "
                  "1\n[Noise Data]\n",
                  "a.ts:5: [Noise Data] before [Network Data]"},
        Malformed{"a.ts",
                  "[Version] 2.0\n# MHz S RI\n[Number of Ports] 1\n[Number of Frequencies] "
                  "1\n[Network Data]\n1 0 0\n[Noise Data]\n",
                  "a.ts:7: noise data in a file of other than 2 ports"},
        // Found by fuzzing: a second port count after the data changed the matrix size.
        Malformed{"a.ts",
                  "[Version] 2.0\n# MHz S RI\n[Number of Ports] 1\n[Number of Frequencies] "
                  "1\n[Network Data]\n1 0 0\n[Number of Ports] 3\n",
                  "a.ts:7: [Number of Ports] after [Network Data]"},
        Malformed{"a.ts",
                  "[Version] 2.0\n# MHz S RI\n[Number of Ports] 2\n[Reference] 50 75\n[Number of "
                  "Ports] 1\n",
                  "a.ts:5: a second [Number of Ports]"},
        Malformed{"a.s1p", "1 0 0\n# MHz S RI\n",
                  "a.s1p:1: no option line (such as '# GHz S MA R 50') before the data"}));

TEST(TouchstoneReaderTest, UnreadableFilesSayWhy) {
  EXPECT_EQ(ReadTouchstoneFile("/nonexistent/antenna.s1p").error,
            "antenna.s1p: cannot be read: No such file or directory");
  const char* data = std::getenv("CORVANTILE_TEST_DATA");
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(ReadTouchstoneFile(data).error, "data: cannot be read: Is a directory");
}

// ---------------------------------------------------------------------------------------------
// The same data, however it is laid out, reads the same to the bit.

constexpr const char* kPlainTwoPort =
    "# MHz S RI R 50\n"
    "1 0.1 0.2 0.3 0.4 0.5 0.6 0.7 0.8\n"
    "2 -0.1 0.25 0.35 -0.45 0.55 0.65 -0.75 0.125\n";

struct Layout {
  const char* what;
  const char* name;
  const char* text;
};

class LayoutTest : public ::testing::TestWithParam<Layout> {};

TEST_P(LayoutTest, ReadsAsThePlainFile) {
  const TouchstoneData plain = ReadOk(kPlainTwoPort, "plain.s2p");
  const TouchstoneData other = ReadOk(GetParam().text, GetParam().name);
  EXPECT_EQ(other.ports, 2);
  EXPECT_EQ(other.frequencies, plain.frequencies);
  EXPECT_EQ(other.referenceImpedances, plain.referenceImpedances);
  ASSERT_EQ(other.s.size(), plain.s.size());
  for (std::size_t k = 0; k < plain.s.size(); ++k) EXPECT_EQ(other.s[k], plain.s[k]) << k;
}

INSTANTIATE_TEST_SUITE_P(
    Files, LayoutTest,
    ::testing::Values(
        Layout{"comments", "c.s2p",
               "! header\n# MHz S RI R 50 ! units\n1 0.1 0.2 0.3 0.4 0.5 0.6 0.7 0.8 ! first\n"
               "!\n\n2 -0.1 0.25 0.35 -0.45 0.55 0.65 -0.75 0.125!second\n"},
        Layout{"split records", "c.s2p",
               "# MHz S RI R 50\n1 0.1 0.2\n 0.3 0.4\n0.5\n0.6 0.7 0.8 2 -0.1 0.25 0.35\n"
               "-0.45 0.55 0.65 -0.75 0.125\n"},
        Layout{"tabs and CR LF", "c.s2p",
               "# MHz S RI R 50\r\n1\t0.1\t0.2 0.3\t0.4 0.5 0.6 0.7 0.8\r\n"
               "2\t-0.1 0.25 0.35 -0.45 0.55 0.65 -0.75 0.125\r\n"},
        Layout{"odd option order and case", "C.S2P",
               "#  r 50 ri mHz s\n1 0.1 0.2 0.3 0.4 0.5 0.6 0.7 0.8\n"
               "2 -0.1 0.25 0.35 -0.45 0.55 0.65 -0.75 0.125\n"},
        Layout{"number spellings", "c.s2p",
               "# MHz S RI R 5e1\n1.0e0 +.1 2E-1 0.30 .4 5e-1 0.6 +0.7 0.800\n"
               "2 -1e-1 0.25 0.35 -0.45 0.55 0.65 -0.75 1.25e-1\n"},
        Layout{"a later option line is passed over", "c.s2p",
               "# MHz S RI R 50\n# GHz Z MA R 75\n1 0.1 0.2 0.3 0.4 0.5 0.6 0.7 0.8\n"
               "2 -0.1 0.25 0.35 -0.45 0.55 0.65 -0.75 0.125\n"},
        Layout{"version 1 noise data", "c.s2p",
               "# MHz S RI R 50\n1 0.1 0.2 0.3 0.4 0.5 0.6 0.7 0.8\n"
               "2 -0.1 0.25 0.35 -0.45 0.55 0.65 -0.75 0.125\n! noise\n"
               "1 2.5 0.5 45 0.3\n2 2.6\n 0.5 46 0.31\n"},
        Layout{"kHz", "c.s2p",
               "# kHz S RI R 50\n1000 0.1 0.2 0.3 0.4 0.5 0.6 0.7 0.8\n"
               "2000 -0.1 0.25 0.35 -0.45 0.55 0.65 -0.75 0.125\n"},
        Layout{"version 2, order 21_12, noise", "c.ts",
               "[Version] 2.0\n# MHz S RI R 50\n[Number of Ports] 2\n"
               "[Two-Port Data Order] 21_12\n[Number of Frequencies] 2\n"
               "[Number of Noise Frequencies] 1\n[Begin Information]\nanything 1 2\n"
               "[End Information]\n[Reference]\n50\n 50\n[Network Data]\n"
               "1 0.1 0.2 0.3 0.4 0.5 0.6 0.7 0.8\n"
               "2 -0.1 0.25 0.35 -0.45 0.55 0.65 -0.75 0.125\n[Noise Data]\n"
               "1 2.5 0.5 45 0.3\n[End]\nafter the end 1 2 3\n"},
        Layout{"version 2, order 12_21", "c.ts",
               "[version] 2.0\n# MHz S RI\n[number of ports] 2\n"
               "[two-port data order] 12_21\n[number of frequencies] 2\n[network data]\n"
               "1 0.1 0.2 0.5 0.6 0.3 0.4 0.7 0.8\n"
               "2 -0.1 0.25 0.55 0.65 0.35 -0.45 -0.75 0.125\n[end]\n"}));

// Every spelling of a number reads as std::from_chars reads it, to the bit: the short and the
// long digit strings, leading and trailing zeros, exponents at and beyond the exact powers of
// ten, the smallest and largest doubles, and random doubles in shortest, %.17g and %.15e form.
TEST(TouchstoneReaderTest, EveryNumberSpellingReadsAsFromChars) {
  std::vector<std::string> words = {"0",
                                    "-0",
                                    "0.0",
                                    "-0.000",
                                    "1",
                                    "-1",
                                    "1.",
                                    "-5.",
                                    ".5",
                                    "-.5",
                                    "0.1",
                                    "0.7",
                                    "0.69999999999999996",
                                    "-0.0011999992000001599",
                                    "9007199254740992",
                                    "9007199254740993",
                                    "9007199254740993.0",
                                    "18446744073709551615",
                                    "18446744073709551616",
                                    "123456789012345678901234567890",
                                    "0.000000000000000000000000000001",
                                    "1e22",
                                    "1e23",
                                    "1e-22",
                                    "1e-23",
                                    "123.456e-20",
                                    "4.9406564584124654e-324",
                                    "2.2250738585072014e-308",
                                    "1.7976931348623157e308",
                                    "1E5",
                                    "1e+05",
                                    "1e-05",
                                    "00001.5000",
                                    "3.14159265358979323846",
                                    "0.30000000000000004",
                                    "1000000000",
                                    "-999999999999999999"};
  std::mt19937_64 random(12);
  char buffer[64];
  for (int k = 0; k < 3000; ++k) {
    double value;
    do {
      const std::uint64_t bits = random();
      std::memcpy(&value, &bits, sizeof value);
    } while (!std::isfinite(value));
    if (k % 2 == 0) value = std::ldexp(static_cast<double>(random() >> 11), -53 - k % 20);
    const auto shortest = std::to_chars(buffer, buffer + sizeof buffer, value);
    words.emplace_back(buffer, shortest.ptr);
    std::snprintf(buffer, sizeof buffer, k % 3 == 0 ? "%.15e" : "%.17g", value);
    words.emplace_back(buffer);
  }
  // One record a line, frequency first; the number under test is S11's real part.
  std::string text = "# Hz S RI R 50\n";
  for (std::size_t k = 0; k < words.size(); ++k) {
    text +=
        std::to_string(k + 1) + (k % 2 ? "\t" : " ") + words[k] + " 0" + (k % 3 ? "\n" : "!c\n");
  }
  const TouchstoneData data = ReadOk(text, "numbers.s1p");
  ASSERT_EQ(data.Points(), words.size());
  for (std::size_t k = 0; k < words.size(); ++k) {
    double expected = 0.0;
    const std::string& word = words[k];
    const auto result = std::from_chars(word.data(), word.data() + word.size(), expected);
    ASSERT_EQ(result.ec, std::errc()) << word;
    const double read = data.s[k].real();
    EXPECT_EQ(std::memcmp(&read, &expected, sizeof read), 0)
        << word << " read as " << read << ", not " << expected;
    EXPECT_EQ(data.frequencies[k], static_cast<double>(k + 1));
  }
}

// A line whose words are plain numbers and then not, and errors on such lines, keep their
// line numbers and messages.
TEST(TouchstoneReaderTest, MixedLinesKeepTheirLineNumbers) {
  const TouchstoneData data =
      ReadOk("# MHz S RI R 50\n1 0.5 +0.25\n2 +0.5\n 0.25 ! c\n3 0.125 0\n", "m.s1p");
  ASSERT_EQ(data.Points(), 3u);
  EXPECT_EQ(data.s[0], Complex(0.5, 0.25));
  EXPECT_EQ(data.s[1], Complex(0.5, 0.25));
  EXPECT_EQ(data.s[2], Complex(0.125, 0.0));
  EXPECT_EQ(ReadTouchstoneText("# MHz S RI\n1 0 0\n\n2 0 0 3 +1 x\n", "m.s1p").error,
            "m.s1p:4: 'x' is not a number");
  EXPECT_EQ(ReadTouchstoneText("# MHz S RI\n1 0 0\n! c\n2 0 0 1.5 0 0\n", "m.s1p").error,
            "m.s1p:4: the frequency 1.5 MHz does not rise above the one before it, 2 MHz (a "
            "record begins inside line 4, after its 3rd number; a 1-port record is 3 numbers)");
  EXPECT_EQ(ReadTouchstoneText("# MHz S RI\n1 0 0\n2 0\n", "m.s1p").error,
            "m.s1p:3: expected 3 numbers, found 2");
}

// A file is read in pieces of whole lines: a large one with records and comments across the
// pieces' edges, and one whose comment line is longer than a piece, read from disk as from
// their text, with the line numbers of an error far into the file.
TEST(TouchstoneReaderTest, ALargeFileReadsAsItsText) {
  std::string text = "! pieces\n# kHz S MA R 75\n";
  std::string longLine = "! " + std::string(3u << 20, 'x') + "\n";
  int line = 2;
  for (int k = 1; text.size() < (5u << 20); ++k) {
    text += std::to_string(k) + " 0." + std::to_string(k % 997) + (k % 7 ? " " : "\n ") +
            std::to_string(k % 360 - 180) + (k % 5 ? "\n" : " ! a note\n");
    line += k % 7 ? 1 : 2;
    if (k == 20000) {
      text += longLine;
      ++line;
    }
  }
  const std::filesystem::path file = testing::TemporaryFile("pieces.s1p");
  testing::WriteBytes(file, text);
  const TouchstoneRead fromDisk = ReadTouchstoneFile(file.string());
  const std::string name = file.filename().string();
  const TouchstoneRead fromText = ReadTouchstoneText(text, name);
  ASSERT_TRUE(fromDisk.Ok()) << fromDisk.error;
  ASSERT_TRUE(fromText.Ok()) << fromText.error;
  EXPECT_GT(fromDisk.data.Points(), 100000u);
  EXPECT_EQ(fromDisk.data.frequencies, fromText.data.frequencies);
  EXPECT_EQ(fromDisk.data.s, fromText.data.s);
  EXPECT_EQ(fromDisk.data.referenceImpedances, std::vector<double>{75.0});

  // A frequency that falls at the very end: the same message and line number either way.
  testing::WriteBytes(file, text + "1 0.5 0\n");
  const TouchstoneRead bad = ReadTouchstoneFile(file.string());
  EXPECT_EQ(bad.error, ReadTouchstoneText(text + "1 0.5 0\n", name).error);
  EXPECT_TRUE(bad.error.starts_with(name + ":" + std::to_string(line + 1) + ": the frequency"))
      << bad.error;
  std::filesystem::remove(file);
}

// Lower and Upper give each pair once; a symmetric matrix reads the same as in Full.
TEST(TouchstoneReaderTest, LowerAndUpperMatricesMirror) {
  const std::string head =
      "[Version] 2.0\n# Hz S RI\n[Number of Ports] 3\n[Number of Frequencies] 1\n";
  const TouchstoneData full =
      ReadOk(head + "[Network Data]\n1 1 0 2 0 3 0\n2 0 4 0 5 0\n3 0 5 0 6 0\n", "f.ts");
  const TouchstoneData lower =
      ReadOk(head + "[Matrix Format] Lower\n[Network Data]\n1 1 0\n2 0 4 0\n3 0 5 0 6 0\n", "l.ts");
  const TouchstoneData upper =
      ReadOk(head + "[Matrix Format] upper\n[Network Data]\n1 1 0 2 0 3 0\n4 0 5 0\n6 0\n", "u.ts");
  EXPECT_EQ(lower.s, full.s);
  EXPECT_EQ(upper.s, full.s);
  EXPECT_EQ(full.S(0, 0, 1), Complex(2.0, 0.0));
  EXPECT_EQ(full.S(0, 1, 0), Complex(2.0, 0.0));
  EXPECT_EQ(full.S(0, 2, 1), Complex(5.0, 0.0));
}

TEST(TouchstoneReaderTest, SummaryOfWhatWasRead) {
  const TouchstoneData data = ReadOk(
      "[Version] 2.0\n# kHz Y DB R 50\n[Number of Ports] 4\n[Number of Frequencies] 1\n"
      "[Reference] 10 20\n30 40\n[Network Data]\n1"
      " 0 0 -90 0 -90 0 -90 0\n -90 0 0 0 -90 0 -90 0\n -90 0 -90 0 0 0 -90 0\n"
      " -90 0 -90 0 -90 0 0 0\n",
      "four.ts");
  EXPECT_EQ(data.version, 2);
  EXPECT_EQ(data.ports, 4);
  EXPECT_EQ(data.parameter, TouchstoneParameter::Y);
  EXPECT_EQ(data.format, TouchstoneFormat::DB);
  EXPECT_EQ(data.referenceImpedances, (std::vector<double>{10, 20, 30, 40}));
  EXPECT_EQ(data.frequencies, std::vector<double>{1000.0});
  EXPECT_EQ(TouchstoneParameterName(data.parameter), "Y");
  EXPECT_EQ(TouchstoneFormatName(data.format), "DB");
}

// ---------------------------------------------------------------------------------------------
// Y and Z data of circuits whose port impedances are known.

// A shunt impedance Zp between the two ports and ground: Z = [[Zp, Zp], [Zp, Zp]], so port 1
// sees Zp across port 2's reference impedance; per-port references of version 2 count.
TEST(TouchstoneReaderTest, ShuntImpedanceInZ) {
  const Complex zp(30.0, -40.0);
  const std::string z = "30 -40";
  const TouchstoneData data = ReadOk(
      "[Version] 2.0\n# Hz Z RI R 50\n[Number of Ports] 2\n[Two-Port Data Order] 12_21\n"
      "[Number of Frequencies] 1\n[Reference] 50 75\n[Network Data]\n1 " +
          z + " " + z + " " + z + " " + z + "\n[End]\n",
      "shunt.ts");
  const Complex port1 = TouchstonePort(data, 1).Impedance(1.0);
  const Complex port2 = TouchstonePort(data, 2).Impedance(1.0);
  const Complex expected1 = zp * 75.0 / (zp + 75.0);
  const Complex expected2 = zp * 50.0 / (zp + 50.0);
  EXPECT_LT(std::abs(port1 - expected1), 1e-12 * std::abs(expected1));
  EXPECT_LT(std::abs(port2 - expected2), 1e-12 * std::abs(expected2));
}

// A series admittance y between the ports: Y = [[y, -y], [-y, y]]; port 1 sees 1/y in series
// with port 2's reference. Version 1 writes Y times R.
TEST(TouchstoneReaderTest, SeriesAdmittanceInNormalisedY) {
  const Complex y(0.01, 0.02);  // 20 - j40 ohm
  const double r = 75.0;
  const Complex yn = y * r;  // 0.75 + j1.5
  const TouchstoneData data =
      ReadOk("# GHz Y RI R 75\n2 0.75 1.5 -0.75 -1.5 -0.75 -1.5 0.75 1.5\n", "series.s2p");
  ASSERT_EQ(yn, Complex(0.75, 1.5));
  const Complex expected = 1.0 / y + r;
  const Complex port1 = TouchstonePort(data, 1).Impedance(2e9);
  EXPECT_LT(std::abs(port1 - expected), 1e-12 * std::abs(expected));
  // Lossless-free check of the whole matrix: a reciprocal network stays reciprocal.
  EXPECT_LT(std::abs(data.S(0, 0, 1) - data.S(0, 1, 0)), 1e-15);
}

TEST(TouchstoneReaderTest, OnePortZAndYInOhms) {
  const TouchstoneData z = ReadOk("# MHz Z MA R 50\n1 2 90\n", "z.s1p");  // 100j ohm
  const Complex zz = TouchstonePort(z, 1).Impedance(1e6);
  EXPECT_NEAR(zz.real(), 0.0, 1e-12);
  EXPECT_NEAR(zz.imag(), 100.0, 1e-12);
  const TouchstoneData y = ReadOk(
      "[Version] 2.0\n# MHz Y RI R 50\n[Number of Ports] 1\n"
      "[Number of Frequencies] 1\n[Network Data]\n1 0.04 0\n",
      "y.ts");
  EXPECT_NEAR(TouchstonePort(y, 1).Impedance(1e6).real(), 25.0, 1e-12);
}

// ---------------------------------------------------------------------------------------------
// Interpolation.

constexpr const char* kAntenna =
    "# MHz S RI R 50\n"
    "1 0.5 -0.25\n"
    "2 0.1 0.3\n"
    "3 -0.2 0.1\n";

TEST(TouchstonePortTest, AtFilePointsExactlyThatPoint) {
  const TouchstoneData data = ReadOk(kAntenna, "antenna.s1p");
  const TouchstonePort port(data, 1);
  for (std::size_t k = 0; k < data.Points(); ++k) {
    EXPECT_EQ(port.Reflection(data.frequencies[k]), data.S(k, 0, 0));
    EXPECT_EQ(port.Impedance(data.frequencies[k]), port.ImpedanceOf(data.S(k, 0, 0)));
  }
  EXPECT_EQ(port.Impedance(1e6), 50.0 * Complex(1.5, -0.25) / Complex(0.5, 0.25));
}

TEST(TouchstonePortTest, LinearOnRealAndImaginaryParts) {
  const TouchstonePort port(ReadOk(kAntenna, "antenna.s1p"), 1);
  const Complex quarter = port.Reflection(1.25e6);
  EXPECT_DOUBLE_EQ(quarter.real(), 0.5 + 0.25 * (0.1 - 0.5));
  EXPECT_DOUBLE_EQ(quarter.imag(), -0.25 + 0.25 * (0.3 + 0.25));
  const Complex middle = port.Reflection(2.5e6);
  EXPECT_DOUBLE_EQ(middle.real(), -0.05);
  EXPECT_DOUBLE_EQ(middle.imag(), 0.2);
}

TEST(TouchstonePortTest, BandAndItsMessage) {
  const TouchstonePort port(ReadOk(kAntenna, "antenna.s1p"), 1);
  EXPECT_EQ(port.From(), 1e6);
  EXPECT_EQ(port.To(), 3e6);
  EXPECT_TRUE(port.Covers(1e6));
  EXPECT_TRUE(port.Covers(3e6));
  EXPECT_FALSE(port.Covers(3.75e6));
  EXPECT_FALSE(port.Covers(0.999999e6));
  EXPECT_EQ(port.OutsideBandText(3.75e6),
            "3.75 MHz is outside antenna.s1p's band (1 MHz to 3 MHz)");
}

TEST(TouchstonePortTest, SweepWalkMatchesPointByPoint) {
  const TouchstoneData data = ReadOk(kAntenna, "antenna.s1p");
  const TouchstonePort port(data, 1);
  std::vector<double> at;
  for (int k = 0; k <= 400; ++k) at.push_back(1e6 + 2e6 * k / 400.0);
  at.back() = 3e6;
  std::vector<Complex> walked;
  port.Impedances(at, walked);
  ASSERT_EQ(walked.size(), at.size());
  for (std::size_t k = 0; k < at.size(); ++k) EXPECT_EQ(walked[k], port.Impedance(at[k])) << k;
}

TEST(TouchstonePortTest, PortsOfAFile) {
  const TouchstoneData data = ReadOk(kPlainTwoPort, "amp.s2p");
  EXPECT_EQ(TouchstonePortProblem(data, 2), "");
  EXPECT_EQ(TouchstonePortProblem(data, 3), "amp.s2p has no port 3");
  EXPECT_EQ(TouchstonePortProblem(data, 0), "amp.s2p has no port 0");
  // Port 2 of a 2-port is S22.
  EXPECT_EQ(TouchstonePort(data, 2).Reflection(1e6), Complex(0.7, 0.8));
  EXPECT_EQ(TouchstonePort(data, 1).Reflection(2e6), Complex(-0.1, 0.25));
}

TEST(TouchstonePortTest, MatchedAndOpenReflections) {
  const TouchstonePort port(ReadOk("# MHz S RI R 75\n1 0 0\n2 1 0\n", "x.s1p"), 1);
  EXPECT_EQ(port.Impedance(1e6), Complex(75.0, 0.0));
  EXPECT_TRUE(std::isinf(port.Impedance(2e6).real()));
}

// A measured ring-slot antenna from scikit-rf's example data (see tests/data/README).
TEST(TouchstoneReaderTest, MeasuredRingSlot) {
  const char* dir = std::getenv("CORVANTILE_TEST_DATA");
  ASSERT_NE(dir, nullptr);
  const TouchstoneRead read = ReadTouchstoneFile(std::string(dir) + "/ring_slot_measured.s1p");
  ASSERT_TRUE(read.Ok()) << read.error;
  EXPECT_EQ(read.data.name, "ring_slot_measured.s1p");
  EXPECT_EQ(read.data.ports, 1);
  EXPECT_EQ(read.data.Points(), 101u);
  EXPECT_EQ(read.data.frequencies.front(), 75e9);
  EXPECT_EQ(read.data.frequencies.back(), 109.999999992e9);
  const TouchstonePort port(read.data, 1);
  EXPECT_EQ(port.Reflection(75e9), Complex(-0.067684517179, 0.659208635995));
  EXPECT_EQ(port.OutsideBandText(120e9),
            "120 GHz is outside ring_slot_measured.s1p's band (75 GHz to 110 GHz)");
}

}  // namespace
}  // namespace corvantile

namespace corvantile {
namespace {

// ---------------------------------------------------------------------------------------------
// Reference impedances other than one real number: complex in the option line, and a field
// solver's per-frequency "! Port Impedance" comments.

TEST(TouchstoneReferenceTest, ComplexOptionLineIsAPowerWaveReference) {
  // S = 0 against a power-wave reference is the conjugate match: 50 - j50 behind (50+50j).
  const TouchstoneData data = ReadOk("# GHz S RI R (50+50j)\n1 0 0\n2 0.2 0.1\n", "a.s1p");
  ASSERT_EQ(data.pointReferences.size(), 2u);
  EXPECT_EQ(data.Reference(1, 0), Complex(50, 50));
  const TouchstonePort port(data, 1);
  EXPECT_EQ(port.Impedance(1e9), Complex(50, -50));
  const Complex g(0.2, 0.1);
  const Complex expected = (Complex(50, -50) + g * Complex(50, 50)) / (1.0 - g);
  EXPECT_LE(std::abs(port.Impedance(2e9) - expected), 1e-12 * std::abs(expected));
  // Python's other spellings.
  EXPECT_EQ(ReadOk("# GHz S RI R 75-2.5j\n1 0 0\n", "a.s1p").Reference(0, 0), Complex(75, -2.5));
  EXPECT_EQ(ReadOk("# GHz S RI R (1e2+0j)\n1 0 0\n", "a.s1p").Reference(0, 0), Complex(100, 0));
  EXPECT_TRUE(ReadOk("# GHz S RI R 50\n1 0 0\n", "a.s1p").pointReferences.empty());
}

TEST(TouchstoneReferenceTest, PortImpedanceCommentsOverLines) {
  // The first number right after the word, the third port's pair on a continuation line.
  const std::string record = " 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0\n";
  const std::string text =
      "! Exported from HFSS 2019.2.0\n!Data is not renormalized\n# GHz S MA\n"
      "1" +
      record +
      "! Gamma ! 1 0 2 0\n!  3 0\n"
      "! Port Impedance10 1 20 2\n!    30 3\n"
      "2" +
      record + "! Port Impedance 11 -1 21 -2 31 -3\n";
  const TouchstoneData data = ReadOk(text, "a.s3p");
  ASSERT_EQ(data.pointReferences.size(), 6u);
  EXPECT_EQ(data.Reference(0, 2), Complex(30, 3));
  EXPECT_EQ(data.Reference(1, 1), Complex(21, -2));
  EXPECT_EQ(data.referenceImpedances, (std::vector<double>{10, 20, 30}));
  // S = 0: each port shows the conjugate of its reference, interpolated between the points.
  const TouchstonePort port(data, 3);
  EXPECT_EQ(port.Impedance(1e9), Complex(30, -3));
  EXPECT_LE(std::abs(port.Impedance(1.5e9) - Complex(30.5, 0)), 1e-12);
  std::vector<Complex> walked;
  port.Impedances({1e9, 1.5e9, 2e9}, walked);
  EXPECT_EQ(walked[2], Complex(31, 3));
}

TEST(TouchstoneReferenceTest, CommentsWithoutTheHeaderAreComments) {
  // scikit-rf writes them after each record too, but reads its option line's R: so does this.
  const TouchstoneData data = ReadOk(
      "# GHz S RI R 50\n1 0 0\n! Port Impedance 20 0\n2 0 0\n! Port Impedance 20 0\n", "a.s1p");
  EXPECT_TRUE(data.pointReferences.empty());
  EXPECT_EQ(TouchstonePort(data, 1).Impedance(1e9), Complex(50, 0));
}

TEST(TouchstoneReferenceTest, ZDataKeepsItsOhmsWhateverTheReference) {
  // Z and Y data wait for the comment after their record; the impedance they give is the file's.
  for (const char* reference : {"25 5", "50 0", "300 -120"}) {
    const std::string text =
        std::string("!Data is not renormalized\n# GHz Z RI R 50\n1 0.6 0.8\n") +
        "! Port Impedance " + reference + "\n2 1 -1\n! Port Impedance " + reference + "\n";
    const TouchstoneData data = ReadOk(text, "a.s1p");
    const TouchstonePort port(data, 1);
    EXPECT_LE(std::abs(port.Impedance(1e9) - Complex(30, 40)), 1e-12 * 50) << reference;
    EXPECT_LE(std::abs(port.Impedance(2e9) - Complex(50, -50)), 1e-12 * 70) << reference;
    const TouchstoneData y = ReadOk(
        std::string("!Data is not renormalized\n# GHz Y RI R 50\n1 1.2 -1.6\n! Port Impedance ") +
            reference + "\n",
        "a.s1p");
    EXPECT_LE(std::abs(TouchstonePort(y, 1).Impedance(1e9) - Complex(15, 20)), 1e-12 * 25);
  }
}

TEST(TouchstoneReferenceTest, RepeatedRecordReadOnce) {
  // As scikit-rf's own noise example writes a point twice; its comment goes with it.
  const TouchstoneData data = ReadOk(
      "!Data is not renormalized\n# MHz S RI\n1 0 0\n! Port Impedance 50 0\n2 0.5 0\n"
      "! Port Impedance 60 0\n2 0.5 0\n! Port Impedance 60 0\n3 0 0\n! Port Impedance 70 0\n",
      "a.s1p");
  EXPECT_EQ(data.frequencies, (std::vector<double>{1e6, 2e6, 3e6}));
  EXPECT_EQ(data.Reference(2, 0), Complex(70, 0));
}

}  // namespace
}  // namespace corvantile
