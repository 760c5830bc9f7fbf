#pragma once

#include <QDialog>
#include <string>
#include <vector>

class QLabel;
class QListWidget;
class QSpinBox;

namespace tav::desktop {

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
