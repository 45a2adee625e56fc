#pragma once

#include <string>

namespace corvantile {

// Texts and constants shared by every window and by the network mathematics. They are set
// once at start-up by SetStartupValues; only SessionFileName changes later (the session writer
// sets it).
struct StartupValues {
  std::string VersionText;
  std::string NoticeText;
  std::string WebsiteText;
  std::string SessionFileName;  // empty until the session file has been written

  float Pi = 0.0f;                // the arcs of the drawn symbols
  double TwoPi = 0.0;             // omega = TwoPi * frequency
  double DegreesPerRadian = 0.0;  // 180 / pi
  float VoltsShownMin = 0.0f;     // a part voltage is shown only inside [min, max]
  float VoltsShownMax = 0.0f;
  float AmpsShownMin = 0.0f;  // a part current is shown only inside [min, max]
  float AmpsShownMax = 0.0f;
  float TinyMagnitude = 0.0f;  // part values below this are treated as absent
  float UnitMagnitude = 0.0f;
};

// Stores the three texts and the nine constants; cannot fail. TwoPi * 3750000 ~ 23561944.9.
void SetStartupValues(StartupValues& values);

}  // namespace corvantile
