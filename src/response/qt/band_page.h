#pragma once

// The response window's Band page: the bands and the most elements, a search for the best
// ladder of every element count over them (on a worker thread, with progress and Cancel), the
// designs as a table, and the chosen one's return loss over the bands against the Bode-Fano
// level, its schematic and parts. A chosen L, Pi or Tee goes to the design window; any design
// is written as a SPICE netlist, a Touchstone two-port or a sweep table.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <QString>
#include <QWidget>

#include "model/design_answers.h"
#include "model/design_model.h"
#include "response/background_run.h"
#include "response/band_view.h"
#include "state/circuit_state.h"

class QAreaSeries;
class QChart;
class QChartView;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QLineSeries;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QTableWidget;
class QTimer;
class QValueAxis;

namespace corvantile {

class BandPage : public QWidget {
  Q_OBJECT

 public:
  // What applying a design does: the window's model changer by default, the design window's
  // own command (one undo step) when the launcher sets it.
  using Apply = std::function<void(const BandApplication&)>;
  // Asks for the file an export writes (caption, suggested name, filter); empty cancels.
  using FileChooser = std::function<QString(const QString&, const QString&, const QString&)>;

  // Searches the design `model` holds; it reads the model and never changes it.
  explicit BandPage(const DesignModel& model, QWidget* parent = nullptr);
  ~BandPage() override;

  void SetApply(Apply apply) { apply_ = std::move(apply); }
  void SetFileChooser(FileChooser chooser) { chooseFile_ = std::move(chooser); }

  // The design changed: the bands box starts at the design frequency's band when empty, and
  // designs found for another source or load are said to be so.
  void Update(DesignOutcome outcome);

  // Starts the search the controls ask for (cancelling one still going); false, with the
  // reason shown, when the bands cannot be read.
  bool Search();
  void Cancel();
  bool searching() const { return run_.Running(); }
  // Shows design `index` of the answer (its row), or nothing for none.
  void Choose(int index);
  // The chosen design goes to the design window; false, with the reason, when it cannot.
  bool ApplyChosen();
  // Writes the chosen design to `path`; false, with the reason shown, when it cannot.
  bool Export(BandExport format, const QString& path);

  // The chosen design's lines for the report, when "Put in the report" is ticked and the
  // search was for the design's present source and load; else none.
  std::vector<std::string> ReportLines() const;

  const std::optional<BandAnswer>& answer() const { return answer_; }
  QCheckBox* reportBox() const { return report_; }
  int chosen() const { return chosen_; }
  QLineEdit* bandsEdit() const { return bands_; }
  QSpinBox* elementsBox() const { return elements_; }
  QPushButton* searchButton() const { return search_; }
  QPushButton* cancelButton() const { return cancel_; }
  QPushButton* applyButton() const { return applyButton_; }
  QProgressBar* progressBar() const { return progress_; }
  QLabel* statusLabel() const { return status_; }
  QLabel* boundLabel() const { return bound_; }
  QLabel* schematicLabel() const { return schematic_; }
  QTableWidget* designsTable() const { return designs_; }
  QTableWidget* partsTable() const { return parts_; }
  QLineSeries* returnLossSeries() const { return returnLoss_; }
  QLineSeries* boundSeries() const { return boundLine_; }

 signals:
  // A search finished (not cancelled) and its designs are shown.
  void searched();

 private:
  void Poll();
  void ShowAnswer();
  void ShowChosen();
  void SaveAs(BandExport format);
  void Say(const QString& text, bool failed);

  const DesignModel& model_;
  Apply apply_;
  FileChooser chooseFile_;
  BackgroundRun<BandAnswer> run_;
  std::optional<BandAnswer> answer_;
  std::vector<FrequencyBand> searchedBands_;
  int chosen_ = -1;

  QLineEdit* bands_ = nullptr;
  QSpinBox* elements_ = nullptr;
  QComboBox* family_ = nullptr;
  QPushButton* search_ = nullptr;
  QPushButton* cancel_ = nullptr;
  QProgressBar* progress_ = nullptr;
  QLabel* status_ = nullptr;
  QLabel* bound_ = nullptr;
  QTableWidget* designs_ = nullptr;
  QChart* chart_ = nullptr;
  QChartView* chartView_ = nullptr;
  QValueAxis* xAxis_ = nullptr;
  QValueAxis* yAxis_ = nullptr;
  QLineSeries* returnLoss_ = nullptr;
  QLineSeries* boundLine_ = nullptr;
  std::vector<QAreaSeries*> bandShades_;
  QLabel* schematic_ = nullptr;
  QTableWidget* parts_ = nullptr;
  QPushButton* applyButton_ = nullptr;
  QPushButton* spice_ = nullptr;
  QPushButton* touchstone_ = nullptr;
  QPushButton* csv_ = nullptr;
  QCheckBox* report_ = nullptr;
  QTimer* poll_ = nullptr;
};

}  // namespace corvantile
