#include "analysis/formats/part_file.h"

#include <algorithm>
#include <cmath>

namespace corvantile {

std::string_view PartFileMountingName(PartFileMounting mounting) {
  switch (mounting) {
    case PartFileMounting::Series:
      return "series";
    case PartFileMounting::Shunt:
      return "shunt";
    case PartFileMounting::OnePort:
      return "1-port";
  }
  return "";
}

std::complex<double> SeriesPartImpedance(std::complex<double> s21, double z0) {
  return 2.0 * z0 * (1.0 - s21) / s21;
}

std::complex<double> ShuntPartImpedance(std::complex<double> s21, double z0) {
  return z0 * s21 / (2.0 * (1.0 - s21));
}

PartFile::PartFile(const TouchstoneData& data, PartFileMounting mounting, std::string& error)
    : name_(data.name), mounting_(mounting) {
  error.clear();
  if (data.ports != 1 && data.ports != 2) {
    error = name_ + ": a part file has 1 or 2 ports, not " + std::to_string(data.ports);
    return;
  }
  if (data.Points() == 0) {
    error = name_ + ": the file holds no frequency";
    return;
  }
  if (!data.pointReferences.empty()) {
    error = name_ + ": a part file needs one real reference impedance at every frequency";
    return;
  }
  if (data.ports == 1) {
    mounting_ = PartFileMounting::OnePort;
  } else if (mounting_ == PartFileMounting::OnePort) {
    mounting_ = PartFileMounting::Series;
  }
  z0_ = data.referenceImpedances.empty() ? 50.0 : data.referenceImpedances.front();
  frequencies_ = data.frequencies;
  measured_.reserve(data.Points());
  for (std::size_t i = 0; i < data.Points(); ++i) {
    measured_.push_back(data.ports == 1 ? data.S(i, 0, 0) : data.S(i, 1, 0));
  }
}

std::string PartFile::OutsideBandText(double hertz) const {
  return FrequencyText(hertz) + " is outside " + name_ + "'s band (" + FrequencyText(From()) +
         " to " + FrequencyText(To()) + ")";
}

std::complex<double> PartFile::ImpedanceOf(std::complex<double> measured) const {
  switch (mounting_) {
    case PartFileMounting::Series:
      return SeriesPartImpedance(measured, z0_);
    case PartFileMounting::Shunt:
      return ShuntPartImpedance(measured, z0_);
    case PartFileMounting::OnePort:
      return z0_ * (1.0 + measured) / (1.0 - measured);
  }
  return {};
}

std::complex<double> PartFile::Impedance(double hertz) const {
  if (hertz <= frequencies_.front()) return ImpedanceOf(measured_.front());
  if (hertz >= frequencies_.back()) return ImpedanceOf(measured_.back());
  const auto above = std::upper_bound(frequencies_.begin(), frequencies_.end(), hertz);
  const std::size_t i = static_cast<std::size_t>(above - frequencies_.begin());
  const double t = (hertz - frequencies_[i - 1]) / (frequencies_[i] - frequencies_[i - 1]);
  return ImpedanceOf(measured_[i - 1] + (measured_[i] - measured_[i - 1]) * t);
}

double PartFile::FirstResonance() const {
  const double first = ImpedanceOf(measured_.front()).imag();
  for (std::size_t i = 1; i < frequencies_.size(); ++i) {
    const double x = ImpedanceOf(measured_[i]).imag();
    if ((first < 0.0 && x >= 0.0) || (first > 0.0 && x <= 0.0)) {
      const double previous = ImpedanceOf(measured_[i - 1]).imag();
      // A parallel resonance jumps through infinity rather than zero, so the crossing is
      // placed linearly on the admittance there, on the impedance at a series one.
      double a = previous, b = x;
      if (first > 0.0) {
        a = -1.0 / previous;
        b = -1.0 / x;
        if (!std::isfinite(b)) return frequencies_[i];
      }
      const double t = a == b ? 0.0 : a / (a - b);
      return frequencies_[i - 1] + t * (frequencies_[i] - frequencies_[i - 1]);
    }
  }
  return 0.0;
}

PartFileRead ReadPartFile(const std::string& path, PartFileMounting mounting) {
  PartFileRead result;
  const TouchstoneRead read = ReadTouchstoneFile(path);
  if (!read.Ok()) {
    result.error = read.error;
    return result;
  }
  std::string error;
  auto part = std::make_shared<PartFile>(read.data, mounting, error);
  if (!error.empty()) {
    result.error = error;
    return result;
  }
  result.part = std::move(part);
  return result;
}

}  // namespace corvantile
