#include "response/qt/response_launcher.h"

#include <QEvent>
#include <QGuiApplication>
#include <QKeySequence>
#include <QMetaObject>
#include <QScreen>
#include <QShortcut>
#include <QWidget>

#include "design/design_controls.h"
#include "response/explore_apply.h"
#include "response/parts_view.h"
#include "response/qt/tolerance_page.h"

namespace corvantile {

ResponseLauncher::ResponseLauncher(FrmDesign& design, const RunState& state)
    : QObject(design.window().widget()), design_(design), state_(state) {
  setObjectName(QStringLiteral("responseLauncher"));
}

ResponseLauncher& ResponseLauncher::Attach(FrmDesign& design, const RunState& state) {
  auto* launcher = new ResponseLauncher(design, state);
  design.AddCommandButton(ResponseButtonLook(), ResponseButtonPlacement(),
                          [launcher] { launcher->Open(); });
  // "Report..." under it; the report lists the Tolerance page's results when they are current.
  design.AddCommandButton(ReportButtonLook(), ReportButtonPlacement(),
                          [&design] { design.WriteReport(); });
  design.SetToleranceLines([launcher]() -> std::vector<std::string> {
    if (!launcher->window_) return {};
    return launcher->window_->tolerancePage()->ResultLines(launcher->design_.logic().LastOutcome());
  });
  QWidget* top = design.window().widget();
  launcher->shortcut_ = new QShortcut(
      QKeySequence(QString::fromUtf8(kResponseShortcut.data(),
                                     static_cast<qsizetype>(kResponseShortcut.size()))),
      top);
  connect(launcher->shortcut_, &QShortcut::activated, launcher, &ResponseLauncher::Open);
  design.logic().SetRefreshListener([launcher](DesignOutcome) { launcher->DesignRefreshed(); });
  top->installEventFilter(launcher);
  return *launcher;
}

FrmResponse& ResponseLauncher::Window() {
  if (!window_) {
    window_ = new FrmResponse(state_, design_.window().widget());
    const QScreen* screen = design_.window().widget()->screen();
    if (!screen) screen = QGuiApplication::primaryScreen();
    window_->resize(
        FrmResponse::DefaultSize(screen ? screen->availableGeometry().size() : QSize(1024, 768)));
    // Undo, redo and the design files work from here too.
    design_.AddFileShortcuts(window_);
    connect(window_, &FrmResponse::LossesChanged, this, &ResponseLauncher::RecordLosses);
    connect(window_->tolerancePage(), &TolerancePage::settingsChanged, this,
            &ResponseLauncher::RecordTolerance);
    window_->SetApplyCandidate([this](float family, float phase) {
      ApplyExploredCandidate(design_.logic().state(), design_.logic(), &design_.document(), family,
                             phase);
    });
    FollowLosses();
    FollowTolerance();
  }
  return *window_;
}

void ResponseLauncher::Open() {
  FrmResponse& window = Window();
  FollowLosses();
  FollowTolerance();
  TakeMeasuredSides();
  window.Update(design_.logic().LastOutcome());
  if (window.isVisible()) {
    window.raise();  // possibly behind the maximised design window
  } else {
    window.show();
  }
  window.activateWindow();
}

QImage ResponseLauncher::Render(QSize screen) {
  FrmResponse& window = Window();
  FollowLosses();
  FollowTolerance();
  TakeMeasuredSides();
  window.Update(design_.logic().LastOutcome());
  return window.Render(FrmResponse::DefaultSize(screen));
}

void ResponseLauncher::DesignRefreshed() {
  if (!IsOpen() || redrawPending_) return;
  redrawPending_ = true;
  QMetaObject::invokeMethod(this, &ResponseLauncher::Redraw, Qt::QueuedConnection);
}

void ResponseLauncher::Redraw() {
  redrawPending_ = false;
  // The last refresh's outcome: the one the design window shows now.
  if (!IsOpen()) return;
  FollowLosses();
  FollowTolerance();
  // A side chosen "Measured..." (or typed again) since: the window follows its file at once.
  TakeMeasuredSides();
  window_->Update(design_.logic().LastOutcome());
}

void ResponseLauncher::FollowLosses() {
  if (!window_) return;
  // No losses member: every part ideal, no compensation.
  const std::optional<LossSettings>& chosen = design_.document().settings().losses;
  const bool compensate = chosen && chosen->compensate;
  const LossModel model = LossModelOf(chosen);
  const ResponseSettings& shown = window_->settings();
  if (LossSettingsOf(model, compensate) == LossSettingsOf(shown.losses, shown.compensate)) return;
  window_->SetLosses(model, compensate);
}

void ResponseLauncher::RecordLosses() {
  const ResponseSettings& shown = window_->settings();
  const LossSettings losses = LossSettingsOf(shown.losses, shown.compensate);
  DesignDocument& document = design_.document();
  document.Change([&] { document.settings().losses = losses; });
}

void ResponseLauncher::FollowTolerance() {
  if (!window_) return;
  const ToleranceSettings chosen =
      design_.document().settings().tolerance.value_or(ToleranceSettings{});
  TolerancePage& page = *window_->tolerancePage();
  if (page.settings() != chosen) page.SetSettings(chosen);
}

void ResponseLauncher::RecordTolerance() {
  const ToleranceSettings shown = window_->tolerancePage()->settings();
  DesignDocument& document = design_.document();
  // The page's defaults with no member yet are no change.
  if (document.settings().tolerance.value_or(ToleranceSettings{}) == shown) return;
  document.Change([&] { document.settings().tolerance = shown; });
}

void ResponseLauncher::TakeMeasuredSides() {
  const Settings& settings = design_.document().settings();
  window_->SetMeasuredSides(settings.measuredSource, settings.measuredLoad);
}

bool ResponseLauncher::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Close && window_ && watched == design_.window().widget()) {
    window_->close();
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace corvantile
