// The one file writer: a complete new file or the old one, never a mixture or a leftover.
#include "state/file_writer.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "state/names.h"

namespace corvantile {
namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class FileWriterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = fs::path(::testing::TempDir()) / ("corvantile_writer_" + std::to_string(::getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder);
  }
  void TearDown() override {
    std::error_code ignored;
    fs::permissions(folder, fs::perms::owner_all, ignored);
    fs::remove_all(folder, ignored);
  }
  // Every name in the folder but `keep`: a temporary file left behind shows here.
  int OtherFiles(const fs::path& keep) const {
    int count = 0;
    for (const auto& entry : fs::directory_iterator(folder)) count += entry.path() != keep;
    return count;
  }
  // A temporary file left behind anywhere in the folder.
  bool HasTemporaryFile() const {
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
      if (entry.path().filename().string().find(".tmp") != std::string::npos) return true;
    }
    return false;
  }
  fs::path folder;
};

TEST_F(FileWriterTest, ReplacesTheWholeFileAndLeavesNothingBeside) {
  const fs::path file = folder / "match.cir";
  std::string error;
  ASSERT_TRUE(WriteFileAtomically(file, std::string(100000, 'a'), error)) << error;
  ASSERT_TRUE(WriteFileAtomically(file, "short\n", error)) << error;
  EXPECT_EQ(ReadAll(file), "short\n");
  EXPECT_EQ(error, "");
  EXPECT_EQ(OtherFiles(file), 0);
}

TEST_F(FileWriterTest, EmptyTextGivesAnEmptyFile) {
  const fs::path file = folder / "empty.csv";
  ASSERT_TRUE(WriteFileAtomically(file, ""));
  EXPECT_TRUE(fs::exists(file));
  EXPECT_EQ(fs::file_size(file), 0u);
}

struct Failure {
  const char* name;
  std::string (*prepare)(const fs::path& folder);  // returns the target
  std::string cause;                               // in the error text
};

void PrintTo(const Failure& f, std::ostream* os) { *os << f.name; }

class FileWriterFailure : public FileWriterTest, public ::testing::WithParamInterface<Failure> {};

TEST_P(FileWriterFailure, KeepsTheOldFileAndSaysWhy) {
  const fs::path target = GetParam().prepare(folder);
  if (::geteuid() == 0 && std::string(GetParam().name) == "FolderNotWritable") {
    GTEST_SKIP() << "root writes into any folder";
  }
  const bool existed = fs::is_regular_file(target);
  const std::string before = existed ? ReadAll(target) : "";
  std::string error;
  EXPECT_FALSE(WriteFileAtomically(target, "new text", error));
  EXPECT_TRUE(error.starts_with("cannot write '" + target.string() + "': ")) << error;
  EXPECT_NE(error.find(GetParam().cause), std::string::npos) << error;
  EXPECT_EQ(error.find('\n'), std::string::npos);
  if (existed) {
    EXPECT_EQ(ReadAll(target), before);
  }
  fs::permissions(folder, fs::perms::owner_all);
  EXPECT_FALSE(HasTemporaryFile());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FileWriterFailure,
    ::testing::Values(Failure{"NoSuchFolder",
                              [](const fs::path& folder) {
                                return (folder / "none" / "x.s2p").string();
                              },
                              "No such file or directory"},
                      Failure{"TargetIsAFolder",
                              [](const fs::path& folder) {
                                fs::create_directory(folder / "sub");
                                fs::create_directory(folder / "sub" / "inside");
                                return (folder / "sub").string();
                              },
                              "Is a directory"},
                      Failure{"ReadOnlyFile",
                              [](const fs::path& folder) {
                                const fs::path file = folder / "kept.CFG";
                                std::ofstream(file) << "old text";
                                fs::permissions(file, fs::perms::owner_read);
                                return file.string();
                              },
                              "read-only"},
                      Failure{"FolderNotWritable",
                              [](const fs::path& folder) {
                                const fs::path file = folder / "kept.csv";
                                std::ofstream(file) << "old text";
                                fs::permissions(folder,
                                                fs::perms::owner_read | fs::perms::owner_exec);
                                return file.string();
                              },
                              "Permission denied"}),
    [](const ::testing::TestParamInfo<Failure>& param) { return std::string(param.param.name); });

TEST_F(FileWriterTest, WritesWhereALinkPointsAndKeepsTheLink) {
  const fs::path real = folder / "real.csv", link = folder / "link.csv";
  std::ofstream(real) << "old";
  fs::create_symlink("real.csv", link);  // relative, read against the link's folder
  std::string error;
  ASSERT_TRUE(WriteFileAtomically(link, "new", error)) << error;
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(ReadAll(real), "new");
  EXPECT_EQ(OtherFiles(real), 1);  // the link
}

TEST_F(FileWriterTest, ReplacedFileKeepsItsPermissions) {
  const fs::path file = folder / "private.CFG";
  std::ofstream(file) << "old";
  fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write);
  ASSERT_TRUE(WriteFileAtomically(file, "new"));
  EXPECT_EQ(fs::status(file).permissions(), fs::perms::owner_read | fs::perms::owner_write);
}

TEST_F(FileWriterTest, RefusesAFifoAndALinkToOne) {
  const fs::path fifo = folder / "f";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  fs::create_symlink(fifo, folder / "to_fifo");
  for (const fs::path& target : {fifo, folder / "to_fifo"}) {
    std::string error;
    EXPECT_FALSE(WriteFileAtomically(target, "x", error));
    EXPECT_EQ(error, "cannot write '" + target.string() +
                         "': it is not a regular file, and only a regular file is replaced");
  }
  EXPECT_TRUE(fs::is_fifo(fifo));
  EXPECT_FALSE(HasTemporaryFile());
}

TEST_F(FileWriterTest, RemovesTheTemporaryFilesOfRunsThatAreGone) {
  const fs::path file = folder / "out.txt";
  // A process number no process has, one that is running (ours), and another file's.
  const fs::path gone = TemporaryFileFor(file, 2147483647);
  const fs::path older = folder / "out.txt.tmp2147483646";
  const fs::path running = TemporaryFileFor(file, 1);
  const fs::path other = TemporaryFileFor(folder / "other.txt", 2147483647);
  for (const fs::path& f : {gone, older, running, other}) std::ofstream(f) << "partial";
  ASSERT_TRUE(WriteFileAtomically(file, "whole"));
  EXPECT_FALSE(fs::exists(gone));
  EXPECT_FALSE(fs::exists(older));
  EXPECT_TRUE(fs::exists(running));
  EXPECT_TRUE(fs::exists(other));
  EXPECT_EQ(gone.filename(), ".out.txt.corvantile-2147483647.tmp");
}

TEST_F(FileWriterTest, NamesStayOnOneLine) {
  std::string error;
  EXPECT_FALSE(WriteFileAtomically(folder / "no\nfolder" / "x", "x", error));
  EXPECT_EQ(error.find('\n'), std::string::npos) << error;
  EXPECT_NE(error.find("no\\nfolder"), std::string::npos) << error;
}

// Every family code has its names, and every name leads back to its code.
TEST(FamilyNames, EveryCodeAndNameRoundTrips) {
  for (const float code : {FamilyTee, FamilyPi, FamilyLowpassL, FamilyHighpassL}) {
    const FamilyNames* names = FindFamilyNames(code);
    ASSERT_NE(names, nullptr) << code;
    EXPECT_EQ(FindFamilyByOption(names->option), names);
    EXPECT_FALSE(names->button.empty());
    EXPECT_FALSE(names->text.empty());
  }
  EXPECT_EQ(FindFamilyNames(0.0f), nullptr);
  EXPECT_EQ(FindFamilyNames(5.0f), nullptr);
  EXPECT_EQ(FindFamilyByOption("Lowpass L"), nullptr);
  EXPECT_EQ(FindFamilyNames(FamilyLowpassL)->text, "low-pass L");
}

}  // namespace
}  // namespace corvantile
