#include "design/measured_sides.h"

#include <complex>
#include <filesystem>
#include <utility>

namespace corvantile {

std::optional<MeasuredSide>& MeasuredMember(Settings& settings, MeasuredSideKind side) {
  return side == MeasuredSideKind::Source ? settings.measuredSource : settings.measuredLoad;
}

const std::optional<MeasuredSide>& MeasuredMember(const Settings& settings, MeasuredSideKind side) {
  return side == MeasuredSideKind::Source ? settings.measuredSource : settings.measuredLoad;
}

ImpedanceValues& SideValues(RunState& state, MeasuredSideKind side) {
  return side == MeasuredSideKind::Source ? state.SourceValues : state.LoadValues;
}

std::string EnterMeasuredImpedance(RunState& state, MeasuredSideKind side,
                                   const TouchstoneData& data, int port) {
  if (std::string problem = TouchstonePortProblem(data, port); !problem.empty()) return problem;
  const TouchstonePort measured(data, port);
  const double hertz = static_cast<double>(state.NetValues[Frequency]);
  if (!measured.Covers(hertz)) return measured.OutsideBandText(hertz);
  const std::complex<double> z = measured.Impedance(hertz);
  // A passive network cannot match a negative resistance; the typed entry refuses one too.
  if (!(z.real() >= 0.0)) {
    return measured.FileName() + " presents a negative resistance at " + FrequencyText(hertz);
  }
  ImpedanceValues& values = SideValues(state, side);
  values[SeriesR] = static_cast<float>(z.real());
  values[SeriesX] = static_cast<float>(z.imag());
  values[EntryForm] = FormSeriesReactance;
  return {};
}

std::string EnterMeasuredFile(RunState& state, MeasuredSideKind side,
                              const MeasuredSide& measured) {
  const TouchstoneRead read = ReadTouchstoneFile(measured.file);
  if (!read.Ok()) return read.error;
  return EnterMeasuredImpedance(state, side, read.data, measured.port);
}

std::vector<std::string> ReenterMeasuredSides(RunState& state, const Settings& settings) {
  std::vector<std::string> problems;
  for (const MeasuredSideKind side : {MeasuredSideKind::Source, MeasuredSideKind::Load}) {
    const std::optional<MeasuredSide>& measured = MeasuredMember(settings, side);
    if (!measured) continue;
    if (std::string problem = EnterMeasuredFile(state, side, *measured); !problem.empty()) {
      problems.push_back(std::move(problem));
    }
  }
  return problems;
}

std::string MeasuredSideText(const MeasuredSide& measured) {
  std::string text = std::filesystem::path(measured.file).filename().string();
  if (measured.port != 1) text += " port " + std::to_string(measured.port);
  return text;
}

}  // namespace corvantile
