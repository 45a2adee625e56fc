// Faults injected around LastSession.CFG. Leaving the design window with Exit where the file
// cannot be created or replaced must show the message, still end the program and leave the
// previous file byte for byte, so the next run starts from the last good circuit. A file cut
// off at any length keeps the values before the cut with the defaults over them, and the
// usual ways of separating values all read the same.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ostream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "design/design_controls.h"
#include "design/design_window.h"
#include "hardening_support.h"
#include "math/design_network.h"
#include "session_values.h"
#include "state/session_file.h"
#include "toolkit/recording_toolkit.h"

namespace corvantile::hardening {
namespace {

constexpr uid_t kNobody = 65534;

// A designed circuit other than the defaults, with a value at an index nothing else uses:
// the "last good circuit" a previous run left.
RunState PreviousCircuit() {
  RunState state = MakeDefaultRunState();
  state.SourceValues[SeriesR] = 50.0f;
  state.SourceValues[SeriesX] = 123.4567f;
  state.LoadValues[EntryForm] = 2.0f;
  state.LoadValues[ParallelR] = 75.0f;
  state.LoadValues[ParallelX] = -40.0f;
  state.NetValues[Frequency] = 14.2e6f;
  state.NetValues[NetworkFamily] = FamilyTee;
  state.SourceValues[12] = 42.0f;
  RunDesignPass(state);
  return state;
}

std::uint32_t Bits(float value) {
  std::uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

// The first value that differs bit for bit, as a message; empty when all 63 agree.
std::string FirstDifference(const RunState& got, const RunState& expected) {
  for (int k = 0; k < SessionValueCount; ++k) {
    if (Bits(InFileOrder(got, k)) != Bits(InFileOrder(expected, k))) {
      return "value " + std::to_string(k) + " is " + std::to_string(InFileOrder(got, k)) +
             ", expected " + std::to_string(InFileOrder(expected, k));
    }
  }
  return {};
}

// ---- Writing where the file cannot be created or replaced ----

// What one Exit did, on the recording toolkit.
struct ExitOutcome {
  int beeps = 0;
  std::vector<std::string> messages;
  bool closed = false;
  bool quit = false;
};

// Loads the design window for `state` and presses Exit in the working directory.
ExitOutcome PressExit(RunState& state) {
  toolkit::RecordingWindow window;
  toolkit::RecordingPlatform platform;
  ApplyDesignTimeState(window);
  DesignWindow design(state, window, platform);
  design.FormLoad();
  const int beepsBefore = platform.beeps();
  design.cmdExit_Click();
  return {platform.beeps() - beepsBefore, platform.messages(), window.closed(), platform.quit()};
}

// Mounts a small file system of its own over `folder`, in a mount namespace of this (child)
// process only, so that nothing of it outlives the child. Empty on success, else why not.
std::string MountOwnFileSystem(const fs::path& folder) {
  if (::unshare(CLONE_NEWNS) != 0)
    return "no mount namespace here: " + std::string(strerror(errno));
  if (::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
    return "cannot make mounts private: " + std::string(strerror(errno));
  }
  if (::mount("corvantile-test", folder.c_str(), "tmpfs", 0, "size=16k,mode=0755") != 0) {
    return "cannot mount a tmpfs: " + std::string(strerror(errno));
  }
  return {};
}

// Fills the file system holding `folder` until it has no room left.
std::string FillUp(const fs::path& folder) {
  const int fd = ::open((folder / "filler").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (fd < 0) return "cannot create the filler";
  const std::string block(4096, 'x');
  while (::write(fd, block.data(), block.size()) > 0) {
  }
  const std::string single(1, 'x');
  while (::write(fd, single.data(), 1) > 0) {
  }
  const bool full = errno == ENOSPC;
  ::close(fd);
  return full ? std::string() : "the file system did not fill up";
}

struct WriteFault {
  const char* name;
  bool ownFileSystem;  // the folder gets a small file system of its own first
  // Injects the fault into `folder`, which holds the previous LastSession.CFG. Runs in the
  // child; empty on success, else why the fault cannot be made here (the case is skipped).
  std::string (*inject)(const fs::path& folder);
  bool previousFileKept;  // false where the fault itself replaces the file
};

std::string DirectoryOfThatName(const fs::path& folder) {
  fs::remove(folder / kSessionFileName);
  fs::create_directory(folder / kSessionFileName);
  WriteBytes(folder / kSessionFileName / "inside", "kept");
  return {};
}

// As root the child becomes nobody, the owner of the folder, so permissions apply.
std::string FolderWithoutWritePermission(const fs::path& folder) {
  if (::geteuid() == 0) {
    if (::chown(folder.c_str(), kNobody, kNobody) != 0) return "cannot give the folder away";
    ::chmod(folder.c_str(), 0555);
    if (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) return "cannot become nobody";
  } else {
    ::chmod(folder.c_str(), 0555);
  }
  return {};
}

std::string ReadOnlyFile(const fs::path& folder) {
  ::chmod((folder / kSessionFileName).c_str(), 0444);
  return {};
}

// A file size limit below a session file's size: the write stops part-way (EFBIG).
std::string FileSizeLimit(const fs::path&) {
  ::signal(SIGXFSZ, SIG_IGN);
  const rlimit limit{100, 100};
  if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) return "cannot limit the file size";
  return {};
}

std::string FullDisk(const fs::path& folder) { return FillUp(folder); }

std::string ReadOnlyFileSystem(const fs::path& folder) {
  if (::mount(nullptr, folder.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) != 0) {
    return "cannot remount read-only: " + std::string(strerror(errno));
  }
  return {};
}

const WriteFault kWriteFaults[] = {
    {"DirectoryOfThatName", false, DirectoryOfThatName, false},
    {"FolderWithoutWritePermission", false, FolderWithoutWritePermission, true},
    {"ReadOnlyFile", false, ReadOnlyFile, true},
    {"FileSizeLimit", false, FileSizeLimit, true},
    {"FullDisk", true, FullDisk, true},
    {"ReadOnlyFileSystem", true, ReadOnlyFileSystem, true},
};

void PrintTo(const WriteFault& fault, std::ostream* out) { *out << fault.name; }

class WriteFaultTest : public ::testing::TestWithParam<WriteFault> {};

// Everything runs in a child: it may change user, limits and mounts.
TEST_P(WriteFaultTest, ExitShowsTheMessageEndsAndKeepsThePreviousFile) {
  const WriteFault& fault = GetParam();
  ScratchFolder scratch;
  const fs::path folder = scratch.path();
  const ChildResult child = RunInChild([&](std::string& report) {
    if (fault.ownFileSystem) {
      const std::string why = MountOwnFileSystem(folder);
      if (!why.empty()) {
        report = why;
        return kChildSkipped;
      }
    }
    RunState previous = PreviousCircuit();
    if (!WriteSession(previous, folder / kSessionFileName)) {
      report = "the previous session could not be written";
      return 1;
    }
    const std::string why = fault.inject(folder);
    if (!why.empty()) {
      report = why;
      return kChildSkipped;
    }
    const auto before = Snapshot(folder);

    RunState next = MakeDefaultRunState();
    ExitOutcome exit;
    InWorkingDirectory(folder, [&] { exit = PressExit(next); });

    // The specified sentence, then the file and the system's reason.
    if (exit.messages.size() != 1 ||
        !exit.messages.front().starts_with(std::string(kSessionWriteFailedMessage) +
                                           " cannot write 'LastSession.CFG': ") ||
        exit.messages.front().find('\n') != std::string::npos) {
      report += "messages shown: " + std::to_string(exit.messages.size()) + "\n";
    }
    if (exit.beeps != 1) report += "beeps: " + std::to_string(exit.beeps) + "\n";
    if (!exit.closed || !exit.quit) report += "the program did not end\n";
    if (next.startup.SessionFileName != kSessionFileName) report += "SessionFileName not set\n";
    if (Snapshot(folder) != before) report += "the folder changed\n";
    // The next run starts from the last good circuit.
    if (fault.previousFileKept) {
      RunState kept = Marked();  // the previous circuit to the 7 digits the file keeps
      ReadSessionText(SessionFileText(previous), kept);
      RunState read = Marked();
      if (!ReadSession(read, folder / kSessionFileName)) report += "the previous file is lost\n";
      const std::string difference = FirstDifference(read, kept);
      if (!difference.empty()) report += "previous circuit read back: " + difference + "\n";
    }
    return report.empty() ? 0 : 1;
  });
  if (child.code == kChildSkipped) GTEST_SKIP() << child.report;
  EXPECT_EQ(child.code, 0) << child.report;
}

INSTANTIATE_TEST_SUITE_P(Faults, WriteFaultTest, ::testing::ValuesIn(kWriteFaults),
                         [](const auto& tested) { return std::string(tested.param.name); });

// ---- Reading a file that is not an ordinary readable file ----

struct ReadFault {
  const char* name;
  // Puts something named LastSession.CFG into `folder`; empty, or why it cannot (skipped).
  std::string (*make)(const fs::path& folder);
};

std::string Fifo(const fs::path& folder) {
  return ::mkfifo((folder / kSessionFileName).c_str(), 0644) == 0 ? "" : "mkfifo failed";
}
std::string LinkToEndlessDevice(const fs::path& folder) {
  fs::create_symlink("/dev/zero", folder / kSessionFileName);
  return {};
}
std::string DanglingLink(const fs::path& folder) {
  fs::create_symlink(folder / "nowhere", folder / kSessionFileName);
  return {};
}
std::string LinkLoop(const fs::path& folder) {
  fs::create_symlink(folder / kSessionFileName, folder / kSessionFileName);
  return {};
}
std::string Unreadable(const fs::path& folder) {
  RunState previous = PreviousCircuit();
  WriteSession(previous, folder / kSessionFileName);
  ::chmod((folder / kSessionFileName).c_str(), 0);
  ::chmod(folder.c_str(), 0755);  // the folder stays open to the user
  if (::geteuid() == 0 && (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)) {
    return "cannot become nobody";
  }
  return {};
}
std::string EmptyFile(const fs::path& folder) {
  WriteBytes(folder / kSessionFileName, "");
  return {};
}
std::string BinaryGarbage(const fs::path& folder) {
  std::string bytes;
  for (int i = 0; i < 4096; ++i) bytes.push_back(static_cast<char>((i * 37 + 11) % 256));
  WriteBytes(folder / kSessionFileName, bytes);
  return {};
}

const ReadFault kReadFaults[] = {
    {"Fifo", Fifo},
    {"LinkToEndlessDevice", LinkToEndlessDevice},
    {"DanglingLink", DanglingLink},
    {"LinkLoop", LinkLoop},
    {"Unreadable", Unreadable},
    {"EmptyFile", EmptyFile},
    {"BinaryGarbage", BinaryGarbage},
};

void PrintTo(const ReadFault& fault, std::ostream* out) { *out << fault.name; }

class ReadFaultTest : public ::testing::TestWithParam<ReadFault> {};

// In a child with a time limit: a reader that blocks on a pipe or reads a device forever
// fails by the alarm.
TEST_P(ReadFaultTest, StartsQuicklyFromTheDefaults) {
  ScratchFolder scratch;
  const fs::path folder = scratch.path();
  const ChildResult child = RunInChild(
      [&](std::string& report) {
        const std::string why = GetParam().make(folder);
        if (!why.empty()) {
          report = why;
          return kChildSkipped;
        }
        RunState state = Marked();
        bool read = true;
        InWorkingDirectory(folder, [&] { read = ReadSession(state); });
        RunState expected = Marked();
        StoreDefaults(expected);
        if (read) report += "ReadSession says it read the file\n";
        report += FirstDifference(state, expected);
        return report.empty() ? 0 : 1;
      },
      10);
  if (child.code == kChildSkipped) GTEST_SKIP() << child.report;
  EXPECT_EQ(child.code, 0) << child.report;
}

INSTANTIATE_TEST_SUITE_P(Faults, ReadFaultTest, ::testing::ValuesIn(kReadFaults),
                         [](const auto& tested) { return std::string(tested.param.name); });

// ---- A file cut off at every length ----

// Where each of the 63 numbers of a written file starts and ends (its sign included).
struct NumberSpan {
  std::size_t begin, end;
};

std::vector<NumberSpan> NumberSpans(const std::string& written) {
  std::vector<NumberSpan> spans;
  std::size_t line = written.find("\r\n") + 2;
  while (line < written.size()) {
    const std::size_t lineEnd = written.find("\r\n", line);
    const std::size_t begin = written[line] == ' ' ? line + 1 : line;
    spans.push_back({begin, lineEnd - 1});  // the blank before the line end is not part of it
    line = lineEnd + 2;
  }
  return spans;
}

// A text the reader takes as one number, and its value.
bool ReadsAsNumber(std::string_view text, float& value) {
  const auto [end, error] =
      std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::general);
  return error == std::errc() && end == text.data() + text.size() && std::isfinite(value);
}

// Values with every spelling the file uses: plain, fractional, negative, exponent forms.
RunState EveryKindOfNumber() {
  RunState state = Marked();
  const float samples[] = {1500.0f,  -135.0f,  3750000.0f, 1e15f,      -1e15f, 0.5f,
                           1.25e-7f, -4.7e-6f, 123.4567f,  9999999.0f, 1.5e7f, -0.001f};
  for (int k = 0; k < SessionValueCount; ++k) {
    InFileOrder(state, k) =
        samples[static_cast<std::size_t>(k) % std::size(samples)] * static_cast<float>(1 + k % 5);
  }
  return state;
}

TEST(CutSessionFile, KeepsTheValuesBeforeTheCutWithTheDefaultsOverThem) {
  const std::string written = SessionFileText(EveryKindOfNumber());
  RunState whole = Marked();  // the values as the file holds them, to 7 digits
  ASSERT_TRUE(ReadSessionText(written, whole));
  const std::vector<NumberSpan> spans = NumberSpans(written);
  ASSERT_EQ(spans.size(), static_cast<std::size_t>(SessionValueCount));
  ScratchFolder scratch;
  const fs::path file = scratch.path() / kSessionFileName;

  for (std::size_t cut = 0; cut <= written.size(); ++cut) {
    // The numbers wholly before the cut are read; a number the cut goes through is read as
    // the digits left of it when they still form a number; the rest is missing.
    int wholeNumbers = 0;
    while (wholeNumbers < SessionValueCount && spans[wholeNumbers].end <= cut) ++wholeNumbers;
    RunState expected = Marked();
    for (int k = 0; k < wholeNumbers; ++k) InFileOrder(expected, k) = InFileOrder(whole, k);
    int read = wholeNumbers;
    if (wholeNumbers < SessionValueCount && spans[wholeNumbers].begin < cut) {
      float partial = 0.0f;
      const std::string_view left(written.data() + spans[wholeNumbers].begin,
                                  cut - spans[wholeNumbers].begin);
      if (ReadsAsNumber(left, partial)) {
        InFileOrder(expected, wholeNumbers) = partial;
        ++read;
      }
    }
    const bool complete = read == SessionValueCount;
    if (!complete) StoreDefaults(expected);

    WriteBytes(file, written.substr(0, cut));
    RunState state = Marked();
    EXPECT_EQ(ReadSession(state, file), complete) << "cut at " << cut;
    const std::string difference = FirstDifference(state, expected);
    EXPECT_EQ(difference, "") << "cut at " << cut;
    if (!difference.empty()) break;  // one report is enough
  }
  std::printf("%zu cut lengths read\n", written.size() + 1);
}

// ---- Line ends and separators ----

struct Spelling {
  const char* name;
  std::string (*respell)(const std::string& written);
};

const Spelling kSpellings[] = {
    {"CrLfAsWritten", [](const std::string& w) { return w; }},
    {"Lf", [](const std::string& w) { return Replaced(w, "\r\n", "\n"); }},
    {"CrOnly", [](const std::string& w) { return Replaced(w, "\r\n", "\r"); }},
    {"CommaSeparatedOneLine",
     [](const std::string& w) {
       const std::string values = Replaced(w.substr(w.find("\r\n") + 2), " \r\n", ",");
       return "Corvantile last-session circuit file," + values + "\r\n";
     }},
    {"CommaSeparatedLines", [](const std::string& w) { return Replaced(w, " \r\n", ",\r\n"); }},
    {"CommaAndBlank",
     [](const std::string& w) {
       return "header, " + Replaced(w.substr(w.find("\r\n") + 2), " \r\n", ", ");
     }},
    {"TabsAndTrailingBlanks",
     [](const std::string& w) { return Replaced(w, " \r\n", "\t  \r\n"); }},
    {"MixedLineEnds",
     [](const std::string& w) {
       std::string out = w;
       for (std::size_t at = 0, n = 0; (at = out.find("\r\n", at)) != std::string::npos; ++n) {
         if (n % 2 == 1) {
           out.erase(at, 1);
           at += 1;
         } else {
           at += 2;
         }
       }
       return out;
     }},
};

void PrintTo(const Spelling& spelling, std::ostream* out) { *out << spelling.name; }

class SessionSpellingTest : public ::testing::TestWithParam<Spelling> {};

TEST_P(SessionSpellingTest, ReadsTheSameValues) {
  const RunState whole = EveryKindOfNumber();
  ScratchFolder scratch;
  const fs::path file = scratch.path() / kSessionFileName;
  WriteBytes(file, GetParam().respell(SessionFileText(whole)));
  RunState state = Marked();
  EXPECT_TRUE(ReadSession(state, file));
  RunState expected = Marked();
  ASSERT_TRUE(ReadSessionText(SessionFileText(whole), expected));
  EXPECT_EQ(FirstDifference(state, expected), "");
}

INSTANTIATE_TEST_SUITE_P(Spellings, SessionSpellingTest, ::testing::ValuesIn(kSpellings),
                         [](const auto& tested) { return std::string(tested.param.name); });

}  // namespace
}  // namespace corvantile::hardening
