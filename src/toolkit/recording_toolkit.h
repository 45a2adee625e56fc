#pragma once

// The recording implementation of the toolkit, for tests and for the command-line tool: it
// keeps every control's state and every drawing call so they can be inspected without a
// display.
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/toolkit.h"

namespace corvantile::toolkit {

class RecordingControl : public Control {
 public:
  void SetText(const std::string& text) override { text_ = text; }
  std::string Text() const override { return text_; }
  void SetVisible(bool visible) override { visible_ = visible; }
  bool IsVisible() const override { return visible_; }
  void SetGeometry(const LogicalRect& rect) override { geometry_ = rect; }
  void SetFontSize(double points) override { fontSize_ = points; }
  void SetBackground(Rgb colour) override { background_ = colour; }
  void SetChecked(bool checked) override { checked_ = checked; }
  bool IsChecked() const override { return checked_; }
  void SetToolTip(const std::string& text) override { toolTip_ = text; }

  const LogicalRect& geometry() const { return geometry_; }
  const std::string& toolTip() const { return toolTip_; }
  double fontSize() const { return fontSize_; }
  const Rgb& background() const { return background_; }

 private:
  std::string text_;
  std::string toolTip_;
  bool visible_ = true;
  bool checked_ = false;
  LogicalRect geometry_;
  double fontSize_ = 0;
  Rgb background_;
};

// One recorded drawing call.
struct DrawCall {
  enum class Kind { Clear, Line, FillRect, OutlineRect, Arc, Point, Print };
  Kind kind = Kind::Clear;
  double x1 = 0, y1 = 0, x2 = 0, y2 = 0;  // line ends, rectangle corners, arc centre (x1, y1)
  double radius = 0, startAngle = 0, endAngle = 0;
  Rgb colour;
  int width = 1;
  LineStyle style = LineStyle::Solid;
  std::string text;  // Print
};

class RecordingSurface : public Surface {
 public:
  void Clear() override;
  void Line(double x1, double y1, double x2, double y2, Rgb colour, int width,
            LineStyle style) override;
  void FillRect(double x1, double y1, double x2, double y2, Rgb colour) override;
  void OutlineRect(double x1, double y1, double x2, double y2, Rgb colour, int width) override;
  void Arc(double cx, double cy, double radius, double startAngle, double endAngle, Rgb colour,
           int width) override;
  void Point(double x, double y, Rgb colour) override;
  void Print(const std::string& text) override;

  // Every call since the last Clear (the Clear itself included).
  const std::vector<DrawCall>& calls() const { return calls_; }
  // Printed texts with the text position each was printed at.
  struct PrintedText {
    double x, y;
    std::string text;
  };
  std::vector<PrintedText> printed() const;

 private:
  std::vector<DrawCall> calls_;
  double textX_ = 0, textY_ = 0;
};

class RecordingWindow : public Window {
 public:
  // Controls are created on first use, visible and empty.
  RecordingControl& Find(std::string_view name) override;
  RecordingSurface& surface() override { return surface_; }
  void SetCaption(const std::string& caption) override { caption_ = caption; }
  void SetScale(const LogicalScale& scale) override { scale_ = scale; }
  void SetFontSize(double points) override { fontSize_ = points; }
  void Close() override { closed_ = true; }

  const std::string& caption() const { return caption_; }
  const LogicalScale& scale() const { return scale_; }
  double fontSize() const { return fontSize_; }
  bool closed() const { return closed_; }
  // Every control by name, in name order.
  const std::map<std::string, std::unique_ptr<RecordingControl>, std::less<>>& controls() const {
    return controls_;
  }

 private:
  std::map<std::string, std::unique_ptr<RecordingControl>, std::less<>> controls_;
  RecordingSurface surface_;
  std::string caption_;
  LogicalScale scale_;
  double fontSize_ = 0;
  bool closed_ = false;
};

class RecordingPlatform : public Platform {
 public:
  explicit RecordingPlatform(ScreenTwips screen = ScreenTwips::FromPixels(1024, 768))
      : screen_(screen) {}
  ScreenTwips screen() const override { return screen_; }
  void Beep() override { ++beeps_; }
  void ShowMessage(const std::string& text) override { messages_.push_back(text); }
  SaveAnswer AskToSave(const std::string& text) override {
    questions_.push_back(text);
    return saveAnswer;
  }
  void ShowDialog(DialogId dialog) override {
    dialogs_.push_back(dialog);
    if (onDialog) onDialog(dialog);
  }
  void Quit() override { quit_ = true; }

  // Runs in place of the user while a dialog is "shown".
  std::function<void(DialogId)> onDialog;
  // What the user answers when asked to save.
  SaveAnswer saveAnswer = SaveAnswer::Cancel;

  int beeps() const { return beeps_; }
  const std::vector<std::string>& messages() const { return messages_; }
  const std::vector<std::string>& questions() const { return questions_; }
  const std::vector<DialogId>& dialogs() const { return dialogs_; }
  bool quit() const { return quit_; }

 private:
  ScreenTwips screen_;
  int beeps_ = 0;
  std::vector<std::string> messages_;
  std::vector<std::string> questions_;
  std::vector<DialogId> dialogs_;
  bool quit_ = false;
};

}  // namespace corvantile::toolkit
