#include "dialogs/screening_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <limits>

#include "conditions/capsule_file.h"
#include "dialogs/capsule_dialog.h"
#include "dialogs/integer_edit.h"
#include "dialogs/labels_combo.h"
#include "dialogs/market_run_fields.h"
#include "simulation/strategy_file.h"
#include "window/ui_font.h"
#include "workspace/screening.h"

namespace tav::desktop {

namespace {

constexpr int32_t kInt32Max = std::numeric_limits<int32_t>::max();
constexpr IntegerField kValueField{"値", std::numeric_limits<int32_t>::min(), kInt32Max};
constexpr IntegerField kTradingMinField{"売買金額", 0, kInt32Max};
constexpr IntegerField kTradingMaxField{"売買金額", 0, kInt32Max};

}  // namespace

ScreeningDialog::ScreeningDialog(const ScreeningSettings& initial, const std::string& folder,
                                 bool accumulate, const std::vector<std::string>& watchlists,
                                 Prompter& prompter, Shell& shell, QWidget* parent)
    : QDialog(parent),
      folder_(folder),
      prompter_(prompter),
      shell_(shell),
      settings_(initial),
      item_(new QComboBox(this)),
      value_(integerEdit(kValueField, initial.value, this)),
      valueUnit_(new QLabel(this)),
      strategy_(new QComboBox(this)),
      capsule_(new QComboBox(this)),
      capsuleButton_(new QPushButton(QStringLiteral("条件ｶﾌﾟｾﾙ設定"), this)),
      filters_(std::make_unique<FilterFields>(initial.filters, this)),
      tradingMin_(integerEdit(kTradingMinField, initial.tradingValueMin, this)),
      tradingMax_(integerEdit(kTradingMaxField, initial.tradingValueMax, this)),
      input_(new QComboBox(this)),
      output_(new QComboBox(this)) {
    setWindowTitle(QStringLiteral("銘柄抽出"));
    fillCombo(item_, kSearchItemLabels, initial.searchItem);
    fillCombo(strategy_, readStrategyNames(folder_), initial.strategy);
    fillCombo(capsule_, readCapsuleTitles(folder_), initial.capsule);
    std::vector<std::string> inputs{"なし"};
    inputs.insert(inputs.end(), watchlists.begin(), watchlists.end());
    fillCombo(input_, inputs, initial.input);
    fillCombo(output_, watchlists, initial.output);
    item_->setMaxVisibleItems(kSearchItemCount);

    auto* layout = new QVBoxLayout(this);
    if (!accumulate) {
        warning_ = notAccumulateLine(this);
        layout->addWidget(warning_);
    }
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("検索項目"), item_);
    auto* valueRow = new QHBoxLayout;
    valueRow->addWidget(value_);
    valueRow->addWidget(valueUnit_);
    valueRow->addStretch();
    valueUnit_->setObjectName(QStringLiteral("valueUnit"));
    form->addRow(QStringLiteral("値"), valueRow);
    form->addRow(QStringLiteral("売買戦略"), strategy_);
    auto* capsuleRow = new QHBoxLayout;
    capsuleRow->addWidget(capsule_, 1);
    capsuleRow->addWidget(capsuleButton_);
    // The label is drawn with its kana composed, wider than it measures.
    auto* capsuleLabel = new QLabel(QStringLiteral("条件ｶﾌﾟｾﾙ"), this);
    capsuleLabel->setMinimumWidth(
        capsuleLabel->fontMetrics().horizontalAdvance(composedKana(capsuleLabel->text())));
    form->addRow(capsuleLabel, capsuleRow);
    filters_->addRows(form);
    auto* trading = new QHBoxLayout;
    // The value of one trading unit at the last close.
    trading->addWidget(tradingMin_);
    trading->addWidget(new QLabel(QStringLiteral("円 ～"), this));
    trading->addWidget(tradingMax_);
    trading->addWidget(new QLabel(QStringLiteral("円"), this));
    trading->addStretch();
    form->addRow(QStringLiteral("売買金額"), trading);
    form->addRow(QStringLiteral("入力先"), input_);
    form->addRow(QStringLiteral("出力先"), output_);
    layout->addLayout(form);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    ok->setDefault(true);
    // Without a watchlist there is nowhere to write the selection.
    ok->setEnabled(!watchlists.empty());
    buttons->addButton(QStringLiteral("キャンセル"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &ScreeningDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);

    connect(item_, &QComboBox::currentIndexChanged, this, &ScreeningDialog::itemChanged);
    connect(capsuleButton_, &QPushButton::clicked, this, &ScreeningDialog::editCapsules);
    itemChanged(item_->currentIndex());
}

ScreeningDialog::~ScreeningDialog() = default;

void ScreeningDialog::itemChanged(int item) {
    const bool takesValue = searchItemTakesValue(item);
    value_->setEnabled(takesValue);
    // Rate items compare a percentage; the others an indicator's own value.
    const bool rate = takesValue && kSearchItemLabels[static_cast<std::size_t>(item)].find(
                                        "[％]") != std::string_view::npos;
    valueUnit_->setText(rate ? QStringLiteral("％") : QString());
    strategy_->setEnabled(item == kSearchStrategy);
    capsule_->setEnabled(item == kSearchCapsule);
}

void ScreeningDialog::editCapsules() {
    const int selected = capsule_->currentIndex();
    {
        CapsuleDialog dialog(folder_, std::max(selected, 0), prompter_, shell_, this);
        dialog.exec();
    }
    // Titles may have been added, renamed or removed; the chosen number stays.
    fillCombo(capsule_, readCapsuleTitles(folder_), selected);
    item_->setCurrentIndex(kSearchCapsule);
    itemChanged(kSearchCapsule);
}

void ScreeningDialog::accept() {
    ScreeningSettings chosen;
    chosen.searchItem = item_->currentIndex();
    // Fields that are switched off keep what they held, as the options do.
    chosen.value = settings_.value;
    if (value_->isEnabled()) {
        const auto value = readIntegerEdit(value_, kValueField, prompter_);
        if (!value) return;
        chosen.value = *value;
    }
    chosen.strategy = std::max(strategy_->currentIndex(), 0);
    chosen.capsule = std::max(capsule_->currentIndex(), 0);
    const auto filters = filters_->read(prompter_);
    if (!filters) return;
    chosen.filters = *filters;
    const auto minimum = readIntegerEdit(tradingMin_, kTradingMinField, prompter_);
    if (!minimum) return;
    const auto maximum = readIntegerEdit(tradingMax_, kTradingMaxField, prompter_);
    if (!maximum) return;
    chosen.tradingValueMin = *minimum;
    chosen.tradingValueMax = *maximum;
    chosen.input = input_->currentIndex();
    chosen.output = output_->currentIndex();
    if (!confirmScreeningDialog(chosen, prompter_)) return;
    settings_ = chosen;
    QDialog::accept();
}

}  // namespace tav::desktop
