#pragma once

// What a fuzz target does when a property fails: print what and where, then abort, which
// libFuzzer records as a crash with the input that caused it and the replay tool reports as a
// failed test.
#include <cstdarg>
#include <cstdio>
#include <cstdlib>

namespace corvantile::fuzz {

[[noreturn]] inline void Fail(const char* condition, const char* file, int line, const char* format,
                              ...) {
  std::fprintf(stderr, "%s:%d: property failed: %s\n  ", file, line, condition);
  va_list args;
  va_start(args, format);
  std::vfprintf(stderr, format, args);
  va_end(args);
  std::fputc('\n', stderr);
  std::abort();
}

}  // namespace corvantile::fuzz

// FUZZ_REQUIRE(condition, "printf format", args...): the detail is only built on failure.
#define FUZZ_REQUIRE(condition, ...)                                                         \
  do {                                                                                       \
    if (!(condition)) ::corvantile::fuzz::Fail(#condition, __FILE__, __LINE__, __VA_ARGS__); \
  } while (false)
