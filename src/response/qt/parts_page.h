#pragma once

// The response window's "Parts" page: the parts' Q settings (the inductors', the capacitors',
// the laws they follow with frequency, and a Q for any one element), their equivalent circuits
// in the command line's --part-model grammar (per kind and per element), the table of every part's
// values and stress, the efficiency and the losses, and "compensate for losses", which the
// "Response" page's sweep and Smith chart follow.
#include <array>
#include <functional>
#include <string>
#include <vector>

#include <QString>
#include <QWidget>

#include "analysis/circuits/part_losses.h"
#include "response/parts_view.h"
#include "state/circuit_state.h"

class QCheckBox;
class QComboBox;
class QPushButton;
class QLabel;
class QLineEdit;
class QTableWidget;

namespace corvantile {

class PartsPage : public QWidget {
  Q_OBJECT

 public:
  explicit PartsPage(const RunState& state, QWidget* parent = nullptr);

  // Recomputes the table and figures after a design pass that returned `outcome`.
  void Update(DesignOutcome outcome);

  // Shows these settings in the boxes and recomputes; emits nothing. `losses` is the whole
  // model (its part files read), `models` the texts and files it was made with.
  void SetLosses(const LossModel& losses, bool compensate, const PartModelSettings& models = {});
  const LossModel& losses() const { return losses_; }
  const PartModelSettings& models() const { return models_; }
  // Why the last model text or part file was refused ("" when it was not).
  QLabel* modelProblem() const { return modelProblem_; }

  // How "File..." asks for a maker's file (the path, or "" when none was chosen); by default a
  // file dialog.
  using FileChooser = std::function<QString(const QString& caption)>;
  void SetFileChooser(FileChooser chooser) { chooseFile_ = std::move(chooser); }
  bool compensate() const { return compensate_; }

  const PartsView& view() const { return view_; }
  QTableWidget* table() const { return table_; }
  QLabel* figures() const { return figures_; }

  // Shows the lines for the design built from pairs of standard values (PairsLines).
  void ShowPairs(const std::vector<std::string>& lines);
  QLabel* pairs() const { return pairs_; }

  // A Q box's text as a Q0: "ideal", "", "0" or anything not a positive number -> 0 (lossless).
  static double ReadQ(const QString& text);

 signals:
  // The user changed a setting; losses() and compensate() hold the new ones.
  void LossesChanged();

 private:
  void ShowSettings();
  void ReadSettings();
  // Reads one model box: a text that reads replaces the slot's, else the box keeps what was
  // typed and the line under the boxes says why.
  void ReadModel(PartModelSlot slot);
  // Element k's button: "File..." chooses a maker's file for it, "No file" takes it away.
  void ChooseFile(int k);
  // The line under the model boxes: why a text or file was refused, hidden when "".
  void ShowProblem(const std::string& problem);
  void ShowView();

  const RunState& state_;
  LossModel losses_ = IdealLossModel();
  bool compensate_ = false;
  PartModelSettings models_;
  DesignOutcome lastOutcome_ = DesignOutcome::NotDesigned;
  PartsView view_;

  QLineEdit* inductorQ_ = nullptr;
  QLineEdit* inductorLaw_ = nullptr;
  QLineEdit* capacitorQ_ = nullptr;
  QLineEdit* capacitorLaw_ = nullptr;
  std::array<QLineEdit*, 3> elementQ_{};
  std::array<QLineEdit*, 5> model_{};  // by PartModelSlot
  std::array<QPushButton*, 3> fileButton_{};
  QComboBox* fileConnection_ = nullptr;
  FileChooser chooseFile_;
  QLabel* modelProblem_ = nullptr;
  QCheckBox* compensateBox_ = nullptr;
  QTableWidget* table_ = nullptr;
  QLabel* figures_ = nullptr;
  QLabel* pairs_ = nullptr;
};

}  // namespace corvantile
