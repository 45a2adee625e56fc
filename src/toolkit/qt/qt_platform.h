#pragma once

// The platform services on Qt: the screen size, the beep, the message box, the modal dialogs
// (each registered by the code that builds it) and ending the program.
#include <functional>
#include <map>
#include <optional>

#include "toolkit/geometry.h"
#include "toolkit/toolkit.h"

namespace corvantile::toolkit {

class QtPlatform : public Platform {
 public:
  // The primary screen's size, or `forcedScreen` when given (screenshots and tests lay the
  // windows out for a chosen screen).
  explicit QtPlatform(std::optional<ScreenTwips> forcedScreen = std::nullopt)
      : forcedScreen_(forcedScreen) {}

  // The primary screen in device-independent pixels, 15 twips each; 1024 x 768 without one.
  ScreenTwips screen() const override;
  void Beep() override;
  // A message box titled "Corvantile" with an OK button and no icon, modal to the active window.
  void ShowMessage(const std::string& text) override;
  // A question box titled "Corvantile" with Save, Discard and Cancel (the default button),
  // modal to the active window.
  SaveAnswer AskToSave(const std::string& text) override;
  // Runs the dialog's registered function, which shows it modally; a dialog nobody registered
  // yet does nothing.
  void ShowDialog(DialogId dialog) override;
  // Leaves the event loop once the current event is done.
  void Quit() override;

  void RegisterDialog(DialogId dialog, std::function<void()> show);

 private:
  std::optional<ScreenTwips> forcedScreen_;
  std::map<DialogId, std::function<void()>> dialogs_;
};

}  // namespace corvantile::toolkit
