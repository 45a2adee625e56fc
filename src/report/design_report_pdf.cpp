#include "report/design_report_pdf.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <complex>
#include <map>
#include <numbers>

#include "analysis/circuits/circuit_text.h"
#include "analysis/circuits/matching_circuit.h"
#include "analysis/formats/number_text.h"
#include "analysis/solvers/frequency_response.h"
#include "analysis/solvers/lossy_network.h"
#include "analysis/studies/standard_design.h"
#include "design/design_captions.h"
#include "report/pdf_writer.h"
#include "report/report_text.h"
#include "state/names.h"
#include "units/format.h"
#include "units/value_text.h"

namespace corvantile::report {
namespace {

constexpr double kLeft = 50.0;
constexpr double kRight = kA4Width - 50.0;
constexpr double kBodySize = 9.5;
constexpr double kLineStep = 13.0;
constexpr PdfColor kBlack{0, 0, 0};
constexpr PdfColor kGrey{0.6, 0.6, 0.6};
constexpr PdfColor kBlue{0.0, 0.25, 0.8};
constexpr PdfColor kRed{0.8, 0.1, 0.1};

// A formatter's text and its unit, one blank between, as the design window's captions read.
std::string SpacedWithUnit(const std::string& formatted, std::string_view unit) {
  const std::string value = Trimmed(formatted);
  return (value.empty() ? std::string("0") : value) + ' ' + std::string(unit);
}

std::string Caption(const DesignCaptions& shown, const std::string& name) {
  const auto found = shown.captions.find(name);
  return found == shown.captions.end() ? std::string() : Trimmed(found->second);
}

std::string SideText(const ImpedanceValues& values) {
  const std::string r = SpacedWithUnit(FormatQuantity(values[SeriesR]), "ohms");
  const float x = values[SeriesX];
  if (std::fabs(x) >= OpenReactanceStored) return r + " in series with an open circuit";
  return r + " in series with " + SpacedWithUnit(FormatQuantity(x), "ohms") + " (parallel " +
         SpacedWithUnit(FormatQuantity(values[ParallelR]), "ohms") + " across " +
         (std::fabs(values[ParallelX]) >= OpenReactanceStored
              ? std::string("open")
              : SpacedWithUnit(FormatQuantity(values[ParallelX]), "ohms")) +
         ")";
}

// One section's heading and the running baseline below it.
class Writer {
 public:
  explicit Writer(PdfDocument& pdf, double y) : pdf_(pdf), y_(y) {}
  void Heading(std::string_view text) {
    y_ += 6.0;
    pdf_.Text(kLeft, y_, 11.0, PdfFont::Bold, text);
    y_ += kLineStep + 2.0;
  }
  void Line(std::string_view text) {
    pdf_.Text(kLeft, y_, kBodySize, PdfFont::Regular, text);
    y_ += kLineStep;
  }
  // Cells at the given x offsets from the left margin.
  void Row(const std::vector<std::string>& cells, const std::vector<double>& columns,
           PdfFont font = PdfFont::Regular) {
    for (std::size_t i = 0; i < cells.size() && i < columns.size(); ++i) {
      pdf_.Text(kLeft + columns[i], y_, kBodySize, font, cells[i]);
    }
    y_ += kLineStep;
  }
  double y() const { return y_; }
  void Skip(double points) { y_ += points; }

 private:
  PdfDocument& pdf_;
  double y_;
};

// --- schematic ----------------------------------------------------------------------------

enum class Direction { Horizontal, Vertical };

// An inductor (four half-turns) or a capacitor (two plates) centred at (cx, cy), 36 points
// long in `direction`, with the leads to both ends drawn.
void DrawPart(PdfDocument& pdf, PartKind kind, double cx, double cy, Direction direction) {
  const double half = 18.0;
  auto at = [&](double along, double across) {
    return direction == Direction::Horizontal ? PdfPoint{cx + along, cy - across}
                                              : PdfPoint{cx + across, cy + along};
  };
  auto segment = [&](double a1, double c1, double a2, double c2) {
    const PdfPoint p = at(a1, c1), q = at(a2, c2);
    pdf.Line(p.x, p.y, q.x, q.y);
  };
  if (kind == PartKind::Capacitor) {
    segment(-half, 0, -3, 0);
    segment(3, 0, half, 0);
    segment(-3, -10, -3, 10);
    segment(3, -10, 3, 10);
    return;
  }
  if (kind == PartKind::Short) {
    segment(-half, 0, half, 0);
    return;
  }
  std::vector<PdfPoint> coil;
  for (int turn = 0; turn < 4; ++turn) {
    for (int step = 0; step <= 8; ++step) {
      const double angle = std::numbers::pi * step / 8.0;
      const double along = -half + 4.5 + 9.0 * turn - 4.5 * std::cos(angle);
      coil.push_back(at(along, 6.0 * std::sin(angle)));
    }
  }
  pdf.Polyline(coil);
}

void DrawResistor(PdfDocument& pdf, double cx, double cy) {
  std::vector<PdfPoint> zigzag{{cx, cy - 18}};
  for (int k = 0; k < 6; ++k) zigzag.push_back({cx + (k % 2 ? -5.0 : 5.0), cy - 12 + 4.8 * k});
  zigzag.push_back({cx, cy + 18});
  pdf.Polyline(zigzag);
}

// The reactance a side's entry form describes, drawn as the design window draws it: a part in
// series with the resistance (series forms) or across it (parallel forms); none when the side
// is resistive.
struct SideReactance {
  bool series = true;
  PartKind kind = PartKind::Open;
};

SideReactance SideReactanceOf(const ImpedanceValues& values) {
  const bool series = IsSeriesForm(values);
  const float x = series ? values[SeriesX] : values[ParallelX];
  if (x == 0.0f || !(std::fabs(x) < OpenReactanceStored)) return {series, PartKind::Open};
  return {series, x > 0.0f ? PartKind::Inductor : PartKind::Capacitor};
}

void DrawSchematic(PdfDocument& pdf, const MatchingCircuit& circuit, const RunState& state,
                   const std::array<std::string, 3>& values, double top) {
  const double rail = top + 30.0, ground = top + 110.0, mid = (rail + ground) / 2.0;
  const double sourceX = kLeft + 30.0, loadX = kRight - 30.0;
  const std::array<double, 3> xs{kLeft + 150.0, (kLeft + kRight) / 2.0, kRight - 150.0};
  const SideReactance source = SideReactanceOf(state.SourceValues);
  const SideReactance load = SideReactanceOf(state.LoadValues);
  const double sourcePartX = sourceX + 45.0, loadPartX = loadX - 45.0;
  pdf.SetLineWidth(1.0);
  // The source: a resistor over a generator circle; the load: a resistor.
  pdf.Line(sourceX, rail, sourceX, rail + 10);
  DrawResistor(pdf, sourceX, rail + 28);
  pdf.Line(sourceX, rail + 46, sourceX, ground - 34);
  pdf.Circle(sourceX, ground - 22, 12);
  pdf.Polyline({{sourceX - 6, ground - 22},
                {sourceX - 3, ground - 27},
                {sourceX + 3, ground - 17},
                {sourceX + 6, ground - 22}});
  pdf.Line(sourceX, ground - 10, sourceX, ground);
  pdf.Text(sourceX - 22, ground + 14, 8, PdfFont::Regular, "Source");
  pdf.Line(loadX, rail, loadX, rail + 22);
  DrawResistor(pdf, loadX, rail + 40);
  pdf.Line(loadX, rail + 58, loadX, ground);
  pdf.Text(loadX - 12, ground + 14, 8, PdfFont::Regular, "Load");
  pdf.Line(sourceX, ground, loadX, ground);
  // A side's shunt reactance stands across its resistance.
  for (const auto& [side, x] : {std::pair{source, sourcePartX}, std::pair{load, loadPartX}}) {
    if (side.series || side.kind == PartKind::Open) continue;
    pdf.Line(x, rail, x, mid - 18);
    DrawPart(pdf, side.kind, x, mid, Direction::Vertical);
    pdf.Line(x, mid + 18, x, ground);
  }
  // The top rail, broken where a series part sits: a side's series reactance or an element.
  std::vector<std::pair<double, PartKind>> seriesParts;
  if (source.series && source.kind != PartKind::Open) {
    seriesParts.emplace_back(sourcePartX, source.kind);
  }
  for (int k = 1; k <= 3; ++k) {
    const auto index = static_cast<std::size_t>(k - 1);
    if (!IsShuntElement(circuit.topology, k)) {
      seriesParts.emplace_back(xs[index], circuit.elements[index].kind);
    }
  }
  if (load.series && load.kind != PartKind::Open) seriesParts.emplace_back(loadPartX, load.kind);
  double from = sourceX;
  for (const auto& [cx, kind] : seriesParts) {
    if (kind == PartKind::Open) continue;  // an open series part would leave no network
    pdf.Line(from, rail, cx - 18, rail);
    DrawPart(pdf, kind, cx, rail, Direction::Horizontal);
    from = cx + 18;
  }
  pdf.Line(from, rail, loadX, rail);
  for (int k = 1; k <= 3; ++k) {
    const auto index = static_cast<std::size_t>(k - 1);
    const CircuitPart& part = circuit.elements[index];
    const double cx = xs[index];
    const std::string label = std::to_string(k) + ": " + values[index];
    if (part.kind == PartKind::Open) continue;
    if (IsShuntElement(circuit.topology, k)) {
      pdf.Line(cx, rail, cx, mid - 18);
      DrawPart(pdf, part.kind, cx, mid, Direction::Vertical);
      pdf.Line(cx, mid + 18, cx, ground);
      pdf.Text(cx + 12, mid + 3, 8, PdfFont::Regular, label);
    } else {
      pdf.Text(cx - TextWidth(label, 8, PdfFont::Regular) / 2.0, rail - 14, 8, PdfFont::Regular,
               label);
    }
  }
}

// --- response plot and Smith chart --------------------------------------------------------

struct PlotBox {
  double x, y, width, height;
};

void DrawResponsePlot(PdfDocument& pdf, const std::vector<ResponsePoint>& points,
                      const SweepSpan& span, double designFrequency, PlotBox box) {
  constexpr double kTopDb = 60.0, kBottomDb = -60.0;
  const double logFrom = std::log10(span.from), logTo = std::log10(span.to);
  auto px = [&](double f) {
    return box.x + box.width * (std::log10(f) - logFrom) / (logTo - logFrom);
  };
  auto py = [&](double db) {
    db = std::clamp(db, kBottomDb, kTopDb);
    return box.y + box.height * (kTopDb - db) / (kTopDb - kBottomDb);
  };
  pdf.SetLineWidth(0.4);
  pdf.SetStrokeColor(kGrey);
  for (double db = kBottomDb; db <= kTopDb; db += 20.0)
    pdf.Line(box.x, py(db), box.x + box.width, py(db));
  const std::array<double, 5> ticks{span.from, designFrequency / 2.0, designFrequency,
                                    designFrequency * 2.0, span.to};
  for (const double f : ticks) pdf.Line(px(f), box.y, px(f), box.y + box.height);
  pdf.SetStrokeColor(kBlack);
  pdf.SetLineWidth(0.8);
  pdf.Rectangle(box.x, box.y, box.width, box.height);
  for (double db = kBottomDb; db <= kTopDb; db += 20.0) {
    pdf.TextRight(box.x - 3, py(db) + 3, 7, PdfFont::Regular, ShortNumber(db, 3));
  }
  for (const double f : ticks) {
    const std::string text = EngineeringText(f, "Hz");
    pdf.Text(px(f) - TextWidth(text, 7, PdfFont::Regular) / 2.0, box.y + box.height + 10, 7,
             PdfFont::Regular, text);
  }
  pdf.Text(box.x - 28, box.y - 6, 7, PdfFont::Regular, "dB");
  std::vector<PdfPoint> returnLoss, gain;
  for (const ResponsePoint& point : points) {
    returnLoss.push_back({px(point.frequency), py(point.returnLossDb)});
    gain.push_back({px(point.frequency), py(point.transducerGainDb)});
  }
  pdf.SetLineWidth(1.0);
  pdf.SetStrokeColor(kBlue);
  pdf.Polyline(returnLoss);
  pdf.Line(box.x + 8, box.y + box.height + 24, box.x + 24, box.y + box.height + 24);
  pdf.SetStrokeColor(kRed);
  pdf.Polyline(gain);
  pdf.Line(box.x + 120, box.y + box.height + 24, box.x + 136, box.y + box.height + 24);
  pdf.SetStrokeColor(kBlack);
  pdf.Text(box.x + 28, box.y + box.height + 27, 7.5, PdfFont::Regular, "return loss (dB)");
  pdf.Text(box.x + 140, box.y + box.height + 27, 7.5, PdfFont::Regular, "transducer gain (dB)");
}

void DrawSmithChart(PdfDocument& pdf, const std::vector<ResponsePoint>& points,
                    const ResponsePoint& atDesign, double cx, double cy, double radius) {
  auto at = [&](std::complex<double> gamma) {
    const double magnitude = std::abs(gamma);
    if (magnitude > 1.0) gamma /= magnitude;
    return PdfPoint{cx + radius * gamma.real(), cy - radius * gamma.imag()};
  };
  pdf.SetLineWidth(0.4);
  pdf.SetStrokeColor(kGrey);
  for (const double r : {0.2, 0.5, 1.0, 2.0, 5.0}) {
    pdf.Circle(cx + radius * r / (1.0 + r), cy, radius / (1.0 + r));
  }
  // Arcs of constant reactance +-0.5, 1, 2, clipped to the unit circle.
  for (const double x : {0.5, 1.0, 2.0, -0.5, -1.0, -2.0}) {
    std::vector<PdfPoint> arc;
    for (int k = 0; k <= 60; ++k) {
      const double r = std::pow(10.0, -2.0 + 4.0 * k / 60.0);
      const std::complex<double> z(r, x);
      arc.push_back(at((z - 1.0) / (z + 1.0)));
    }
    pdf.Polyline(arc);
  }
  pdf.Line(cx - radius, cy, cx + radius, cy);
  pdf.SetStrokeColor(kBlack);
  pdf.SetLineWidth(0.8);
  pdf.Circle(cx, cy, radius);
  // Normalised labels: each resistance circle where it leaves the real axis on the left, each
  // reactance arc where it meets the rim ("+j1" above the axis, inductive).
  constexpr double kLabelSize = 5.5;
  for (const double r : {0.2, 0.5, 1.0, 2.0, 5.0}) {
    pdf.Text(cx + radius * (r - 1.0) / (r + 1.0) + 1.5, cy - 2.0, kLabelSize, PdfFont::Regular,
             ShortNumber(r, 3));
  }
  for (const double x : {0.5, 1.0, 2.0, -0.5, -1.0, -2.0}) {
    const std::complex<double> z(0.0, x);
    const std::complex<double> rim = (z - 1.0) / (z + 1.0);
    const std::string text = (x > 0 ? "+j" : "-j") + ShortNumber(std::fabs(x), 3);
    const double tx = cx + (radius + 7.0) * rim.real();
    const double ty = cy - (radius + 7.0) * rim.imag();
    pdf.Text(tx - TextWidth(text, kLabelSize, PdfFont::Regular) / 2.0, ty + 2.0, kLabelSize,
             PdfFont::Regular, text);
  }
  std::vector<PdfPoint> locus;
  for (const ResponsePoint& point : points) locus.push_back(at(point.reflection));
  pdf.SetStrokeColor(kBlue);
  pdf.SetLineWidth(1.0);
  pdf.Polyline(locus);
  const PdfPoint design = at(atDesign.reflection);
  pdf.SetFillColor(kRed);
  pdf.Rectangle(design.x - 2.5, design.y - 2.5, 5, 5, true);
  pdf.SetFillColor(kBlack);
  pdf.SetStrokeColor(kBlack);
}

std::array<std::string, 3> CircuitValues(const MatchingCircuit& circuit) {
  std::array<std::string, 3> values;
  for (std::size_t i = 0; i < 3; ++i) values[i] = PartValueText(circuit.elements[i]);
  return values;
}

std::string Kind(const CircuitPart& part) {
  switch (part.kind) {
    case PartKind::Inductor:
      return "inductor";
    case PartKind::Capacitor:
      return "capacitor";
    case PartKind::Short:
    case PartKind::Open:
      break;
  }
  return std::string(kAbsentPartText);
}

void ValuesRow(Writer& out, std::string_view name, const MatchingCircuit& circuit,
               const std::vector<double>& columns, std::string_view note = {}) {
  const std::array<std::string, 3> values = CircuitValues(circuit);
  out.Row({std::string(name), values[0], values[1], values[2], std::string(note)}, columns);
}

}  // namespace

std::string DesignReportPdf(const ReportInputs& inputs) {
  const RunState& state = inputs.state;
  const NetworkValues& net = state.NetValues;
  const DesignCaptions shown = ComputeDesignCaptions(state, inputs.outcome);
  const CircuitBuild build = BuildCircuit(state, inputs.outcome);
  const bool hasCircuit = build.problem == CircuitProblem::None;

  PdfDocument pdf;
  pdf.NewPage();
  const FamilyNames* family = FindFamilyNames(net[NetworkFamily]);
  const std::string familyName = family ? std::string(family->text) : std::string("unknown");
  pdf.Text(kLeft, 60, 16, PdfFont::Bold, "Corvantile design: " + familyName + " network");
  pdf.SetLineWidth(0.8);
  pdf.Line(kLeft, 68, kRight, 68);

  Writer out(pdf, 80);  // the first heading clear of the rule under the title
  out.Heading("Inputs");
  out.Row({"Source:", SideText(state.SourceValues)}, {0, 80});
  out.Row({"Load:", SideText(state.LoadValues)}, {0, 80});
  out.Row({"Frequency:",
           Trimmed(Caption(shown, "cmdFrequency").substr(std::string("Frequency:").size()))},
          {0, 80});
  // Every digit the power holds: the window's caption rounds a milliwatt to 0.
  out.Row({"Power:", EngineeringText(static_cast<double>(net[Power]), "W")}, {0, 80});
  out.Row({"Family:", familyName}, {0, 80});
  out.Row({"Phase:", SpacedWithUnit(FormatEngineering(shown.shownPhase), "deg") + " (r-r " +
                         SpacedWithUnit(FormatEngineering(net[NetworkPhase]), "deg") + ")"},
          {0, 80});
  if (inputs.measuredSource) {
    out.Row({"Measured:", "source follows " + inputs.measuredSource->file + ", port " +
                              std::to_string(inputs.measuredSource->port)},
            {0, 80});
  }
  if (inputs.measuredLoad) {
    out.Row({"Measured:", "load follows " + inputs.measuredLoad->file + ", port " +
                              std::to_string(inputs.measuredLoad->port)},
            {0, 80});
  }

  out.Heading("Network");
  if (!hasCircuit) {
    out.Line(inputs.outcome == DesignOutcome::Impossible
                 ? std::string(kImpossibleDesignLine)
                 : std::string(CircuitProblemText(build.problem)));
  } else {
    const double top = out.y() - 6;
    std::array<std::string, 3> values;
    for (int k = 1; k <= 3; ++k) {
      values[static_cast<std::size_t>(k - 1)] =
          Caption(shown, "lblChangeNetPart" + std::to_string(k));
    }
    DrawSchematic(pdf, build.circuit, state, values, top);
    out.Skip(140);
  }

  // Every element as the design window shows it.
  const std::vector<double> columns{0, 30, 90, 175, 265, 345, 420};
  const std::map<std::string, bool> visible = VisibleOnOpening(shown);
  out.Row({"", "kind", "value", "reactance", "volts", "amps"}, {0, 30, 90, 175, 265, 345},
          PdfFont::Bold);
  for (int k = 1; k <= 3; ++k) {
    const auto index = static_cast<std::size_t>(k - 1);
    const std::string n = std::to_string(k);
    const float part = net[NetPart1 + k - 1];
    if (IsAbsentPart(part, state.startup) || !hasCircuit) {
      out.Row({n, std::string(kAbsentPartText)}, columns);
      continue;
    }
    // Volts and amps only where the window shows them.
    auto shownCaption = [&](const std::string& name) {
      const auto found = visible.find(name);
      return found != visible.end() && found->second ? Caption(shown, name) : std::string();
    };
    out.Row({n, Kind(build.circuit.elements[index]), Caption(shown, "lblChangeNetPart" + n),
             Caption(shown, "lblChangeNetX" + n), shownCaption("lblNetPart" + n + "Volts"),
             shownCaption("lblNetPart" + n + "Amps")},
            columns);
  }
  // The window's caption names no unit for the intermediate resistance; the report does.
  const std::string intermediate = Caption(shown, "lblIntermediateR");
  out.Row({Caption(shown, "lblInputQ"), Caption(shown, "lblOutputQ"),
           intermediate.empty() ? intermediate : intermediate + " ohms"},
          {0, 120, 240});

  if (hasCircuit) {
    ReportPlot plot;
    if (inputs.plot) {
      plot = *inputs.plot;
    } else {
      plot.span = DefaultSweepSpan(build.circuit.designFrequency);
      plot.points = SweepResponse(build.circuit, plot.span);
      plot.atDesign = EvaluateResponse(build.circuit, build.circuit.designFrequency);
    }
    out.Heading("Response");
    const double top = out.y() + 4;
    DrawResponsePlot(pdf, plot.points, plot.span, build.circuit.designFrequency,
                     {kLeft + 30, top, 260, 200});
    DrawSmithChart(pdf, plot.points, plot.atDesign, kRight - 95, top + 100, 95);
    pdf.Text(kRight - 190, top + 225, 7.5, PdfFont::Regular,
             "Smith chart: input reflection against the source");
  }

  // Page 2: what the parts do and what to buy.
  pdf.NewPage();
  Writer more(pdf, 40);
  if (!hasCircuit) {
    more.Heading("No circuit");
    more.Line(std::string(CircuitProblemText(build.problem)));
    return pdf.Finish();
  }
  const std::vector<double> valueColumns{0, 110, 200, 290, 380};
  const LossModel model = inputs.losses.value_or(IdealLossModel());
  const LossAnalysis analysis = AnalyzeLosses(build.circuit, model);
  if (inputs.losses) {
    more.Heading("Losses at the design frequency");
    more.Row({"", "kind", "Q", "watts", "volts RMS", "amps RMS"}, {0, 30, 100, 170, 260, 350},
             PdfFont::Bold);
    const std::array<PartQ, 3> q = CircuitQ(build.circuit, model);
    for (std::size_t i = 0; i < 3; ++i) {
      const PartStress& stress = analysis.parts[i];
      const CircuitPart& part = build.circuit.elements[i];
      if (part.kind == PartKind::Open) continue;
      more.Row(
          {std::to_string(i + 1), Kind(part), IsLossy(q[i]) ? ShortNumber(q[i].q0, 4) : "ideal",
           EngineeringText(stress.watts, "W"), EngineeringText(stress.voltsRms, "V"),
           EngineeringText(stress.ampsRms, "A")},
          {0, 30, 100, 170, 260, 350});
    }
    more.Line("Input " + EngineeringText(analysis.inputPower, "W") + ", load " +
              EngineeringText(analysis.loadPower, "W") + ", dissipated " +
              EngineeringText(analysis.dissipatedPower, "W") + ", efficiency " +
              PercentText(analysis.efficiency, 2) + ", return loss " +
              ReturnLossText(analysis.returnLossDb, 2));
    const CompensatedDesign compensated = CompensateLosses(build.circuit, model, net[DesignDriver]);
    more.Heading("Compensated values");
    more.Row({"", "element 1", "element 2", "element 3"}, valueColumns, PdfFont::Bold);
    ValuesRow(more, "ideal", build.circuit, valueColumns);
    ValuesRow(more, "compensated", compensated.circuit, valueColumns);
    more.Line(CompensationText(compensated));
  }

  const StandardSolutions standard =
      inputs.standard ? *inputs.standard : SolveStandardValues(state);
  if (standard.problem == CircuitProblem::None) {
    more.Heading("Standard values");
    more.Row({"", "element 1", "element 2", "element 3", "return loss"}, valueColumns,
             PdfFont::Bold);
    auto returnLoss = [](const StandardDesign& design) {
      return ReturnLossText(design.summary.atDesign.returnLossDb, 2);
    };
    ValuesRow(more, "ideal", standard.ideal.circuit, valueColumns, returnLoss(standard.ideal));
    ValuesRow(more, "nearest", standard.nearest.circuit, valueColumns,
              returnLoss(standard.nearest));
    ValuesRow(more, "best", standard.best.circuit, valueColumns, returnLoss(standard.best));
  }

  // Ratings: twice the peak volts and amps each part carries at the design power.
  more.Heading("Parts list");
  more.Row({"", "kind", "value", "rated volts (peak x 2)", "rated amps (peak x 2)"},
           {0, 30, 100, 200, 340}, PdfFont::Bold);
  for (std::size_t i = 0; i < 3; ++i) {
    const CircuitPart& part = build.circuit.elements[i];
    if (part.kind == PartKind::Open || part.kind == PartKind::Short) continue;
    more.Row({std::to_string(i + 1), Kind(part), PartValueText(part),
              EngineeringText(2.0 * analysis.parts[i].voltsPeak, "V"),
              EngineeringText(2.0 * analysis.parts[i].ampsPeak, "A")},
             {0, 30, 100, 200, 340});
  }

  if (!inputs.feedlineLines.empty()) {
    more.Heading("Feedline");
    for (const std::string& line : inputs.feedlineLines) more.Line(line);
  }
  if (!inputs.toleranceLines.empty()) {
    more.Heading("Tolerance");
    for (const std::string& line : inputs.toleranceLines) more.Line(line);
  }
  if (!inputs.bandLines.empty()) {
    more.Heading("Band match");
    for (const std::string& line : inputs.bandLines) more.Line(line);
  }
  return pdf.Finish();
}

}  // namespace corvantile::report
