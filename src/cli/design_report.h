#pragma once

#include "cli/json_value.h"
#include "design/design_captions.h"
#include "math/design_network.h"
#include "report/report_text.h"
#include "state/circuit_state.h"

namespace corvantile::cli {

// The report's text lives with the PDF report, so the window and this tool write the same.
using report::DesignReport;
using report::IsAbsentPart;
using report::kImpossibleDesignLine;

// The JSON object of a designed state: "SourceValues" (16 numbers), "NetValues" (31),
// "LoadValues" (16), what the design window shows for it ("captions": control name -> caption,
// "visible": label name -> shown on a window just opened on the state) and "caution" (true for an
// impossible design). Commands may add keys.
Json DesignJson(const RunState& state, DesignOutcome outcome, const DesignCaptions& shown);

}  // namespace corvantile::cli
