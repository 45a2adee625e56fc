#pragma once

// The design report as a PDF of two A4 pages, the same from the design window and from
// `corvantile-cli report`. Page 1: the inputs, the schematic, every part value as the design
// window shows it, the response plot and the Smith chart. Page 2: the losses and compensated
// values when a loss model is given, the standard values, the parts list with ratings, and the
// feedline's figures and the tolerance results when there are any.
#include <optional>
#include <string>
#include <vector>

#include "analysis/circuits/part_losses.h"
#include "analysis/solvers/frequency_response.h"
#include "analysis/studies/standard_design.h"
#include "math/design_network.h"
#include "state/circuit_state.h"
#include "state/settings_file.h"

namespace corvantile::report {

// The response plot's data: the span swept, its points and the response at the design
// frequency.
struct ReportPlot {
  SweepSpan span;
  std::vector<ResponsePoint> points;
  ResponsePoint atDesign;
};

struct ReportInputs {
  RunState state;  // designed: the design pass has run on it
  DesignOutcome outcome = DesignOutcome::Designed;
  // The parts' Q: losses, efficiency and the compensated values are reported only with one.
  std::optional<LossModel> losses;
  // The measured files the settings make the source or load follow, if any.
  std::optional<MeasuredSide> measuredSource;
  std::optional<MeasuredSide> measuredLoad;
  // Lines of tolerance results, when a tolerance analysis has been run; none leaves the section
  // out.
  std::vector<std::string> toleranceLines;
  // Lines of the band design chosen for the report on the response window's Band page; none
  // leaves the section out.
  std::vector<std::string> bandLines;
  // The feedline's figures at the design frequency, line for line as the report text gives
  // them, when the design has a line; none leaves the section out.
  std::vector<std::string> feedlineLines;
  // The design is re-solved for its lossy parts: the plot shows that network.
  bool compensate = false;
  // What the design model answered for the plot and the standard values (the sweep with the
  // losses and the measured files); none: the lossless design over the default span, and the
  // lossless standard values.
  std::optional<ReportPlot> plot;
  std::optional<StandardSolutions> standard;
};

// The report's PDF file, byte for byte the same for the same inputs.
std::string DesignReportPdf(const ReportInputs& inputs);

}  // namespace corvantile::report
