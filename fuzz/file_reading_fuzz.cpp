// The whole file-reading path on arbitrary bytes: the bytes are written to a temporary file
// and read through the real readers, as the programs read them (the Touchstone reader's pieces
// and line limits, the session and settings readers). The first byte picks the Touchstone
// file's name (".s1p" to ".s4p"). Nothing crashes; the Touchstone file read from disk reads
// exactly as the same text in memory; the session file reads as its text does; and every
// reader's error is one line.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

#include <unistd.h>

#include "analysis/formats/touchstone_reader.h"
#include "fuzz_check.h"
#include "state/circuit_state.h"
#include "state/file_reader.h"
#include "state/session_file.h"
#include "state/settings_file.h"

namespace {

namespace fs = std::filesystem;

// The process's own folder for the file, removed when the process ends.
struct ScratchFolder {
  ScratchFolder()
      : path(fs::temp_directory_path() /
             ("corvantile_file_fuzz_" + std::to_string(static_cast<long>(::getpid())))) {
    fs::create_directories(path);
  }
  ~ScratchFolder() {
    std::error_code ignored;
    fs::remove_all(path, ignored);
  }
  fs::path path;
};

const fs::path& Folder() {
  static const ScratchFolder folder;
  return folder.path;
}

void Write(const fs::path& file, std::string_view bytes) {
  std::FILE* out = std::fopen(file.c_str(), "wb");
  FUZZ_REQUIRE(out != nullptr, "cannot create %s", file.c_str());
  FUZZ_REQUIRE(std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size(), "short write");
  std::fclose(out);
}

bool OneLine(const std::string& text) { return text.find('\n') == std::string::npos; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::string name = "m.s" + std::to_string(1 + data[0] % 4) + "p";
  const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
  const fs::path file = Folder() / name;
  Write(file, text);

  const corvantile::TouchstoneRead fromFile = corvantile::ReadTouchstoneFile(file.string());
  const corvantile::TouchstoneRead fromText = corvantile::ReadTouchstoneText(text, name);
  FUZZ_REQUIRE(OneLine(fromFile.error), "a two-line error: %s", fromFile.error.c_str());
  FUZZ_REQUIRE(fromFile.error == fromText.error, "file: '%s', text: '%s'", fromFile.error.c_str(),
               fromText.error.c_str());
  if (fromFile.Ok()) {
    FUZZ_REQUIRE(fromFile.data.frequencies == fromText.data.frequencies, "frequencies differ");
    FUZZ_REQUIRE(fromFile.data.s == fromText.data.s, "S-parameters differ");
  }

  corvantile::RunState fromDisk{}, inMemory{};
  const bool readDisk = corvantile::ReadSession(fromDisk, file);
  const bool readText = corvantile::ReadSessionText(text, inMemory);
  if (text.size() <= corvantile::kMaxSessionBytes) {
    FUZZ_REQUIRE(readDisk == readText, "the session file reads differently from its text");
  } else {
    FUZZ_REQUIRE(!readDisk, "a session file past its limit was read");
  }

  const corvantile::SettingsRead settings = corvantile::ReadSettings(file.string());
  FUZZ_REQUIRE(settings.found, "an existing settings file was not found");
  FUZZ_REQUIRE(OneLine(settings.problem), "a two-line problem");

  std::string whole, reason;
  if (corvantile::ReadTextFile(file, corvantile::InputKinds::RegularOnly, {1 << 20, 4096}, whole,
                               reason)) {
    FUZZ_REQUIRE(whole == text, "the file read back differently");
  } else {
    FUZZ_REQUIRE(reason.find("is longer than 4 KiB") != std::string::npos, "%s", reason.c_str());
  }
  return 0;
}
