#include "ranking_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QPushButton>
#include <algorithm>

namespace tav::desktop {

namespace {

QString qt(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<int>(text.size()));
}

void fill(QComboBox* box, std::span<const std::string_view> items, int selected) {
    box->clear();
    for (std::string_view item : items) box->addItem(qt(item));
    box->setCurrentIndex(std::clamp(selected, 0, std::max(box->count() - 1, 0)));
}

}  // namespace

RankingDialog::RankingDialog(const RankingChoices& initial, const std::vector<std::string>& titles,
                             QWidget* parent)
    : QDialog(parent),
      category_(new QComboBox(this)),
      kind_(new QComboBox(this)),
      market_(new QComboBox(this)),
      period_(new QComboBox(this)),
      output_(new QComboBox(this)) {
    setWindowTitle(QStringLiteral("ランキング情報の取得"));
    fill(category_, kRankingCategories, initial.category);
    fillKinds(category_->currentIndex(), initial.kind);
    std::vector<std::string_view> markets;
    for (const RankingMarket& market : kRankingMarkets) markets.push_back(market.label);
    fill(market_, markets, initial.market);
    fill(period_, kRankingPeriods, initial.period);
    std::vector<std::string_view> outputs(titles.begin(), titles.end());
    fill(output_, outputs, initial.output);
    connect(category_, &QComboBox::currentIndexChanged, this,
            [this](int category) { fillKinds(category, 0); });

    auto* form = new QFormLayout(this);
    form->addRow(QStringLiteral("区分"), category_);
    form->addRow(QStringLiteral("種類"), kind_);
    form->addRow(QStringLiteral("市場"), market_);
    form->addRow(QStringLiteral("期間"), period_);
    form->addRow(QStringLiteral("出力先"), output_);
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* run = buttons->addButton(QStringLiteral("実行"), QDialogButtonBox::AcceptRole);
    run->setDefault(true);
    run->setEnabled(!titles.empty());
    buttons->addButton(QStringLiteral("キャンセル"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    form->addRow(buttons);
}

void RankingDialog::fillKinds(int category, int selected) {
    fill(kind_, rankingKinds(category), selected);
}

RankingChoices RankingDialog::choices() const {
    return {category_->currentIndex(), kind_->currentIndex(), market_->currentIndex(),
            period_->currentIndex(), output_->currentIndex()};
}

}  // namespace tav::desktop
