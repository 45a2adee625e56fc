#pragma once

// Joins the response window to the design window: the "Response..." button and Ctrl+R open
// it (created the first time) or raise it; every RefreshDesign redraws it while it is shown,
// and only then, so the design window's refresh does no sweep with it closed; closing the
// design window closes it. The redraw runs as soon as the event that refreshed the design is
// done, before anything is painted: the refresh itself stays as quick as without the window,
// and refreshes within one event cost one redraw. "Report..." sits under the "Response..."
// button, and the report lists the Tolerance page's results when they are for this design.
#include <QImage>
#include <QObject>
#include <QPointer>
#include <QSize>

#include "design/qt/frm_design.h"
#include "model/design_model.h"
#include "response/qt/frm_response.h"
#include "state/circuit_state.h"

class QShortcut;

namespace corvantile {

class ResponseLauncher : public QObject {
  Q_OBJECT

 public:
  // Adds the buttons ("Response...", "Report...") and the shortcut to `design` and follows its
  // refreshes. The launcher and
  // the response window belong to the design window's widget and go with it.
  static ResponseLauncher& Attach(FrmDesign& design, DesignModel& model);

  // Shows the response window for the design on the screen, or raises it when shown.
  void Open();
  bool IsOpen() const { return window_ && window_->isVisible(); }
  // The response window, created (hidden) if need be.
  FrmResponse& Window();
  // The response window for the design on the screen, drawn at its first size for a screen of
  // `screen` pixels without showing it (the design window must be loaded).
  QImage Render(QSize screen);

  QShortcut* shortcut() const { return shortcut_; }
  // Whether a refresh is waiting to redraw the window.
  bool RedrawPending() const { return redrawPending_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  ResponseLauncher(FrmDesign& design, DesignModel& model);
  void DesignRefreshed();
  void Redraw();

  FrmDesign& design_;
  DesignModel& model_;
  QPointer<FrmResponse> window_;
  QShortcut* shortcut_ = nullptr;
  bool redrawPending_ = false;
};

}  // namespace corvantile
