#include "dialogs/add_codes_dialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "dialogs/dialog_buttons.h"

namespace tav::desktop {

AddCodesDialog::AddCodesDialog(StockCode preset, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("銘柄一括追加"));
    auto* grid = new QGridLayout;
    for (int index = 0; index < kFieldCount; ++index) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QStringLiteral("code%1").arg(index + 1));
        edit->setValidator(new QIntValidator(0, 99999, edit));
        edit->setMaxLength(5);
        fields_[static_cast<std::size_t>(index)] = edit;
        // Two columns of five, numbered down the columns.
        const int row = index % 5;
        const int column = index / 5 * 2;
        grid->addWidget(new QLabel(QStringLiteral("%1").arg(index + 1), this), row, column);
        grid->addWidget(edit, row, column + 1);
    }
    if (preset > 0) fields_[0]->setText(QString::number(preset));

    auto* buttons = okCancelButtons(this);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(buttons);
    fields_[0]->setFocus();
    fields_[0]->selectAll();
}

std::vector<StockCode> AddCodesDialog::codes() const {
    std::vector<StockCode> codes;
    for (const QLineEdit* edit : fields_)
        codes.push_back(edit->text().toInt());  // empty or partial: 0, skipped
    return codes;
}

}  // namespace tav::desktop
