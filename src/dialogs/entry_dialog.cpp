#include "dialogs/entry_dialog.h"

#include <cmath>

#include "units/format.h"
#include "units/parse.h"

namespace corvantile {
namespace {

// The elements a kind edits (the entry kinds are the entry-form numbers).
int ResistanceElement(int kind) {
  return kind == KindSeriesReactance || kind == KindSeriesPart ? SeriesR : ParallelR;
}

int SecondElement(int kind) {
  switch (kind) {
    case KindParallelReactance:
      return ParallelX;
    case KindSeriesPart:
      return SeriesPart;
    case KindParallelPart:
      return ParallelPart;
    default:
      return SeriesX;
  }
}

bool IsReactanceKind(int kind) {
  return kind == KindSeriesReactance || kind == KindParallelReactance;
}

const char* Heading(int kind) {
  switch (kind) {
    case KindParallelReactance:
      return "Enter parallel resistance and reactance";
    case KindSeriesPart:
      return "Enter series resistance and part value";
    case KindParallelPart:
      return "Enter parallel resistance and part value";
    default:
      return "Enter series resistance and reactance";
  }
}

}  // namespace

EntryDialog::EntryDialog(RunState& state, EntrySide side, toolkit::Window& window)
    : state_(state), side_(side), window_(window) {
  // The design window only ever sets one of the four kinds; anything else (a dialog opened on
  // its own) is treated as the series reactance form rather than written into the entry form.
  kind_ = IsKnownEntryKind(state.EntryKind) ? state.EntryKind : KindSeriesReactance;
}

ImpedanceValues& EntryDialog::values() {
  return side_ == EntrySide::Source ? state_.SourceValues : state_.LoadValues;
}

void EntryDialog::WriteKind() {
  values()[EntryForm] = EntryFormOfKind(kind_);
  values()[EntryFormCopy] = EntryFormOfKind(kind_);
}

void EntryDialog::Form_Load() {
  WriteKind();
  const float r = values()[ResistanceElement(kind_)];
  const float v = values()[SecondElement(kind_)];

  window_.Find("lblHeading").SetText(Heading(kind_));
  resistanceText_ = FormatEngineering(r);
  window_.Find("Label1").SetText("Resistance is now " + resistanceText_ + "ohms");
  window_.Find("Label2").SetText("New resistance: ");

  const bool capacitive = v < 0.0f;
  if (IsReactanceKind(kind_)) {
    secondText_ = FormatEngineering(v);
    window_.Find("Label3").SetText("Reactance is now " + secondText_);
    window_.Find("Label4").SetText("Reactance (ohms): ");
  } else if (capacitive) {
    secondText_ = FormatCapacitance(std::fabs(v));
    window_.Find("Label3").SetText("Value is now " + secondText_);
    window_.Find("Label4").SetText("Value (F or H): ");
  } else {
    secondText_ = FormatInductance(v);
    window_.Find("Label3").SetText("Value is now " + secondText_);
    window_.Find("Label4").SetText("Value (H or F): ");
  }
  // Select before clearing: an exclusive group refuses to clear its only selected button.
  window_.Find(capacitive ? "Option2" : "Option1").SetChecked(true);
  window_.Find(capacitive ? "Option1" : "Option2").SetChecked(false);
}

void EntryDialog::cmdExit_Click() {
  WriteKind();
  ImpedanceValues& array = values();

  toolkit::Control& text1 = window_.Find("Text1");
  if (text1.Text().empty()) text1.SetText(resistanceText_);
  parsedResistance_ = ParseValue(text1.Text());
  array[ResistanceElement(kind_)] = std::fabs(parsedResistance_);

  toolkit::Control& text2 = window_.Find("Text2");
  if (text2.Text().empty()) text2.SetText(secondText_);
  float& second = array[SecondElement(kind_)];
  second = ParseValue(text2.Text());

  if (window_.Find("Option1").IsChecked()) {
    second = std::fabs(second);
  } else if (window_.Find("Option2").IsChecked() && second != 0.0f) {
    second = -std::fabs(second);  // a zero stays +0 rather than becoming -0
  }
  window_.Close();
}

}  // namespace corvantile
