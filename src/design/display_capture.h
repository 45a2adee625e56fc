#pragma once

// What the design window shows for a circuit, without a display: the window is loaded on the
// recording toolkit and its result captions and label visibility are read back. Used by the
// command-line tool and by tests.
#include <map>
#include <string>

#include "state/circuit_state.h"
#include "toolkit/geometry.h"

namespace corvantile {

struct DisplayCapture {
  // Every caption RefreshDesign writes (the twelve element and part labels, the four result
  // labels, and the cmdPhase, cmdFrequency and cmdPower buttons), by control name.
  std::map<std::string, std::string> captions;
  // Every label RefreshDesign shows or hides (element and part labels and lblCaution), by
  // control name: true when shown.
  std::map<std::string, bool> visible;
};

// Loads the design window for `state` (a copy: the design it runs writes only the copy) on a
// screen of the given size, and reads back its captions and label visibility.
DisplayCapture CaptureDisplay(RunState state, toolkit::ScreenTwips screen);

// The same on a 1024 x 768 screen.
DisplayCapture CaptureDisplay(RunState state);

}  // namespace corvantile
