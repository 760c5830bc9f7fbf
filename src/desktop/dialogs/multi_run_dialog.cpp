#include "dialogs/multi_run_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "dialogs/integer_edit.h"
#include "dialogs/labels_combo.h"
#include "dialogs/market_run_fields.h"
#include "simulation/strategy_file.h"
#include "workspace/screening.h"

namespace tav::desktop {

namespace {

// Wider than the allowed lengths, so that the run's own check names the range.
constexpr IntegerField kLengthField{"ランキング結果", 0, 99999};

}  // namespace

MultiRunDialog::MultiRunDialog(const MultiRunSettings& initial, const std::string& folder,
                               bool accumulate, const std::vector<std::string>& watchlists,
                               Prompter& prompter, QWidget* parent)
    : QDialog(parent),
      prompter_(prompter),
      settings_(initial),
      strategy_(new QComboBox(this)),
      filters_(std::make_unique<FilterFields>(initial.filters, this)),
      input_(new QComboBox(this)),
      kind_(new QComboBox(this)),
      length_(integerEdit(kLengthField, initial.rankingLength, this)) {
    setWindowTitle(QStringLiteral("シミュレーション"));
    const std::vector<std::string> strategies = readStrategyNames(folder);
    fillCombo(strategy_, strategies, initial.strategy);
    std::vector<std::string> inputs{accumulate ? "なし" : "現注目銘柄"};
    inputs.insert(inputs.end(), watchlists.begin(), watchlists.end());
    fillCombo(input_, inputs, initial.input);
    fillCombo(kind_, kRankingKindLabels, initial.rankingKind);

    auto* layout = new QVBoxLayout(this);
    if (!accumulate) {
        warning_ = notAccumulateLine(this);
        layout->addWidget(warning_);
    }
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("売買戦略"), strategy_);
    filters_->addRows(form);
    form->addRow(QStringLiteral("入力先"), input_);
    form->addRow(QStringLiteral("ランキング種別"), kind_);
    auto* length = new QHBoxLayout;
    length->addWidget(length_);
    length->addWidget(new QLabel(QStringLiteral("位まで"), this));
    length->addStretch();
    form->addRow(QStringLiteral("ランキング結果"), length);
    layout->addLayout(form);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    ok->setDefault(true);
    // Nothing to back-test without a strategy.
    ok->setEnabled(!strategies.empty());
    buttons->addButton(QStringLiteral("キャンセル"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &MultiRunDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

MultiRunDialog::~MultiRunDialog() = default;

void MultiRunDialog::accept() {
    MultiRunSettings chosen = settings_;
    chosen.strategy = std::max(strategy_->currentIndex(), 0);
    const auto filters = filters_->read(prompter_);
    if (!filters) return;
    chosen.filters = *filters;
    chosen.input = input_->currentIndex();
    chosen.rankingKind = kind_->currentIndex();
    const auto length = readIntegerEdit(length_, kLengthField, prompter_);
    if (!length) return;
    chosen.rankingLength = *length;
    if (!confirmMultiRunDialog(chosen, prompter_)) return;
    settings_ = chosen;
    QDialog::accept();
}

}  // namespace tav::desktop
