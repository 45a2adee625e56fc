#include "support/files.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <system_error>

#include <gtest/gtest.h>
#include <unistd.h>

namespace corvantile::testing {

namespace fs = std::filesystem;

ScratchFolder::ScratchFolder() {
  std::string pattern = (fs::temp_directory_path() / "corvantile-test-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

ScratchFolder::~ScratchFolder() {
  std::error_code error;
  fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, error);
  for (const auto& entry : fs::recursive_directory_iterator(path_, error)) {
    if (entry.is_directory(error)) {
      fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, error);
    }
  }
  fs::remove_all(path_, error);
}

fs::path TemporaryFile(std::string_view name) {
  return fs::path(::testing::TempDir()) /
         ("corvantile_" + std::to_string(::getpid()) + "_" + std::string(name));
}

std::string ReadBytes(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const fs::path& file, const std::string& bytes) {
  std::ofstream(file, std::ios::binary) << bytes;
}

fs::path DataFile(std::string_view name) {
  const char* fromEnvironment = std::getenv("CORVANTILE_TEST_DATA");
  const fs::path directory = fromEnvironment != nullptr && *fromEnvironment != '\0'
                                 ? fromEnvironment
                                 : CORVANTILE_TEST_DATA_DIR;
  return directory / name;
}

}  // namespace corvantile::testing
