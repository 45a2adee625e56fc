#pragma once

// A window of the Qt toolkit: a top-level widget (a plain window, or a dialog that can be run
// modally) holding a canvas that paints the drawing surface, with the controls as the canvas's
// children, each with its control name as object name.
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include <QImage>
#include <QWidget>

#include "toolkit/geometry.h"
#include "toolkit/qt/qt_control.h"
#include "toolkit/qt/qt_surface.h"
#include "toolkit/toolkit.h"

class QDialog;

namespace corvantile::toolkit {

class QtWindow : public Window {
 public:
  enum class Frame { Main, Dialog };

  // `name` becomes the top-level widget's object name.
  explicit QtWindow(std::string_view name, Frame frame = Frame::Main, QWidget* parent = nullptr);
  ~QtWindow() override;
  QtWindow(const QtWindow&) = delete;
  QtWindow& operator=(const QtWindow&) = delete;

  // Throws std::out_of_range for a name the window has no control for.
  QtControl& Find(std::string_view name) override;
  QtSurface& surface() override { return surface_; }
  void SetCaption(const std::string& caption) override;
  void SetScale(const LogicalScale& scale) override;
  void SetFontSize(double points) override;
  void Close() override;

  // Shows the window maximised; where no window manager maximises it, it still covers the
  // screen's available area.
  void ShowMaximized();

  // Building the window: each control is created visible, with the toolkit's default look.
  QtControl& AddButton(std::string_view name, std::string_view text);
  QtControl& AddLabel(std::string_view name, std::string_view text);
  QtControl& AddTextBox(std::string_view name);
  QtControl& AddOptionButton(std::string_view name, std::string_view text);
  bool Has(std::string_view name) const;

  // The window background (also what the surface clears to; clears it) and the colour and
  // font of printed text.
  void SetBackground(Rgb colour);
  void SetForeground(Rgb colour) { surface_.SetForeground(colour); }
  void SetFont(std::string_view family, bool bold);
  // The logical extent the surface must cover even before the window has its final size
  // (12100 x 9000 units by default: the main windows' drawings).
  void SetLayoutSize(double widthUnits, double heightUnits);

  const LogicalScale& scale() const { return scale_; }
  // The layout size in device-independent pixels at the current scale.
  QSize LayoutPixels() const;
  const std::string& caption() const { return caption_; }
  // The top-level widget (a QDialog for Frame::Dialog) and the canvas that parents the
  // controls.
  QWidget* widget() const { return top_.get(); }
  QDialog* dialog() const;
  QWidget* canvas() const { return canvas_; }
  // The window as it would look on the screen: controls over the drawing, whether shown or not.
  QImage Render() const;

 private:
  QtControl& Add(QWidget* widget, std::string_view name, QtControlKind kind);
  void GrowSurface();

  LogicalScale scale_;
  QtSurface surface_;
  std::unique_ptr<QWidget> top_;
  QWidget* canvas_ = nullptr;  // owned by top_
  std::map<std::string, std::unique_ptr<QtControl>, std::less<>> controls_;
  std::string caption_;
  std::string fontFamily_ = "Arial";
  bool fontBold_ = true;
  double fontPoints_ = 9.75;
  double layoutWidth_ = 12100, layoutHeight_ = 9000;
  Rgb background_{255, 255, 255};
};

}  // namespace corvantile::toolkit
