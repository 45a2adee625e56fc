#include "dialogs/feedline_dialog.h"

#include <charconv>
#include <cmath>

#include "analysis/circuits/transmission_line.h"
#include "state/message_text.h"

namespace corvantile {
namespace {

// The cable a new line starts with: RG-213, a common choice for a station's feedline.
std::size_t DefaultCable() {
  const CableType* cable = FindCable("RG-213");
  return cable == nullptr ? 0 : static_cast<std::size_t>(cable - CableTable().data());
}

// "30", "30m", "98.4ft" -> "30", "30", "98.4" with the unit.
void ReadLength(std::string_view text, FeedlineForm& form) {
  form.feet = text.size() > 2 && text.substr(text.size() - 2) == "ft";
  if (form.feet) {
    text.remove_suffix(2);
  } else if (!text.empty() && text.back() == 'm') {
    text.remove_suffix(1);
  }
  form.length = std::string(text);
}

}  // namespace

std::vector<std::string> FeedlineCableChoices() {
  std::vector<std::string> choices;
  for (const CableType& cable : CableTable()) choices.emplace_back(cable.name);
  choices.emplace_back(kTypedFigures);
  return choices;
}

FeedlineForm FeedlineFormOf(const DesignModel& model) {
  FeedlineForm form;
  form.cable = DefaultCable();
  const std::optional<FeedlineSetting>& feedline = model.Feedline();
  if (!feedline) return form;
  form.none = false;
  form.atSource = feedline->atSource;
  const std::string& text = feedline->line;
  const std::size_t colon = text.rfind(':');
  const std::string_view head =
      colon == std::string::npos ? std::string_view() : std::string_view(text).substr(0, colon);
  ReadLength(colon == std::string::npos ? std::string_view(text)
                                        : std::string_view(text).substr(colon + 1),
             form);
  if (const CableType* cable = FindCable(head); cable != nullptr && head.find(':') == head.npos) {
    form.cable = static_cast<std::size_t>(cable - CableTable().data());
  } else {
    form.cable = CableTable().size();
    form.figures = std::string(head);
  }
  return form;
}

bool FeedlineTextOf(const FeedlineForm& form, std::string& text, std::string& error) {
  double length = 0.0;
  const char* const begin = form.length.data();
  const char* const end = begin + form.length.size();
  const auto [ptr, ec] = std::from_chars(begin, end, length);
  if (ec != std::errc() || ptr != end || !std::isfinite(length) || !(length > 0.0)) {
    error = "the feedline's length " + QuotedValue(form.length) + " is not a number above 0";
    return false;
  }
  const std::string unit = form.feet ? "ft" : "";
  if (form.cable < CableTable().size()) {
    text = std::string(CableTable()[form.cable].name) + ":" + form.length + unit;
    return true;
  }
  if (form.figures.empty()) {
    error = "give the line's figures as Z0:VF:LOSS@FREQ (50:0.66:0.6@10M), or choose a cable";
    return false;
  }
  text = form.figures + ":" + form.length + unit;
  return true;
}

std::string ApplyFeedlineForm(DesignModel& model, const FeedlineForm& form) {
  if (form.none) {
    model.RemoveFeedline();
    return {};
  }
  std::string text, error;
  if (!FeedlineTextOf(form, text, error)) return error;
  return model.PutFeedline(text, form.atSource ? MeasuredSideKind::Source : MeasuredSideKind::Load);
}

}  // namespace corvantile
