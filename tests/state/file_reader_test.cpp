// The one file reader: what it refuses, and that it never waits on a FIFO nor reads past its
// limits.
#include "state/file_reader.h"

#include <string>

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "support/files.h"

namespace corvantile {
namespace {

namespace fs = std::filesystem;
using testing::ScratchFolder;
using testing::WriteBytes;

struct ReadCase {
  const char* name;
  std::string (*prepare)(const fs::path& folder);  // returns the file to read
  InputKinds kinds;
  ReadLimits limits;
  const char* reason;  // "" when it reads
  const char* text;    // what it reads
};

void PrintTo(const ReadCase& c, std::ostream* os) { *os << c.name; }

class FileReaderTest : public ::testing::TestWithParam<ReadCase> {};

TEST_P(FileReaderTest, ReadsOrSaysWhy) {
  const ScratchFolder folder;
  const std::string file = GetParam().prepare(folder.path());
  std::string text = "left over", reason;
  const bool read = ReadTextFile(file, GetParam().kinds, GetParam().limits, text, reason);
  EXPECT_EQ(read, *GetParam().reason == '\0') << reason;
  EXPECT_EQ(reason, GetParam().reason);
  if (read) {
    EXPECT_EQ(text, GetParam().text);
  }
}

std::string Plain(const fs::path& folder) {
  WriteBytes(folder / "a.txt", "one\ntwo\r\nthree\r");
  return (folder / "a.txt").string();
}
std::string Fifo(const fs::path& folder) {
  ::mkfifo((folder / "f").c_str(), 0600);
  return (folder / "f").string();
}

constexpr ReadLimits kRoomy{1 << 20, 1 << 10};

INSTANTIATE_TEST_SUITE_P(
    Cases, FileReaderTest,
    ::testing::Values(
        ReadCase{"Regular", Plain, InputKinds::RegularOnly, kRoomy, "", "one\ntwo\r\nthree\r"},
        ReadCase{"Missing", [](const fs::path& f) { return (f / "none").string(); },
                 InputKinds::RegularOrStream, kRoomy, "No such file or directory", ""},
        ReadCase{"Folder", [](const fs::path& f) { return f.string(); },
                 InputKinds::RegularOrStream, kRoomy, "Is a directory", ""},
        ReadCase{"FifoRefusedWithoutWaiting", Fifo, InputKinds::RegularOnly, kRoomy,
                 "it is a FIFO or pipe, not a regular file", ""},
        ReadCase{"FifoWithoutWriterReadsEmpty", Fifo, InputKinds::RegularOrStream, kRoomy, "", ""},
        ReadCase{"DeviceRefusedAtStart", [](const fs::path&) { return std::string("/dev/zero"); },
                 InputKinds::RegularOnly, kRoomy, "it is a device, not a regular file", ""},
        ReadCase{"EndlessLineStops", [](const fs::path&) { return std::string("/dev/zero"); },
                 InputKinds::RegularOrStream, kRoomy, "line 1 is longer than 1 KiB", ""},
        ReadCase{"EndlessStreamStops",
                 [](const fs::path&) { return std::string("/dev/zero"); },
                 InputKinds::RegularOrStream,
                 {1000, 1 << 20},
                 "it is larger than 1000 bytes",
                 ""},
        ReadCase{"LargeFileRefusedBeforeReading",
                 Plain,
                 InputKinds::RegularOnly,
                 {10, 100},
                 "it is larger than 10 bytes",
                 ""},
        ReadCase{"LongLineCountsCrLines",
                 Plain,
                 InputKinds::RegularOnly,
                 {100, 4},
                 "line 3 is longer than 4 bytes",
                 ""}),
    [](const ::testing::TestParamInfo<ReadCase>& param) { return std::string(param.param.name); });

TEST(FileReaderStreamTest, ReadsAPipeOnceFromStartToEnd) {
  int pipes[2];
  ASSERT_EQ(::pipe(pipes), 0);
  const std::string text(200000, 'x');  // more than a pipe holds: the reader must keep up
  const pid_t child = ::fork();
  if (child == 0) {
    ::close(pipes[0]);
    std::size_t done = 0;
    while (done < text.size()) {
      const ssize_t n = ::write(pipes[1], text.data() + done, text.size() - done);
      if (n <= 0) ::_exit(1);
      done += static_cast<std::size_t>(n);
    }
    ::_exit(0);
  }
  ::close(pipes[1]);
  std::string read, reason;
  EXPECT_TRUE(ReadTextFile("/dev/fd/" + std::to_string(pipes[0]), InputKinds::RegularOrStream,
                           {1 << 20, 1 << 20}, read, reason))
      << reason;
  EXPECT_EQ(read, text);
  ::close(pipes[0]);
  int status = 0;
  ::waitpid(child, &status, 0);
}

TEST(FileReaderNameTest, StandardInputIsNamedAndNamesStayOnOneLine) {
  EXPECT_EQ(InputDisplayName("-"), "standard input");
  EXPECT_EQ(InputDisplayName("a\nb.s1p"), "a\\nb.s1p");
  EXPECT_EQ(LimitText(1 << 30), "1 GiB");
  EXPECT_EQ(LimitText(64 * 1024), "64 KiB");
  EXPECT_EQ(LimitText(1000), "1000 bytes");
}

}  // namespace
}  // namespace corvantile
