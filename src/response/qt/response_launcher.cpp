#include "response/qt/response_launcher.h"

#include <QEvent>
#include <QGuiApplication>
#include <QKeySequence>
#include <QMetaObject>
#include <QScreen>
#include <QShortcut>
#include <QWidget>

#include "design/design_controls.h"
#include "response/band_view.h"
#include "response/explore_apply.h"
#include "response/parts_view.h"
#include "response/qt/band_page.h"
#include "response/qt/tolerance_page.h"

namespace corvantile {

ResponseLauncher::ResponseLauncher(FrmDesign& design, DesignModel& model)
    : QObject(design.window().widget()), design_(design), model_(model) {
  setObjectName(QStringLiteral("responseLauncher"));
}

ResponseLauncher& ResponseLauncher::Attach(FrmDesign& design, DesignModel& model) {
  auto* launcher = new ResponseLauncher(design, model);
  design.AddCommandButton(ResponseButtonLook(), ResponseButtonPlacement(),
                          [launcher] { launcher->Open(); });
  // "Report..." under it; the report lists the Tolerance page's results when they are current.
  design.AddCommandButton(ReportButtonLook(), ReportButtonPlacement(),
                          [&design] { design.WriteReport(); });
  design.SetToleranceLines([launcher]() -> std::vector<std::string> {
    if (!launcher->window_) return {};
    return launcher->window_->tolerancePage()->ResultLines(launcher->design_.logic().LastOutcome());
  });
  // The band design the Band page puts in the report, while it is for this source and load.
  design.SetBandLines([launcher]() -> std::vector<std::string> {
    if (!launcher->window_) return {};
    return launcher->window_->bandPage()->ReportLines();
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
    window_ = new FrmResponse(model_, design_.window().widget());
    const QScreen* screen = design_.window().widget()->screen();
    if (!screen) screen = QGuiApplication::primaryScreen();
    window_->resize(
        FrmResponse::DefaultSize(screen ? screen->availableGeometry().size() : QSize(1024, 768)));
    // Undo, redo and the design files work from here too.
    design_.AddFileShortcuts(window_);
    // Each change the pages make is an undoable step of the design's document.
    window_->SetModelChanger([this](const std::function<void()>& edit) {
      design_.document().Change(edit);
      window_->Update(design_.logic().LastOutcome());
    });
    // A band design as the design window's own network: one undo step, then the usual refresh.
    window_->SetApplyBandDesign([this](const BandApplication& application) {
      design_.document().Change([&] {
        ApplyBandDesign(design_.logic().state(), application);
        design_.logic().RefreshDesign();
      });
      window_->Update(design_.logic().LastOutcome());
    });
    window_->SetApplyCandidate([this](float family, float phase) {
      ApplyExploredCandidate(design_.logic().state(), design_.logic(), &design_.document(), family,
                             phase);
    });
  }
  return *window_;
}

void ResponseLauncher::Open() {
  FrmResponse& window = Window();
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
  window_->Update(design_.logic().LastOutcome());
}

bool ResponseLauncher::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Close && window_ && watched == design_.window().widget()) {
    window_->close();
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace corvantile
