#include "tactic_dialog.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

#include "dialogs/dialog_buttons.h"

namespace tav::desktop {

namespace {

// Each pair is its own exclusive group: checking a side must not uncheck
// 有効/無効, which share the dialog as parent with the side buttons.
QGroupBox* pair(QWidget* parent, QRadioButton* first, QRadioButton* second) {
    auto* box = new QGroupBox(parent);
    auto* layout = new QHBoxLayout(box);
    auto* group = new QButtonGroup(box);
    for (QRadioButton* button : {first, second}) {
        group->addButton(button);
        layout->addWidget(button);
    }
    return box;
}

}  // namespace

TacticDialog::TacticDialog(const Tactic& tactic, uint8_t tradingMode, QWidget* parent)
    : QDialog(parent),
      name_(new QLineEdit(QString::fromStdString(tactic.name), this)),
      enabled_(new QRadioButton(QStringLiteral("有効"), this)),
      disabled_(new QRadioButton(QStringLiteral("無効"), this)),
      buy_(new QRadioButton(QStringLiteral("買い戦術"), this)),
      sell_(new QRadioButton(QStringLiteral("売り戦術"), this)) {
    setWindowTitle(QStringLiteral("戦術の設定"));
    name_->setObjectName(QStringLiteral("tacticName"));
    auto* states = pair(this, enabled_, disabled_);
    auto* sides = pair(this, buy_, sell_);
    (tactic.disabled ? disabled_ : enabled_)->setChecked(true);
    (tactic.side == kSellTactic ? sell_ : buy_)->setChecked(true);
    // Only mixed trading has sell tactics beside buy tactics.
    sides->setEnabled(tradingMode == kModeMixed);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("戦術名称"), name_);
    auto* buttons = okCancelButtons(this);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(states);
    layout->addWidget(sides);
    layout->addWidget(buttons);
    name_->setMinimumWidth(220);
}

std::string TacticDialog::name() const {
    return name_->text().toStdString();
}

bool TacticDialog::disabled() const {
    return disabled_->isChecked();
}

uint8_t TacticDialog::side() const {
    return sell_->isChecked() ? kSellTactic : kBuyTactic;
}

}  // namespace tav::desktop
