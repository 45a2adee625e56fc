// The response window: one update for the 1001-point default sweep, with and without drawing the
// frame it leads to; the design window's refresh with the response window closed and open, and
// with the redraw it leads to.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QImage>
#include <QSize>

#include "design/qt/frm_design.h"
#include "model/design_model.h"
#include "response/qt/frm_response.h"
#include "response/qt/response_launcher.h"
#include "response/response_view.h"
#include "state/circuit_state.h"
#include "toolkit/geometry.h"
#include "toolkit/qt/qt_platform.h"

namespace corvantile {
namespace {

constexpr QSize kScreen(1920, 1080);

// The design window loaded for a 1920 x 1080 screen with its response launcher.
struct DesignWithResponse {
  DesignWithResponse()
      : state(model.state()),
        platform(toolkit::ScreenTwips::FromPixels(kScreen.width(), kScreen.height())),
        design(model, platform),
        launcher(ResponseLauncher::Attach(design, model)) {
    design.Load();
    design.window().surface().Resize(kScreen);
  }
  DesignModel model;
  RunState& state;
  toolkit::QtPlatform platform;
  FrmDesign design;
  ResponseLauncher& launcher;
};

// The window shown at its first size, laid out and drawn once.
FrmResponse& OpenWindow(DesignWithResponse& loaded) {
  loaded.launcher.Open();
  FrmResponse& window = loaded.launcher.Window();
  window.resize(FrmResponse::DefaultSize(kScreen));
  QApplication::processEvents();
  return window;
}

// The sweep, summary, Smith path and locus, and every series, axis and label set.
void BM_ResponseUpdate1001(benchmark::State& bench) {
  DesignWithResponse loaded;
  FrmResponse& window = OpenWindow(loaded);
  const DesignOutcome outcome = loaded.design.logic().LastOutcome();
  for (auto _ : bench) {
    window.Update(outcome);
    benchmark::DoNotOptimize(window.view().sweep.data());
  }
  bench.counters["points"] = static_cast<double>(window.view().sweep.size());
  window.close();
}
BENCHMARK(BM_ResponseUpdate1001)->Unit(benchmark::kMillisecond);

// The update and the whole window drawn: chart, Smith chart and controls.
void BM_ResponseUpdateAndFrame(benchmark::State& bench) {
  DesignWithResponse loaded;
  FrmResponse& window = OpenWindow(loaded);
  const DesignOutcome outcome = loaded.design.logic().LastOutcome();
  for (auto _ : bench) {
    window.Update(outcome);
    const QImage frame = window.grab().toImage();
    benchmark::DoNotOptimize(frame.constBits());
  }
  window.close();
}
BENCHMARK(BM_ResponseUpdateAndFrame)->Unit(benchmark::kMillisecond);

// RefreshDesign with the response window never opened, and with it open (each refresh then
// updates it).
void BM_RefreshDesignResponseClosed(benchmark::State& bench) {
  DesignWithResponse loaded;
  for (auto _ : bench) {
    loaded.design.logic().RefreshDesign();
    benchmark::DoNotOptimize(loaded.design.window().surface().image().constBits());
  }
}
BENCHMARK(BM_RefreshDesignResponseClosed)->Unit(benchmark::kMicrosecond);

// The refresh alone leaves the response window's redraw for the end of the event.
void BM_RefreshDesignResponseOpen(benchmark::State& bench) {
  DesignWithResponse loaded;
  FrmResponse& window = OpenWindow(loaded);
  for (auto _ : bench) {
    loaded.design.logic().RefreshDesign();
    benchmark::DoNotOptimize(loaded.design.window().surface().image().constBits());
    bench.PauseTiming();
    QCoreApplication::sendPostedEvents(&loaded.launcher, QEvent::MetaCall);
    bench.ResumeTiming();
  }
  window.close();
}
BENCHMARK(BM_RefreshDesignResponseOpen)->Unit(benchmark::kMicrosecond);

// A whole design change with the window open: the refresh and the response window's redraw.
void BM_RefreshDesignAndResponseRedraw(benchmark::State& bench) {
  DesignWithResponse loaded;
  FrmResponse& window = OpenWindow(loaded);
  for (auto _ : bench) {
    loaded.design.logic().RefreshDesign();
    QCoreApplication::sendPostedEvents(&loaded.launcher, QEvent::MetaCall);
    benchmark::DoNotOptimize(window.view().sweep.data());
  }
  window.close();
}
BENCHMARK(BM_RefreshDesignAndResponseRedraw)->Unit(benchmark::kMicrosecond);

// What the window shows, without Qt: the 1001-point sweep, summary, Smith path and locus.
void BM_ResponseView1001(benchmark::State& bench) {
  DesignModel model;
  RunState& state = model.state();
  const DesignOutcome outcome = RunDesignPass(state);
  ResponseView view;
  for (auto _ : bench) {
    UpdateResponseView(state, outcome, {}, view);
    benchmark::DoNotOptimize(view.sweep.data());
  }
}
BENCHMARK(BM_ResponseView1001)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace corvantile
