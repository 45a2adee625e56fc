#pragma once

#include <complex>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/formats/touchstone_reader.h"
#include "analysis/solvers/frequency_response.h"
#include "cli/json_value.h"
#include "cli/option_table.h"
#include "model/design_model.h"
#include "state/circuit_state.h"

namespace corvantile::cli {

// The options that describe a circuit, shared by every command that designs one. A command
// lists DesignGroup in its table, which collects the options in order into a DesignRequest,
// and then builds the design from the request:
//
//   DesignRequest request;
//   CommandOptions options{"design", {DesignGroup(request, "Design options:\n"), ...}};
//   ... ParseOptions(options, arguments, error) ...
//   DesignModel model;
//   if (!BuildDesignModel(request, model, error, notes)) return kExitUsage;

// One design option as it stood on the command line, kept for applying in order.
struct DesignSetting {
  std::string option;  // "--power"
  std::string value;   // "1.5k"
};

struct DesignRequest {
  std::optional<std::filesystem::path> session;  // --session: read before every other option
  std::vector<DesignSetting> settings;           // the other options, in command-line order
};

// The design options under `heading`, read into `request` (each at most once), with the
// paragraph on FORM:R:V that --source and --load refer to.
OptionGroup DesignGroup(DesignRequest& request, std::string heading);

// Applies one design option (any but --session) to the state, as the design window's command
// or dialog for that value would: "--frequency" "14.2M" stores 14200000 in Frequency. Values
// are read with ParseValue, but a value with no digit at all is refused rather than read as 0.
// False, with a one-line `error` and the state possibly half-changed, when the value is bad.
// The measured-side options (--load-file ...) are refused here: they need the final design
// frequency, so BuildDesignState applies them after every other option.
bool ApplyDesignOption(std::string_view option, std::string_view value, RunState& state,
                       std::string& error);

// The state of BuildDesignModel below: the starting state (the built-in defaults, or the
// --session file), then every setting in order, then the checks that need all of them: no
// --phase or --fix in an L network, no --branch unless the middle element is fixed. A session
// file that cannot be opened is an error; one that opens but holds fewer than 63 numbers is read
// the program's tolerant way (defaults over what was read) and adds a line to `notes`.
bool BuildDesignState(const DesignRequest& request, RunState& state, std::string& error,
                      std::vector<std::string>& notes);

// A side that --source-file or --load-file took from a measured file: the port read and the
// impedance it presents at the design frequency, which the state holds as series R + jX.
struct MeasuredSide {
  TouchstonePort port;
  std::string path;               // as given on the command line
  std::complex<double> atDesign;  // ohms, interpolated at the design frequency
};

struct MeasuredDesign {
  std::optional<MeasuredSide> source;
  std::optional<MeasuredSide> load;

  bool Any() const { return source || load; }
  MeasuredSides Sides() const {
    return {source ? &source->port : nullptr, load ? &load->port : nullptr};
  }
};

// BuildDesignModel's state and measured sides.
bool BuildDesignState(const DesignRequest& request, RunState& state, std::string& error,
                      std::vector<std::string>& notes, MeasuredDesign& measured);

struct LossOptions;

// The design the options describe, as the design model holds it, the same design the window
// would show: the --session file with the settings file beside it (its measured sides, losses
// and tolerance settings; a missing or damaged one said in `notes`) or the built-in defaults,
// then every typed option in order, then every measured side (the session's and the command
// line's) read at the final design frequency, then `losses` over the session's losses when any
// loss option was given. A session file that cannot be opened, a measured file that cannot be
// read, a port it lacks, a design frequency outside its band ("3.75 MHz is outside antenna.s1p's
// band (1 MHz to 3 MHz)") or a measured resistance not above 0 is an error; `model` is then
// unchanged.
bool BuildDesignModel(const DesignRequest& request, DesignModel& model, std::string& error,
                      std::vector<std::string>& notes, const LossOptions* losses = nullptr);

// The measured sides of a model as this tool reports them.
MeasuredDesign MeasuredDesignOf(const DesignModel& model);

// "load: measured, antenna.s1p port 1: 42.5 + j13.1 ohms at 3.75 MHz".
std::string MeasuredSideLine(std::string_view side, const MeasuredSide& measured,
                             double designFrequency);

// One MeasuredSideLine per measured side, "Source: ..." then "Load: ...", or "" for none.
std::string MeasuredLines(const MeasuredDesign& measured, double designFrequency);

// {"source": {...}, "load": {...}} with the measured sides only, each with "file" (the path
// given), "port", "from_hz", "to_hz" (the file's band) and "resistance_ohm", "reactance_ohm"
// at the design frequency.
Json MeasuredJson(const MeasuredDesign& measured);

}  // namespace corvantile::cli
