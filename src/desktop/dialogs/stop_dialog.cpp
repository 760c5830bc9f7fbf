#include "stop_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "dialogs/dialog_buttons.h"
#include "integer_edit.h"
#include "labels_combo.h"
#include "simulation/strategy.h"

namespace tav::desktop {

StopDialog::StopDialog(const Condition& rule, bool shortPosition, bool reverseNote,
                       Prompter& prompter, QWidget* parent)
    : QDialog(parent),
      rule_(rule),
      short_(shortPosition),
      prompter_(prompter),
      kind_(new QComboBox(this)),
      item_(new QComboBox(this)),
      value_(integerEdit(kValueField, rule.p1, this)),
      unit_(new QLabel(this)) {
    setWindowTitle(QStringLiteral("ストップの設定"));
    fillCombo(kind_, strategy_labels::stopKinds(), rule.category);
    fillCombo(item_, strategy_labels::stopItems(kind_->currentIndex(), short_), rule.item);
    connect(kind_, &QComboBox::currentIndexChanged, this, [this](int kind) {
        fillCombo(item_, strategy_labels::stopItems(kind, short_), item_->currentIndex());
        showUnit();
    });
    connect(item_, &QComboBox::currentIndexChanged, this, [this] { showUnit(); });
    unit_->setObjectName(QStringLiteral("valueUnit"));
    // Wide enough for any unit, so the row does not move on a switch.
    unit_->setMinimumWidth(unit_->fontMetrics().horizontalAdvance(QStringLiteral("％")) + 2);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("分類項目"), kind_);
    form->addRow(QStringLiteral("項目"), item_);
    auto* valueRow = new QHBoxLayout;
    valueRow->addWidget(value_);
    valueRow->addWidget(unit_);
    valueRow->addStretch();
    form->addRow(QStringLiteral("値"), valueRow);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    if (reverseNote) {
        const auto note = strategy_labels::kReverseNote;
        layout->addWidget(
            new QLabel(QString::fromUtf8(note.data(), static_cast<qsizetype>(note.size())), this));
    }
    auto* buttons = okCancelButtons(this);
    layout->addWidget(buttons);
    item_->setMinimumWidth(240);
    showUnit();
}

void StopDialog::showUnit() {
    const std::string_view unit =
        strategy_labels::stopValueUnit(kind_->currentIndex(), item_->currentIndex());
    unit_->setText(QString::fromUtf8(unit.data(), static_cast<qsizetype>(unit.size())));
}

void StopDialog::accept() {
    const auto value = readIntegerEdit(value_, kValueField, prompter_);
    if (!value) return;
    rule_ = stopRule(static_cast<int16_t>(kind_->currentIndex()),
                     static_cast<int16_t>(item_->currentIndex()), static_cast<int16_t>(*value));
    QDialog::accept();
}

}  // namespace tav::desktop
