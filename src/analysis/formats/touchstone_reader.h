#pragma once

// Reading Touchstone files (version 1.x .sNp and version 2.0), the measured networks that
// analysers and simulators write; the counterpart of touchstone.h, which writes them. Every
// file becomes S-parameters in full double precision against each port's reference
// impedance, and the impedance a port presents can be read at any frequency of the file's
// band.
#include <complex>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "state/file_reader.h"
#include "units/value_text.h"  // FrequencyText, for the messages that name a frequency

namespace corvantile {

enum class TouchstoneParameter { S, Y, Z };
enum class TouchstoneFormat { RI, MA, DB };

// "S", "Y", "Z"; "RI", "MA", "DB".
std::string_view TouchstoneParameterName(TouchstoneParameter parameter);
std::string_view TouchstoneFormatName(TouchstoneFormat format);

// A file as read. The network data of frequency i is the S matrix s[i * ports * ports +
// row * ports + column] (row and column from 0), converted from Y or Z when the file held
// those, against the reference impedances of its ports.
//
// Those are real and the same at every frequency (referenceImpedances) unless the file says
// otherwise: a complex one in the option line as scikit-rf writes it ("# GHz S RI R (50+50j)"),
// or one per port and frequency in the "! Port Impedance" comments a field solver writes after
// each record when its header says the data was exported from HFSS or is not renormalized.
// Those are in pointReferences, and S against a complex reference is of power waves (Kurokawa):
// a port with reflection g presents (conj(Zref) + g Zref) / (1 - g), as scikit-rf reads it.
struct TouchstoneData {
  std::string name;  // the display name the file was read under
  int version = 1;   // 1 for version 1.0 / 1.1 files, 2 for version 2.0
  int ports = 0;
  TouchstoneParameter parameter = TouchstoneParameter::S;  // as written in the file
  TouchstoneFormat format = TouchstoneFormat::MA;          // as written in the file
  std::vector<double> referenceImpedances;                 // ohms, one per port (real parts)
  std::vector<double> frequencies;                         // Hz, strictly rising
  std::vector<std::complex<double>> s;
  // Points x ports, pointReferences[point * ports + port]; empty when referenceImpedances hold.
  std::vector<std::complex<double>> pointReferences;

  // The reference impedance of `port` (from 0) at frequency `point`.
  std::complex<double> Reference(std::size_t point, int port) const {
    if (pointReferences.empty()) return referenceImpedances[static_cast<std::size_t>(port)];
    return pointReferences[point * static_cast<std::size_t>(ports) +
                           static_cast<std::size_t>(port)];
  }

  std::size_t Points() const { return frequencies.size(); }
  std::complex<double> S(std::size_t point, int row, int column) const {
    const std::size_t n = static_cast<std::size_t>(ports);
    return s[point * n * n + static_cast<std::size_t>(row) * n + static_cast<std::size_t>(column)];
  }
};

// Either the data or one line saying why there is none: "NAME:LINE: message"
// ("antenna.s1p:17: expected 3 numbers, found 2"), or "NAME: message" for the file as a whole.
struct TouchstoneRead {
  std::string error;  // empty when the file was read
  TouchstoneData data;

  bool Ok() const { return error.empty(); }
};

// The most ports a file may have; a record of n ports has 2 n^2 + 1 numbers.
inline constexpr int kMaxTouchstonePorts = 99;

// Reads a whole file from its text; `name` is used in messages and, for a version 1 file,
// gives the number of ports by its extension (".s2p" -> 2, any case). `ports` > 0 overrides
// the extension (a version 2 file states its own). Numbers are read in the C locale's form
// whatever the environment. A UTF-8 byte-order mark at the start is passed over, and a line
// may end in LF, CR LF or CR alone. Never allocates much more than the text itself takes.
TouchstoneRead ReadTouchstoneText(std::string_view text, std::string_view name, int ports = 0);

// The largest file read, and its longest line. A gibibyte holds some 60 million one-port
// points, far beyond any instrument's sweep, while what is read from it stays within memory
// and its line numbers within an int. A line of 16 MiB holds a whole record of the most ports
// a file may have (19,603 numbers, well under 1 MiB) and any comment an exporting tool writes,
// while a stream without line breaks is refused after that much.
inline constexpr std::uintmax_t kMaxTouchstoneBytes = std::uintmax_t{1} << 30;
inline constexpr std::size_t kMaxTouchstoneLine = std::size_t{1} << 24;

// Reads the file at `path`, named in messages by its file name ("antenna.s1p"), in one pass
// within the limits above. RegularOrStream also reads a pipe or FIFO once from start to end
// ("-" is standard input); RegularOnly refuses them, so that the desktop program never waits.
TouchstoneRead ReadTouchstoneFile(const std::string& path,
                                  InputKinds kinds = InputKinds::RegularOnly);

// The impedance behind a power-wave reflection g against a reference Zref:
// (conj(Zref) + g Zref) / (1 - g); 0 -> conj(Zref), and for a real Zref, Zref (1 + g) / (1 - g).
// g = 1 gives an infinite resistance.
std::complex<double> PowerWaveImpedance(std::complex<double> reflection,
                                        std::complex<double> reference);

// The impedance that port k of a file presents with every other port terminated in its
// reference impedance, Zref (1 + Skk) / (1 - Skk), or (conj(Zref) + Skk Zref) / (1 - Skk) for a
// complex or per-frequency reference. Between file points Skk (and a per-frequency reference)
// is interpolated linearly in frequency on its real and imaginary parts; at a file point it is
// that point; outside the band there is no value.
class TouchstonePort {
 public:
  // `port` from 1 to data.ports; `data` must have been read without error.
  TouchstonePort(const TouchstoneData& data, int port);

  const std::string& FileName() const { return name_; }
  int Port() const { return port_; }
  // The real reference of the port's first point; a file with complex or per-frequency
  // references has its own at each point.
  double ReferenceImpedance() const { return reference_; }
  double From() const { return frequencies_.front(); }                     // Hz
  double To() const { return frequencies_.back(); }                        // Hz
  const std::vector<double>& Frequencies() const { return frequencies_; }  // the file's, Hz

  bool Covers(double hertz) const { return hertz >= From() && hertz <= To(); }
  // "3.75 MHz is outside antenna.s1p's band (1 MHz to 3 MHz)".
  std::string OutsideBandText(double hertz) const;

  // At a frequency the band covers.
  std::complex<double> Reflection(double hertz) const;
  std::complex<double> Impedance(double hertz) const;

  // The impedances at ascending frequencies the band covers, into `out` (resized), walking
  // the file once instead of searching it at every point.
  void Impedances(const std::vector<double>& hertz, std::vector<std::complex<double>>& out) const;

  // Zref (1 + g) / (1 - g) against ReferenceImpedance(): 0 -> Zref; 1 -> an infinite
  // resistance.
  std::complex<double> ImpedanceOf(std::complex<double> reflection) const;

 private:
  std::complex<double> Between(std::size_t below, double hertz) const;
  std::complex<double> ImpedanceBetween(std::size_t below, double hertz) const;

  std::string name_;
  int port_ = 1;
  double reference_ = 50.0;
  std::vector<double> frequencies_;
  std::vector<std::complex<double>> reflections_;
  std::vector<std::complex<double>> references_;  // one per point, or empty for reference_
};

// One line of why port `port` cannot be used, or "" when it can: "antenna.s1p has no port 2".
std::string TouchstonePortProblem(const TouchstoneData& data, int port);

}  // namespace corvantile
