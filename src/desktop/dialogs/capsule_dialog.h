#pragma once

#include <QDialog>
#include <map>
#include <string>

#include "conditions/capsule_set.h"
#include "platform/prompter.h"
#include "platform/shell.h"

class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;

namespace tav::desktop {

// "条件カプセルの設定": the capsule titles, and the rows of the selected capsule
// as sentences, edited on a CapsuleSet. Closing, by "OK" or the close box,
// saves the current capsule.
class CapsuleDialog : public QDialog {
    Q_OBJECT
  public:
    CapsuleDialog(const std::string& folder, int first, Prompter& prompter, Shell& shell,
                  QWidget* parent = nullptr);

    CapsuleSet& set() { return set_; }
    QListWidget* titles() const { return titles_; }
    QListWidget* rows() const { return rows_; }
    QComboBox* logicList() const { return logic_; }
    QLabel* fileName() const { return file_; }
    // A button by its resource number (1058 追加, 1052 row 追加, ...).
    QPushButton* button(int id) const;

    void done(int result) override;

  private:
    void addButton(int id, const char* text, QLayout* layout, void (CapsuleDialog::*slot)());
    void showTitles();
    void showRows(int select);
    int row() const;
    // The condition dialog on a row; true with the edited row on OK.
    bool editCondition(Condition& row);

    void addCapsule();
    void deleteCapsule();
    void renameCapsule();
    void copyCapsule();
    void initialiseCapsule();
    void moveCapsuleUp();
    void moveCapsuleDown();
    void addRow();
    void deleteRow();
    void moveRowUp();
    void moveRowDown();
    void editRow();

    Prompter& prompter_;
    Shell& shell_;
    CapsuleSet set_;
    QListWidget* titles_;
    QListWidget* rows_;
    QComboBox* logic_;
    QLabel* file_;
    std::map<int, QPushButton*> buttons_;
    bool filling_ = false;
};

}  // namespace tav::desktop
