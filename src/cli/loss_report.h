#pragma once

// The losses block of the design report and its JSON: where the power goes in the network of
// real parts, what every part must survive and, with --compensate, the re-solved design.
#include <string>

#include "analysis/circuits/matching_circuit.h"
#include "analysis/solvers/lossy_network.h"
#include "cli/json_value.h"
#include "cli/loss_options.h"
#include "report/report_text.h"

namespace corvantile::cli {

// The figures and the block's text live with the report's text, so the design window's copy
// and this tool write the same block.
using report::LossesReport;
using report::LossFigures;

// What the loss options make of one designed circuit: the options' model and, with
// --compensate, the compensated design. `designDriver` is NetValues[DesignDriver].
LossFigures ComputeLossFigures(const MatchingCircuit& circuit, const LossOptions& options,
                               float designDriver);

// The same figures as the "losses" member of the design JSON (plain doubles, SI units).
Json LossesJson(const MatchingCircuit& circuit, const LossFigures& figures);

}  // namespace corvantile::cli
