#include "state/startup_values.h"

#include "units/constants.h"

namespace corvantile {

void SetStartupValues(StartupValues& values) {
  values.NoticeText = "Copyright (c) Corvantile Engineering";
  values.VersionText = "Version 3.01";
  values.WebsiteText = "www.corvantile.example";
  values.AmpsShownMax = 1e5f;
  values.AmpsShownMin = 1e-6f;
  values.UnitMagnitude = 1.0f;
  values.TinyMagnitude = 1e-13f;
  values.Pi = kPiSingle;
  values.TwoPi = kTwoPi;
  values.VoltsShownMax = 1e6f;
  values.VoltsShownMin = 1e-7f;
  values.DegreesPerRadian = kDegreesPerRadian;
}

}  // namespace corvantile
