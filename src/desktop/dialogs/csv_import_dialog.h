#pragma once

#include <QDialog>

#include "workspace/csv_import.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace tav::desktop {

// "CSVファイル読込": a CSV file of daily bars, the code it belongs to and its
// layout. The engine reads the file and the preview shows what it found
// before anything is written; "読込" merges the bars into the stored series.
class CsvImportDialog : public QDialog {
    Q_OBJECT
  public:
    CsvImportDialog(Workspace& workspace, StockCode presetCode, QWidget* parent = nullptr);

    // The code the bars went to, once accepted.
    StockCode code() const;
    // Reads the file again with the current choices and shows the result.
    void refreshPreview();

    QLineEdit* fileEdit() const { return file_; }
    QLineEdit* codeEdit() const { return code_; }
    QComboBox* formatCombo() const { return format_; }
    QPlainTextEdit* preview() const { return preview_; }
    QLabel* rejectedLabel() const { return rejected_; }
    QPushButton* importButton() const { return import_; }

  private:
    void chooseFile();
    void importBars();

    Workspace& workspace_;
    CsvBars parsed_;
    QLineEdit* file_;
    QLineEdit* code_;
    QComboBox* format_;
    QPlainTextEdit* preview_;
    QLabel* rejected_;
    QPushButton* import_;
};

}  // namespace tav::desktop
