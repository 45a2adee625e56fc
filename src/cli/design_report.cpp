#include "cli/design_report.h"

namespace corvantile::cli {

JsonObject DesignJson(const RunState& state, DesignOutcome outcome, const DesignCaptions& shown) {
  JsonObject captions;
  for (const auto& [name, caption] : shown.captions) captions.AddString(name, caption);
  JsonObject visible;
  for (const auto& [name, isShown] : VisibleOnOpening(shown)) visible.AddBool(name, isShown);
  JsonObject json;
  json.AddNumberArray("SourceValues", state.SourceValues)
      .AddNumberArray("NetValues", state.NetValues)
      .AddNumberArray("LoadValues", state.LoadValues)
      .AddObject("captions", captions)
      .AddObject("visible", visible)
      .AddBool("caution", outcome == DesignOutcome::Impossible);
  return json;
}

}  // namespace corvantile::cli
