// Replays a fuzz target's inputs without libFuzzer: every file named on the command line, and
// every file inside each directory named there (in name order; a missing or empty directory
// adds nothing), goes once through LLVMFuzzerTestOneInput. A failing property aborts, so the
// test fails with the message of the target's check and the name of the input, printed last.
// This is how `make test` keeps every corpus and regression case passing.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

namespace fs = std::filesystem;

std::vector<fs::path> InputsOf(const fs::path& path) {
  std::vector<fs::path> inputs;
  if (fs::is_directory(path)) {
    for (const fs::directory_entry& entry : fs::directory_iterator(path)) {
      if (entry.is_regular_file()) inputs.push_back(entry.path());
    }
    std::sort(inputs.begin(), inputs.end());
  } else if (fs::is_regular_file(path)) {
    inputs.push_back(path);
  }
  return inputs;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s FILE_OR_DIRECTORY...\n", argv[0]);
    return 2;
  }
  std::size_t replayed = 0;
  for (int i = 1; i < argc; ++i) {
    const std::vector<fs::path> inputs = InputsOf(argv[i]);
    for (const fs::path& input : inputs) {
      std::ifstream in(input, std::ios::binary);
      const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
      // A copy on the heap of exactly the input's size, so AddressSanitizer sees any read past
      // its end as libFuzzer's own buffer would.
      std::vector<std::uint8_t> data(bytes.begin(), bytes.end());
      // Named before it runs: a failing property aborts, and the log then ends with its name.
      std::printf("%s\n", input.c_str());
      std::fflush(stdout);
      LLVMFuzzerTestOneInput(data.data(), data.size());
      ++replayed;
    }
    std::printf("%s: %zu inputs replayed\n", argv[i], inputs.size());
  }
  if (replayed == 0) {
    std::fprintf(stderr, "%s: nothing to replay\n", argv[0]);
    return 1;
  }
  std::printf("%zu inputs replayed in all\n", replayed);
  return 0;
}
