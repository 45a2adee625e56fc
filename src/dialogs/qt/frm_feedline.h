#pragma once

// The feedline dialog on Qt: a cable (the table's names, or "Typed figures" with a box for
// them), a length with its unit, the side, and "No feedline". It shows a FeedlineForm and hands
// back the one chosen; applying it is the caller's (ApplyFeedlineForm), so that a refused line
// changes nothing.
#include <optional>

#include <QDialog>

#include "dialogs/feedline_dialog.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QRadioButton;

namespace corvantile {

class FrmFeedline : public QDialog {
 public:
  explicit FrmFeedline(const FeedlineForm& form, QWidget* parent = nullptr);

  // The form as the controls now say.
  FeedlineForm Form() const;

  // Shows `form` modally; the form chosen with OK, none when cancelled.
  static std::optional<FeedlineForm> Ask(const FeedlineForm& form, QWidget* parent);

 private:
  void Enable();

  QCheckBox* none_ = nullptr;
  QComboBox* cable_ = nullptr;
  QLineEdit* figures_ = nullptr;
  QLineEdit* length_ = nullptr;
  QComboBox* unit_ = nullptr;
  QRadioButton* load_ = nullptr;
  QRadioButton* source_ = nullptr;
};

}  // namespace corvantile
