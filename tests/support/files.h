#pragma once

// Files and folders of a test: a fresh scratch folder that cleans up after itself, a file name
// unique to this test process, whole files read and written as bytes, and the files of
// tests/data.
//
//   const ScratchFolder folder;                       // removed with all it holds
//   WriteBytes(folder.path() / "a.CFG", text);
//   EXPECT_EQ(ReadBytes(folder.path() / "a.CFG"), text);
#include <filesystem>
#include <string>
#include <string_view>

namespace corvantile::testing {

// A fresh folder under the system's temporary folder, removed with everything in it (write
// permission given back first) when the object goes.
class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// A file name in the test's temporary directory, made unique by the process id: several
// builds' suites may run at once on one machine and share that directory.
std::filesystem::path TemporaryFile(std::string_view name);

// A file's bytes, empty when it cannot be read.
std::string ReadBytes(const std::filesystem::path& file);
void WriteBytes(const std::filesystem::path& file, const std::string& bytes);

// A file of tests/data: from CORVANTILE_TEST_DATA, which ctest sets for every test.
std::filesystem::path DataFile(std::string_view name);

}  // namespace corvantile::testing
