#include "cli/design_report.h"

#include "cli/json_output.h"

namespace corvantile::cli {

Json DesignJson(const RunState& state, DesignOutcome outcome, const DesignCaptions& shown) {
  Json captions = Json::object();
  for (const auto& [name, caption] : shown.captions) captions[name] = caption;
  Json visible = Json::object();
  for (const auto& [name, isShown] : VisibleOnOpening(shown)) visible[name] = isShown;
  Json json;
  json["SourceValues"] = StoredNumbers(state.SourceValues);
  json["NetValues"] = StoredNumbers(state.NetValues);
  json["LoadValues"] = StoredNumbers(state.LoadValues);
  json["captions"] = std::move(captions);
  json["visible"] = std::move(visible);
  json["caution"] = outcome == DesignOutcome::Impossible;
  return json;
}

}  // namespace corvantile::cli
