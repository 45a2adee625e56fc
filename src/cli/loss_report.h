#pragma once

// The losses block of the design report and its JSON: where the power goes in the network of
// real parts, what every part must survive and, with --compensate, the re-solved design.
#include <string>

#include "analysis/lossy_network.h"
#include "analysis/matching_circuit.h"
#include "cli/json_writer.h"
#include "cli/loss_options.h"

namespace corvantile::cli {

// What the loss options make of one designed circuit: the analysis of the designed (ideal
// value) parts with their losses and, with --compensate, the compensated design and its
// analysis.
struct LossFigures {
  LossModel model;
  LossAnalysis designed;
  bool compensated = false;
  CompensatedDesign compensation;
  LossAnalysis compensatedAnalysis;
};

// `designDriver` is NetValues[DesignDriver] (which outer element a fixed design keeps).
LossFigures ComputeLossFigures(const MatchingCircuit& circuit, const LossOptions& options,
                               float designDriver);

// A part value as the program writes it: "20.13 uH", "117.8 pF"; "short" or "open" for the
// parts that are no part.
std::string CircuitPartText(const CircuitPart& part);

// The block appended to the design report, starting with a blank line: per part its Q and law,
// series resistance, watts, RMS and peak volts and amps; the totals (input and load power,
// efficiency, dissipative, mismatch and transducer loss, return loss, VSWR, the impedance the
// source sees); with --compensate the compensated part values beside the ideal ones, the
// outcome line and the compensated network's figures.
std::string LossesReport(const MatchingCircuit& circuit, const LossFigures& figures);

// The same figures as the "losses" member of the design JSON (plain doubles, SI units).
JsonObject LossesJson(const MatchingCircuit& circuit, const LossFigures& figures);

}  // namespace corvantile::cli
