#pragma once

#include <QDialog>
#include <span>
#include <string_view>

class QComboBox;

namespace tav::desktop {

// A one-list dialog ("条件論理式", "個別売買値"): OK gives the chosen index.
class ChoiceDialog : public QDialog {
    Q_OBJECT
  public:
    ChoiceDialog(const QString& title, std::span<const std::string_view> items, int current,
                 QWidget* parent = nullptr);
    int chosen() const;
    QComboBox* list() const { return list_; }

  private:
    QComboBox* list_;
};

}  // namespace tav::desktop
