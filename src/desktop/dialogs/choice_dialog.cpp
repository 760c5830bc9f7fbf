#include "choice_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QVBoxLayout>

#include "dialogs/dialog_buttons.h"

namespace tav::desktop {

ChoiceDialog::ChoiceDialog(const QString& title, std::span<const std::string_view> items,
                           int current, QWidget* parent)
    : QDialog(parent), list_(new QComboBox(this)) {
    setWindowTitle(title);
    for (std::string_view item : items)
        list_->addItem(QString::fromUtf8(item.data(), static_cast<qsizetype>(item.size())));
    list_->setCurrentIndex(current);
    auto* buttons = okCancelButtons(this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_);
    layout->addWidget(buttons);
}

int ChoiceDialog::chosen() const {
    return list_->currentIndex();
}

}  // namespace tav::desktop
