// The settings reader on arbitrary bytes. It never crashes, however deep or large the text; it
// reads either the file's members or, for anything that is not a JSON object of sane depth,
// the defaults marked damaged; every member it keeps is in range; and what it reads writes out
// as text that reads back to the same settings, undamaged.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "state/settings_file.h"

namespace {

using corvantile::Settings;
using corvantile::SettingsRead;

void CheckRanges(const Settings& s) {
  for (const auto* side : {&s.measuredSource, &s.measuredLoad}) {
    if (!*side) continue;
    FUZZ_REQUIRE(!(*side)->file.empty(), "a measured side without a file");
    FUZZ_REQUIRE((*side)->port >= 1 && (*side)->port <= 99, "port %d", (*side)->port);
  }
  if (s.tolerance) {
    const corvantile::ToleranceSettings& t = *s.tolerance;
    FUZZ_REQUIRE(t.inductorTolerance >= 0.0 && t.inductorTolerance <= corvantile::kMaxTolerance,
                 "inductor tolerance %g", t.inductorTolerance);
    FUZZ_REQUIRE(t.capacitorTolerance >= 0.0 && t.capacitorTolerance <= corvantile::kMaxTolerance,
                 "capacitor tolerance %g", t.capacitorTolerance);
    FUZZ_REQUIRE(t.builds >= 1 && t.builds <= corvantile::kMaxToleranceBuilds, "%d builds",
                 t.builds);
    if (t.band) {
      FUZZ_REQUIRE((*t.band)[0] > 0.0 && (*t.band)[1] > (*t.band)[0] && std::isfinite((*t.band)[1]),
                   "band %g to %g", (*t.band)[0], (*t.band)[1]);
    }
  }
  if (s.feedline) {
    FUZZ_REQUIRE(!s.feedline->line.empty(), "a feedline without its line");
    if (s.feedline->farValues) {
      for (const float v : *s.feedline->farValues) {
        FUZZ_REQUIRE(std::isfinite(v), "a far value %g", static_cast<double>(v));
      }
    }
  }
  if (s.losses) {
    for (const double v : {s.losses->inductorQ, s.losses->inductorLaw, s.losses->capacitorQ,
                           s.losses->capacitorLaw}) {
      FUZZ_REQUIRE(std::isfinite(v), "a loss setting %g", v);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const SettingsRead read = corvantile::ReadSettingsText(text);
  FUZZ_REQUIRE(read.found, "text read as not found");
  if (read.damaged && read.settings.otherMembers == "{}" && !read.settings.tolerance &&
      !read.settings.losses && !read.settings.measuredSource && !read.settings.measuredLoad &&
      !read.settings.feedline) {
    return 0;  // nothing usable: the defaults
  }
  CheckRanges(read.settings);
  // What was read is written and read back the same.
  const std::string written = corvantile::SettingsFileText(read.settings);
  const SettingsRead again = corvantile::ReadSettingsText(written);
  FUZZ_REQUIRE(!again.damaged, "the written settings read back damaged:\n%s", written.c_str());
  FUZZ_REQUIRE(again.settings == read.settings, "the written settings read back differently");
  return 0;
}
