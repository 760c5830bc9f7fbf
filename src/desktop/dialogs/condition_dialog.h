#pragma once

#include <QDialog>
#include <string>
#include <vector>

#include "conditions/condition_editor.h"
#include "platform/prompter.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QStackedWidget;
class QTabBar;

namespace tav::desktop {

// "売買パターン追加": edits one condition row on a ConditionEditor. The
// sentence of the row as it stands is shown under the controls, so the user
// reads what the row will test before pressing OK.
class ConditionDialog : public QDialog {
    Q_OBJECT
  public:
    ConditionDialog(const Condition& record, ConditionContext context,
                    std::vector<std::string> capsuleTitles, Prompter& prompter,
                    QWidget* parent = nullptr);

    // The edited record on OK.
    Condition result() const { return editor_.result(); }
    const ConditionEditor& editor() const { return editor_; }
    QTabBar* tabs() const { return tabs_; }
    QComboBox* roleList() const { return role_; }
    QString sentence() const;
    // The list or edit of a control, by its resource number (1059, 1119, ...).
    QWidget* control(int id) const;

    // OK: refuses (with a message) a number outside its field.
    void accept() override;

  private:
    QComboBox* list(int id, QWidget* page);
    QLineEdit* edit(int id, ConditionEditor::Edit which, QWidget* page);
    void refill();
    void readEdits();

    ConditionEditor editor_;
    std::vector<std::string> capsuleTitles_;
    Prompter& prompter_;
    QTabBar* tabs_;
    QStackedWidget* pages_;
    QComboBox* role_;
    QLineEdit* day_;
    QLabel* sentence_;
    std::vector<std::pair<int, QWidget*>> controls_;
    std::vector<std::pair<QLineEdit*, ConditionEditor::Edit>> edits_;
    bool filling_ = false;
};

}  // namespace tav::desktop
