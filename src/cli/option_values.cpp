#include "cli/option_values.h"

#include <cmath>

#include "analysis/formats/number_text.h"
#include "state/message_text.h"
#include "units/parse.h"

namespace corvantile::cli {
namespace {

// "1 mHz to 10 GHz"; a plain number as it is written when that is short ("0.001 to 1000"),
// else with its prefix ("-10 G to 10 G").
std::string EndText(double value, std::string_view unit) {
  const double size = std::fabs(value);
  if (unit.empty() && (value == 0.0 || (size >= 1e-3 && size < 1e6))) return ExactNumber(value);
  return EngineeringText(value, unit);
}

std::string RangeText(const ValueRange& range) {
  return EndText(range.low, range.unit) + " to " + EndText(range.high, range.unit);
}

}  // namespace

bool ReadOptionValue(std::string_view option, std::string_view text, const ValueRange& range,
                     double& value, std::string& error) {
  const StrictValue read = ParseValueStrict(text);
  const std::string head = std::string(option) + ": " + QuotedValue(text) + " ";
  if (read.problem == StrictProblem::NotAValue) {
    error = head + StrictProblemText(read.problem);
    return false;
  }
  // The option's own range first: "0.000000000001" as a frequency is below it, whatever else.
  if (!(read.value >= range.low && read.value <= range.high)) {
    error = head + "is outside " + RangeText(range);
    return false;
  }
  if (read.problem != StrictProblem::None) {
    error = head + StrictProblemText(read.problem);
    return false;
  }
  value = read.value;
  return true;
}

bool ReadOptionValue(std::string_view option, std::string_view text, const ValueRange& range,
                     float& value, std::string& error) {
  double exact = 0.0;
  if (!ReadOptionValue(option, text, range, exact, error)) return false;
  value = static_cast<float>(exact);
  return true;
}

bool ReadOptionPercent(std::string_view option, std::string_view text, const ValueRange& range,
                       double& fraction, std::string& error) {
  std::string_view number = text;
  if (number.ends_with('%')) number.remove_suffix(1);
  double percent = 0.0;
  if (!ReadOptionValue(option, number, range, percent, error)) {
    // Quote what was typed, the percent sign included.
    const std::string typed = QuotedValue(number);
    const std::size_t at = error.find(typed);
    if (at != std::string::npos) error.replace(at, typed.size(), QuotedValue(text));
    return false;
  }
  fraction = percent / 100.0;
  return true;
}

}  // namespace corvantile::cli
