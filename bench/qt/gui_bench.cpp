// corvantile-gui-bench: the design window on the Qt toolkit, on the offscreen platform.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QSize>
#include <QtGlobal>

#include "design/qt/frm_design.h"
#include "model/design_model.h"
#include "state/circuit_state.h"
#include "toolkit/geometry.h"
#include "toolkit/qt/qt_messages.h"
#include "toolkit/qt/qt_platform.h"

namespace corvantile {
namespace {

constexpr QSize kScreen(1920, 1080);

// The design window loaded for a 1920 x 1080 screen, its surface a 1920 x 1080 image.
struct LoadedDesign {
  LoadedDesign()
      : state(model.state()),
        platform(toolkit::ScreenTwips::FromPixels(kScreen.width(), kScreen.height())),
        design(model, platform) {
    design.Load();
    design.window().surface().Resize(kScreen);
  }
  DesignModel model;
  RunState& state;
  toolkit::QtPlatform platform;
  FrmDesign design;
};

// One full refresh: design pass, every caption, the whole drawing, and the drawing finished
// into the backing image as the next repaint needs it.
void BM_RefreshDesignQt(benchmark::State& bench) {
  LoadedDesign loaded;
  for (auto _ : bench) {
    loaded.design.logic().RefreshDesign();
    benchmark::DoNotOptimize(loaded.design.window().surface().image().constBits());
  }
}
BENCHMARK(BM_RefreshDesignQt)->Unit(benchmark::kMicrosecond);

// A refresh and one whole frame of the window: widgets over the drawing.
void BM_RefreshAndRenderFrame(benchmark::State& bench) {
  LoadedDesign loaded;
  for (auto _ : bench) {
    loaded.design.logic().RefreshDesign();
    const QImage frame = loaded.design.Render(kScreen);
    benchmark::DoNotOptimize(frame.constBits());
  }
}
BENCHMARK(BM_RefreshAndRenderFrame)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace corvantile

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  corvantile::toolkit::SilencePlatformNotices();
  QApplication app(argc, argv);
  QApplication::setStyle(QStringLiteral("Fusion"));
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
