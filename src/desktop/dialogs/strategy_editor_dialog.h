#pragma once

#include <QDialog>
#include <string>

#include "platform/prompter.h"
#include "platform/shell.h"
#include "simulation/simulation_settings.h"
#include "simulation/strategy_list.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTabBar;

namespace tav::desktop {

// "売買戦略リスト編集": the strategy list, the tactics and condition columns of
// the selected strategy, and the strategy-wide simulation settings. Closing
// ("終了" or the close box) saves the edited strategy when it changed and
// takes the settings over; a bad number keeps the dialog open.
class StrategyEditorDialog : public QDialog {
    Q_OBJECT
  public:
    StrategyEditorDialog(const std::string& folder, int first, const SimulationSettings& settings,
                         Prompter& prompter, Shell& shell, QWidget* parent = nullptr);

    const SimulationSettings& settings() const { return settings_; }
    StrategyList& list() { return list_; }
    // The button with this text ("行追加", "列追加", ...).
    QPushButton* button(const QString& text) const;
    QListWidget* strategies() const { return strategies_; }
    QListWidget* tactics() const { return tactics_; }
    QListWidget* columns() const { return columns_; }
    QTabBar* tabs() const { return tabs_; }
    QComboBox* modeList() const { return mode_; }
    QComboBox* commissionKind() const { return commissionKind_; }
    QLineEdit* commission() const { return commission_; }
    QLabel* commissionUnit() const { return commissionUnit_; }
    // The selected tactic's 条件論理式 and 個別売買値 on the current tab.
    QLabel* columnSettings() const { return columnSettings_; }
    QLabel* splitSummary() const { return split_; }

    void done(int result) override;
    // The strategy "最適化" was pressed on (list index): the dialog has
    // saved and closed, and the window opens the optimisation. -1 otherwise.
    int optimizeStrategy() const { return optimizeStrategy_; }

  private:
    QPushButton* addButton(const char* text, QLayout* layout, void (StrategyEditorDialog::*slot)());
    void buildSettings(QLayout* layout);
    void commissionKindChanged();
    void showStrategies();
    void showStrategy();
    void showColumns();
    void showColumnSettings();
    int tactic() const;
    int column() const;
    TacticTab tab() const;
    std::vector<std::string> capsuleTitles() const;

    void addStrategy();
    void deleteStrategy();
    void renameStrategy();
    void copyStrategy();
    void initialiseStrategy();
    void moveStrategyUp();
    void moveStrategyDown();
    void addTactic();
    void deleteTactic();
    void moveTacticUp();
    void moveTacticDown();
    void editTactic();
    void addColumn();
    void deleteColumn();
    void moveColumnUp();
    void moveColumnDown();
    void editColumn();
    void chooseLogic();
    void chooseFillPrice();
    void editSplit();
    void editCapsules();
    // The condition or stop dialog on a row; true with the row on OK.
    bool editRow(Condition& row);
    void optimize();

    std::string folder_;
    Prompter& prompter_;
    Shell& shell_;
    StrategyList list_;
    SimulationSettings settings_;
    QListWidget* strategies_;
    QComboBox* mode_;
    QListWidget* tactics_;
    QTabBar* tabs_;
    QListWidget* columns_;
    QLabel* split_;
    QLabel* columnSettings_;
    QComboBox* period_;
    QComboBox* years_;
    QComboBox* startYear_;
    QComboBox* startMonth_;
    QLineEdit* capital_;
    QComboBox* fill_;
    QComboBox* commissionKind_;
    QLineEdit* commission_;
    QLabel* commissionUnit_;
    int commissionTextKind_ = kCommissionRate;  // the kind the commission text is typed in
    QLineEdit* commissionMinimum_;
    QComboBox* taxKind_;
    QLineEdit* tax_;
    bool filling_ = false;
    int optimizeStrategy_ = -1;
};

}  // namespace tav::desktop
