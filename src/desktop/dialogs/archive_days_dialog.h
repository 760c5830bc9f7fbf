#pragma once

#include <QDialog>
#include <string>
#include <vector>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSpinBox;

namespace tav::desktop {

// "リストへ追加": one trading day typed as YYYYMMDD. Only digits can be typed,
// and OK waits for a date that names a calendar day.
class DayEntryDialog : public QDialog {
    Q_OBJECT
  public:
    explicit DayEntryDialog(const QString& preset, QWidget* parent = nullptr);
    QString day() const;
    QLineEdit* edit() const { return edit_; }
    QPushButton* okButton() const { return ok_; }

  private:
    QLineEdit* edit_;
    QPushButton* ok_;
};

// "株価データ追加": the trading days the archive update will add, which the
// user may edit, and the source of the archives (0 disk, 1 net, 2 member
// service). "実行" accepts the list as shown.
class ArchiveDaysDialog : public QDialog {
    Q_OBJECT
  public:
    ArchiveDaysDialog(const std::vector<std::string>& days, int sourceMode,
                      QWidget* parent = nullptr);

    std::vector<std::string> days() const;
    int sourceMode() const;

    // "削除": the selection moves to the same index, or the one before.
    void removeSelected();
    // Appends a day typed into "リストへ追加".
    void appendDay(const std::string& day);

    QListWidget* list() const { return list_; }

  private:
    void askDay();

    QListWidget* list_;
    QSpinBox* mode_;
};

}  // namespace tav::desktop
