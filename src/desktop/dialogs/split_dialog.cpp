#include "split_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "dialogs/dialog_buttons.h"
#include "integer_edit.h"
#include "labels_combo.h"

namespace tav::desktop {

namespace {

QString unitOf(int method) {
    switch (method) {
        case kSplitUnits: return QStringLiteral("単元");
        case kSplitPercent: return QStringLiteral("％");
        case kSplitYen: return QStringLiteral("円");
        default: return {};
    }
}

}  // namespace

SplitDialog::SplitDialog(const SplitSettings& split, const std::vector<std::string>& capsuleTitles,
                         Prompter& prompter, QWidget* parent)
    : QDialog(parent),
      split_(split),
      prompter_(prompter),
      method_(new QComboBox(this)),
      amount_(integerEdit(kAmountField, split.amount, this)),
      amountUnit_(new QLabel(this)),
      step_(integerEdit(kStepField, split.step, this)),
      stepUnit_(new QLabel(this)),
      capsule_(new QComboBox(this)) {
    setWindowTitle(QStringLiteral("分割方法の設定"));
    fillCombo(method_, strategy_labels::splitMethods(), split.method);
    fillCombo(capsule_, capsuleTitles, split.capsule);
    connect(method_, &QComboBox::currentIndexChanged, this, &SplitDialog::showMethod);
    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("分割方法"), this), 0, 0);
    grid->addWidget(method_, 0, 1, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("一回の額"), this), 1, 0);
    grid->addWidget(amount_, 1, 1);
    grid->addWidget(amountUnit_, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("増減率"), this), 2, 0);
    grid->addWidget(step_, 2, 1);
    grid->addWidget(stepUnit_, 2, 2);
    grid->addWidget(new QLabel(QStringLiteral("増玉条件"), this), 3, 0);
    grid->addWidget(capsule_, 3, 1, 1, 2);
    auto* buttons = okCancelButtons(this);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(buttons);
    capsule_->setMinimumWidth(200);
    showMethod(method_->currentIndex());
}

void SplitDialog::showMethod(int method) {
    const bool splitting = method != kSplitNone;
    for (QWidget* w : {static_cast<QWidget*>(amount_), static_cast<QWidget*>(step_),
                       static_cast<QWidget*>(capsule_)})
        w->setEnabled(splitting);
    amountUnit_->setText(unitOf(method));
    stepUnit_->setText(unitOf(method));
}

void SplitDialog::accept() {
    SplitSettings out = split_;
    out.method = static_cast<uint8_t>(method_->currentIndex());
    if (out.method != kSplitNone) {
        const auto amount = readIntegerEdit(amount_, kAmountField, prompter_);
        if (!amount) return;
        const auto step = readIntegerEdit(step_, kStepField, prompter_);
        if (!step) return;
        out.amount = *amount;
        out.step = *step;
        out.capsule = static_cast<uint8_t>(std::max(capsule_->currentIndex(), 0));
    }
    split_ = out;
    QDialog::accept();
}

}  // namespace tav::desktop
