#pragma once

#include <QDialog>
#include <QString>
#include <functional>
#include <string>
#include <vector>

#include "core/stock_code.h"
#include "platform/prompter.h"
#include "simulation/simulation_report.h"
#include "simulation/simulation_results.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace tav::desktop {

// The room a cell of the list needs besides its text.
int cellPadding(const QTreeWidget& list);

// What the result dialog opens with.
struct SimulationResultSetup {
    std::string strategyName;
    int64_t capital = 0;
    std::vector<ResultRow> rows;
    std::vector<std::string> watchlists;  // titles; watchlist n is entry n of "銘柄出力先"
    int inputWatchlist = 0;               // the run's input, 0 for the master list
    int outputWatchlist = 0;              // 0 "なし"
    bool writeReport = false;
    std::string reportFolder;
    std::string reportFileName;
};

// "シミュレーション結果": one line per ranked security in the columns of the
// result list, the output watchlist and the report file. OK checks the
// output against the input and writes the report; on failure the dialog
// stays open. Storing the ranking into the watchlist is the caller's.
class SimulationResultDialog : public QDialog {
    Q_OBJECT
  public:
    SimulationResultDialog(SimulationResultSetup setup, Prompter& prompter,
                           QWidget* parent = nullptr);

    // The choices as shown (after OK: as confirmed).
    ResultDialogChoice choice() const;

    QTreeWidget* list() const { return list_; }
    QComboBox* output() const { return output_; }
    QComboBox* reportChoice() const { return report_; }
    QLineEdit* fileName() const { return fileName_; }
    QLabel* folderLabel() const { return folderLabel_; }
    QPushButton* changeButton() const { return change_; }

    // A double-clicked line, or "銘柄表示" of a line's menu: show that security.
    std::function<void(StockCode)> onShowSecurity;
    // "損益" of a line's menu: that security's trades and equity under the
    // run's strategy.
    std::function<void(StockCode)> onShowProfit;
    // The menu of a line (right click); the caller owns it.
    QMenu* rowMenu(QTreeWidgetItem* item);
    // The whole list to the clipboard as tab-separated text (also Ctrl+C).
    void copyList() const;
    // Asks for the report file, starting at a path; empty when cancelled.
    // A file-save dialog unless replaced.
    std::function<QString(const QString& start)> chooseFile;

    void accept() override;

  private:
    void fillList();
    void changeFile();

    SimulationResultSetup setup_;
    Prompter& prompter_;
    std::string folder_;
    QTreeWidget* list_;
    QComboBox* output_;
    QComboBox* report_;
    QLineEdit* fileName_;
    QLabel* folderLabel_;
    QPushButton* change_;
};

}  // namespace tav::desktop
