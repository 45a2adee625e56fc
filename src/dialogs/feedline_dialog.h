#pragma once

// The feedline dialog's logic, without the window: what it shows for the design's line, the
// line's text it makes of what was chosen (the command line's --line grammar, which the design
// model reads), and applying it through the model. The Qt dialog (qt/frm_feedline.h) only
// shows a FeedlineForm and hands it back.
//
//   FeedlineForm form = FeedlineFormOf(model);   // no line: "No feedline", RG-213, 30 m, load
//   form.none = false;
//   ApplyFeedlineForm(model, form)  -> "" and the load seen through 30 m of RG-213
#include <string>
#include <vector>

#include "model/design_model.h"

namespace corvantile {

struct FeedlineForm {
  bool none = true;       // "No feedline": the line is taken away
  std::size_t cable = 0;  // CableTable()'s index; CableTable().size() for "Typed figures"
  std::string figures;    // with typed figures: "Z0:VF:LOSS@FREQ,..." ("50:0.66:0.6@10M")
  std::string length = "30";
  bool feet = false;      // the length in feet, else metres
  bool atSource = false;  // between the source and the network, else the network and the load

  friend bool operator==(const FeedlineForm&, const FeedlineForm&) = default;
};

// The cable list's entries: the table's names, then "Typed figures".
std::vector<std::string> FeedlineCableChoices();
inline constexpr std::string_view kTypedFigures = "Typed figures";

// The form for the model's line: "RG-213:30" -> RG-213, "30", metres; "RG-58:100ft" -> feet;
// any other line (its figures, or measured:OPEN:SHORT) -> typed figures with everything before
// the length. Without a line: "No feedline" over RG-213 (or the table's first), 30 m, the load.
FeedlineForm FeedlineFormOf(const DesignModel& model);

// The line's text: RG-213, "30", metres -> "RG-213:30"; feet -> "RG-213:30ft"; typed figures
// "50:0.66:0" with "12.5" -> "50:0.66:0:12.5". A length that is not a number above 0 gives a
// one-line `error`.
bool FeedlineTextOf(const FeedlineForm& form, std::string& text, std::string& error);

// The form through the model (one change): "" when it stands, else the one-line reason (the
// length, the line's figures, a seen resistance not above 0) and nothing changed.
std::string ApplyFeedlineForm(DesignModel& model, const FeedlineForm& form);

}  // namespace corvantile
