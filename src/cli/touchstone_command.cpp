#include "cli/touchstone_command.h"

#include <array>
#include <charconv>
#include <cmath>
#include <complex>
#include <cstdio>
#include <functional>
#include <optional>
#include <sstream>
#include <vector>

#include "analysis/formats/number_text.h"
#include "analysis/formats/touchstone_reader.h"
#include "cli/command_output.h"
#include "cli/json_output.h"
#include "cli/line_options.h"
#include "state/message_text.h"

namespace corvantile::cli {
namespace {

int Refuse(std::ostream& err, std::string_view message) {
  err << "corvantile-cli: touchstone: " << OneLine(message) << '\n';
  return kExitUsage;
}

// A frequency in hertz: a number read to the full double, then an optional SI prefix and
// "Hz" ("3750000", "3.75M", "80 GHz", "937.5kHz"). Not through ParseValue, which holds values
// at the 10 GHz the design works up to: measured files go well beyond.
bool ReadFrequency(std::string_view text, double& hertz) {
  const char* const end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, hertz);
  if (ec != std::errc()) return false;
  std::string_view rest(ptr, static_cast<std::size_t>(end - ptr));
  while (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1);
  if (rest.size() >= 2 &&
      (rest.substr(rest.size() - 2) == "Hz" || rest.substr(rest.size() - 2) == "hz")) {
    rest.remove_suffix(2);
  }
  if (rest.size() > 1) return false;
  if (rest.size() == 1) {
    static constexpr std::string_view kPrefixes = "pnumkKMgG";
    static constexpr double kScales[] = {1e-12, 1e-9, 1e-6, 1e-3, 1e3, 1e3, 1e6, 1e9, 1e9};
    const std::size_t k = kPrefixes.find(rest.front());
    if (k == std::string_view::npos) return false;
    hertz *= kScales[k];
  }
  return std::isfinite(hertz);
}

// Full precision for files; an open port (no finite impedance) is "open" in text, null in JSON.
std::string Ohms(double value) { return std::isfinite(value) ? ExactNumber(value) : "open"; }

std::string References(const TouchstoneData& data) {
  if (!data.pointReferences.empty()) {
    // Complex, and perhaps one per frequency: the first point's, as R + jX.
    std::string text;
    for (int port = 0; port < data.ports; ++port) {
      const std::complex<double> z = data.Reference(0, port);
      if (port > 0) text += ", ";
      text += ExactNumber(z.real()) + (z.imag() < 0.0 ? " - j" : " + j") +
              ExactNumber(std::abs(z.imag()));
    }
    return text + " ohms at the first point (complex: power waves)";
  }
  std::string text;
  for (std::size_t k = 0; k < data.referenceImpedances.size(); ++k) {
    if (k > 0) text += ", ";
    text += ExactNumber(data.referenceImpedances[k]);
  }
  return text + " ohms";
}

constexpr std::array<std::string_view, 4> kTouchstoneFormats{"table", "csv", "json", "s1p"};

struct Row {
  double frequency;
  std::complex<double> impedance;
};

std::string SummaryLines(const TouchstoneData& data, int port, std::string_view prefix) {
  std::string text;
  text += std::string(prefix) + "File:        " + data.name + " (version " +
          (data.version == 2 ? "2.0" : "1") + ", " + std::to_string(data.ports) +
          (data.ports == 1 ? " port, " : " ports, ") + std::to_string(data.Points()) +
          (data.Points() == 1 ? " point)\n" : " points)\n");
  text += std::string(prefix) + "Band:        " + FrequencyText(data.frequencies.front()) + " to " +
          FrequencyText(data.frequencies.back()) + "\n";
  text += std::string(prefix) +
          "Data:        " + std::string(TouchstoneParameterName(data.parameter)) + "-parameters, " +
          std::string(TouchstoneFormatName(data.format)) + "\n";
  text += std::string(prefix) + "Reference:   " + References(data) + "\n";
  text += std::string(prefix) + "Port:        " + std::to_string(port) + "\n";
  return text;
}

// The rows are written as they are computed, never held: a file of ten million points lists
// in the memory the file itself takes.
using EachRow = std::function<void(const std::function<void(const Row&)>&)>;

void WriteTable(std::ostream& out, const TouchstoneData& data, int port, const EachRow& rows) {
  out << SummaryLines(data, port, "") << "\n";
  char line[160];
  std::snprintf(line, sizeof line, "%-24s %-24s %s\n", "Frequency (Hz)", "Resistance (ohms)",
                "Reactance (ohms)");
  out << line;
  rows([&](const Row& row) {
    std::snprintf(line, sizeof line, "%-24s %-24s %s\n", ExactNumber(row.frequency).c_str(),
                  Ohms(row.impedance.real()).c_str(), Ohms(row.impedance.imag()).c_str());
    out << line;
  });
}

void WriteCsv(std::ostream& out, const TouchstoneData& data, int port, const EachRow& rows) {
  out << SummaryLines(data, port, "# ") << "frequency_hz,resistance_ohm,reactance_ohm\n";
  rows([&](const Row& row) {
    out << ExactNumber(row.frequency) << ',' << Ohms(row.impedance.real()) << ','
        << Ohms(row.impedance.imag()) << '\n';
  });
}

void WriteJson(std::ostream& out, const TouchstoneData& data, int port, const EachRow& rows) {
  Json references = Json::array();
  for (const double z : data.referenceImpedances) references.push_back(ComputedNumber(z));
  Json json;
  json["file"] = data.name;
  json["version"] = data.version == 2 ? 2 : 1;
  json["ports"] = data.ports;
  json["points"] = data.Points();
  json["from_hz"] = ComputedNumber(data.frequencies.front());
  json["to_hz"] = ComputedNumber(data.frequencies.back());
  json["parameter"] = TouchstoneParameterName(data.parameter);
  json["format"] = TouchstoneFormatName(data.format);
  json["reference_impedances_ohm"] = std::move(references);
  json["port"] = port;
  json["impedance"] = Json::array();
  // The object as JsonLine writes it, with the points streamed into its last, empty array.
  std::string head = JsonLine(json);
  head.resize(head.size() - 3);  // "]}\n"
  out << head;
  bool first = true;
  rows([&](const Row& row) {
    Json point;
    point["frequency_hz"] = ComputedNumber(row.frequency);
    point["resistance_ohm"] = ComputedNumber(row.impedance.real());
    point["reactance_ohm"] = ComputedNumber(row.impedance.imag());
    if (!first) out << ',';
    first = false;
    out << point.dump();
  });
  out << "]}\n";
}

struct TouchstoneArguments {
  std::string file;
  int port = 1;
  std::vector<double> at;
  OutputRequest output;
  std::optional<LineChoice> line;
  LineDirection direction = LineDirection::Remove;
};

bool Refused(std::string& error, std::string message) {
  error = std::move(message);
  return false;
}

CommandOptions Bind(TouchstoneArguments& a) {
  const auto line = [&a](std::string_view option, LineDirection direction) {
    return [&a, option, direction](std::string_view value, std::string& error) {
      if (a.line) return Refused(error, "give --add-line or --remove-line once");
      a.line.emplace();
      a.direction = direction;
      return ParseLineChoice(option, value, *a.line, error);
    };
  };
  std::vector<OptionDecl> own{
      {.name = "--port",
       .value_name = "N",
       .help = "the port (default 1)",
       .read =
           [&a](std::string_view value, std::string& error) {
             const auto [ptr, ec] =
                 std::from_chars(value.data(), value.data() + value.size(), a.port);
             if (ec != std::errc() || ptr != value.data() + value.size() || a.port < 1) {
               return Refused(error, "--port: " + QuotedValue(value) + " is not a port number");
             }
             return true;
           }},
      {.name = "--at",
       .value_name = "F",
       .help = "a frequency in Hz, plain (3750000) or with a prefix (3.75M, 80GHz);\n"
               "may be given again; without it, every point of the file",
       .read =
           [&a](std::string_view value, std::string& error) {
             double hertz = 0.0;
             if (!ReadFrequency(value, hertz)) {
               return Refused(error, "--at: " + QuotedValue(value) + " is not a frequency");
             }
             a.at.push_back(hertz);
             return true;
           },
       .repeats = true},
      {.name = "--add-line",
       .value_name = "LINE",
       .help = "the impedance seen through LINE with the port at its far\n"
               "end (the antenna's impedance as the radio end sees it)",
       .read = line("--add-line", LineDirection::Add)},
      {.name = "--remove-line",
       .value_name = "LINE",
       .help = "the impedance at the far end of LINE when the file was\n"
               "measured at its near end (the antenna's own impedance)\n"
               "LINE is CABLE:LENGTH (RG-213:30, RG-58:100ft) or\n"
               "Z0:VF:LOSS@FREQ,...:LENGTH, as --line of the design\n"
               "command takes it",
       .read = line("--remove-line", LineDirection::Remove)},
  };
  return {
      .command = "touchstone",
      .groups = {{"Options:\n", std::move(own), {}},
                 OutputGroup(a.output,
                             "table (default), csv (the summary as '#' lines), json, or s1p:\n"
                             "the impedances as a one-port Touchstone file (S, RI) against\n"
                             "the port's reference impedance")},
      // FILE; "-" is standard input.
      .operand =
          [&a](std::string_view argument, std::string& error) {
            if (!a.file.empty()) {
              return Refused(error, "unexpected argument " + QuotedValue(argument) +
                                        " (see corvantile-cli touchstone --help)");
            }
            a.file = std::string(argument);
            return true;
          },
  };
}

}  // namespace

CommandOptions TouchstoneCommandOptions() { return Declared(Bind); }

std::string TouchstoneHelp() {
  return "Usage: corvantile-cli touchstone FILE [OPTIONS]\n"
         "\n"
         "Reads a Touchstone file (version 1 .s1p to .sNp, or version 2.0) as a network\n"
         "analyser or simulator writes it and prints what it holds (ports, points, band,\n"
         "reference impedances, the parameter and format read) and the impedance one port\n"
         "presents with every other port terminated in its reference impedance,\n"
         "Zref (1 + Skk) / (1 - Skk), as resistance and reactance in ohms; against a complex\n"
         "reference (the option line's R (50+50j), or a field solver's \"! Port Impedance\"\n"
         "comments) (conj(Zref) + Skk Zref) / (1 - Skk), as scikit-rf reads it. Between\n"
         "the file's points Skk is interpolated linearly in frequency on its real and\n"
         "imaginary parts; outside the file's band there is no value.\n"
         "\n"
         "FILE is read once from start to end, so a pipe works too; - is standard input. A\n"
         "version 1 file read that way has no name to give its ports: use version 2.0 there.\n"
         "A file may hold at most 1 GiB, and a line at most 16 MiB.\n" +
         OptionsHelp(TouchstoneCommandOptions()) +
         "\n"
         "Exit status: 0 read; 2 bad command line, unreadable or malformed file, no such port,\n"
         "a frequency outside the file's band, or a file that cannot be written, with one\n"
         "line on stderr and nothing on stdout.\n"
         "\n"
         "Examples:\n"
         "  corvantile-cli touchstone antenna.s1p\n"
         "  corvantile-cli touchstone amplifier.s2p --port 2 --at 3.75M --at 4M --format json\n";
}

int RunTouchstoneCommand(std::span<const std::string_view> arguments, std::ostream& out,
                         std::ostream& err) {
  TouchstoneArguments a;
  std::string error;
  switch (ParseOptions(Bind(a), arguments, error)) {
    case ParseResult::Help:
      out << TouchstoneHelp();
      return kExitOk;
    case ParseResult::Failed:
      return Fail(err, error);
    case ParseResult::Ready:
      break;
  }
  const std::string& file = a.file;
  const int port = a.port;
  const std::vector<double>& at = a.at;
  const OutputRequest& output = a.output;
  const std::optional<LineChoice>& line = a.line;
  const LineDirection direction = a.direction;
  std::string format;
  if (!ChooseFormat(output, kTouchstoneFormats, format, error)) return Refuse(err, error);
  if (file.empty())
    return Refuse(err, "needs a Touchstone file (see corvantile-cli touchstone --help)");

  const TouchstoneRead read = ReadTouchstoneFile(file, InputKinds::RegularOrStream);
  if (!read.Ok()) return Refuse(err, read.error);
  const std::string portProblem = TouchstonePortProblem(read.data, port);
  if (!portProblem.empty()) return Refuse(err, portProblem);
  const TouchstonePort measured(read.data, port);

  // A point outside the file's band is refused before anything is written.
  for (const double f : at) {
    if (!measured.Covers(f)) return Refuse(err, measured.OutsideBandText(f));
  }
  // Each row is computed as it is written, never held: listed on standard output, a file of
  // ten million points streams; into a file, only the text is held for the atomic writer.
  const EachRow each = [&](const std::function<void(const Row&)>& visit) {
    auto visitAt = [&](double f) {
      Row row{f, measured.Impedance(f)};
      if (line) row.impedance = ThroughLine(line->line, f, row.impedance, direction);
      visit(row);
    };
    if (at.empty()) {
      for (const double f : read.data.frequencies) visitAt(f);
    } else {
      for (const double f : at) visitAt(f);
    }
  };
  std::ostringstream held;
  std::ostream& text = output.file ? static_cast<std::ostream&>(held) : out;
  if (format == "s1p") {
    text << "! " << read.data.name << " port " << port;
    if (line) {
      text << (direction == LineDirection::Add ? " seen through " : " with ") << line->description
           << (direction == LineDirection::Add ? "" : " removed");
    }
    // A field solver's reactive reference is no reference for a one-port file: 50 ohms then.
    const double reference =
        measured.ReferenceImpedance() > 0.0 ? measured.ReferenceImpedance() : 50.0;
    text << "\n# Hz S RI R " << ExactNumber(reference) << "\n";
    each([&](const Row& row) {
      const std::complex<double> g = ReflectionOf(row.impedance, reference);
      text << ExactNumber(row.frequency) << ' ' << ExactNumber(g.real()) << ' '
           << ExactNumber(g.imag()) << '\n';
    });
  } else if (format == "json") {
    WriteJson(text, read.data, port, each);
  } else if (format == "csv") {
    WriteCsv(text, read.data, port, each);
  } else {
    WriteTable(text, read.data, port, each);
  }
  if (!output.file) return kExitOk;
  return Deliver(held.str(), output, out, err);
}

}  // namespace corvantile::cli
