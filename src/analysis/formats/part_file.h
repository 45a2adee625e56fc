#pragma once

// A real part as its maker measured it: a Touchstone file of the part alone, a 2-port with the
// part in series between ports 1 and 2 or in shunt from the through line to ground, as makers
// publish them, or a 1-port. The part's impedance is read from S21 (or S11) interpolated over
// the file's band.
#include <complex>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/formats/touchstone_reader.h"

namespace corvantile {

enum class PartFileMounting { Series, Shunt, OnePort };

// "series", "shunt", "1-port".
std::string_view PartFileMountingName(PartFileMounting mounting);

// The part's impedance from the transmission S21 of a test fixture with reference Z0 at both
// ports: in series 2 Z0 (1 - S21) / S21 (S21 0.5 -> 100 ohm at 50 ohm); in shunt
// Z0 S21 / (2 (1 - S21)) (S21 0.5 -> 25 ohm). A transmission of 0 (in series) or 1 (in shunt)
// is an open or a short.
std::complex<double> SeriesPartImpedance(std::complex<double> s21, double z0);
std::complex<double> ShuntPartImpedance(std::complex<double> s21, double z0);

class PartFile {
 public:
  // The measured impedance at every point of `data` (read without error; 1 or 2 ports, a 2-port
  // as `mounting` says). `error` says why the file cannot be a part ("cap.s3p: a part file has
  // 1 or 2 ports"); the part is then empty.
  PartFile(const TouchstoneData& data, PartFileMounting mounting, std::string& error);

  const std::string& FileName() const { return name_; }
  PartFileMounting Mounting() const { return mounting_; }
  double From() const { return frequencies_.front(); }  // Hz
  double To() const { return frequencies_.back(); }     // Hz
  bool Covers(double hertz) const { return hertz >= From() && hertz <= To(); }
  // "50 MHz is outside cap.s2p's band (100 MHz to 6 GHz)".
  std::string OutsideBandText(double hertz) const;

  // The impedance at `hertz`, interpolated linearly on the measured transmission between the
  // file's points; outside the band, the nearest edge's.
  std::complex<double> Impedance(double hertz) const;

  // Where the reactance first changes sign from its value at the band's start (interpolated
  // linearly between points), or 0 when it never does within the band.
  double FirstResonance() const;

 private:
  std::complex<double> ImpedanceOf(std::complex<double> measured) const;

  std::string name_;
  PartFileMounting mounting_ = PartFileMounting::Series;
  double z0_ = 50.0;
  std::vector<double> frequencies_;
  std::vector<std::complex<double>> measured_;  // S21, or S11 for a 1-port
};

// Reads a part file at `path`; "" and the part, or one line naming the file and why not.
struct PartFileRead {
  std::string error;
  std::shared_ptr<const PartFile> part;
};
PartFileRead ReadPartFile(const std::string& path, PartFileMounting mounting);

}  // namespace corvantile
