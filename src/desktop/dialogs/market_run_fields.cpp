#include "dialogs/market_run_fields.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <limits>

#include "dialogs/integer_edit.h"
#include "dialogs/labels_combo.h"
#include "workspace/screening.h"

namespace tav::desktop {

namespace {

constexpr IntegerField kMultipleField{"単元×", 0, std::numeric_limits<int32_t>::max()};

}  // namespace

FilterFields::FilterFields(const SecurityFilters& initial, QWidget* parent)
    : market_(new QComboBox(parent)),
      unit_(new QComboBox(parent)),
      margin_(new QComboBox(parent)),
      liquidity_(new QComboBox(parent)),
      multiple_(integerEdit(kMultipleField, initial.liquidityMultiple, parent)) {
    fillCombo(market_, kMarketLabels, initial.market);
    fillCombo(unit_, kUnitLabels, initial.unit);
    fillCombo(margin_, kMarginLabels, initial.marginType);
    fillCombo(liquidity_, kLiquidityLabels, initial.liquidity);
    multiple_->setEnabled(liquidity_->currentIndex() != kLiquidityNone);
    QObject::connect(liquidity_, &QComboBox::currentIndexChanged, multiple_,
                     [edit = multiple_](int kind) { edit->setEnabled(kind != kLiquidityNone); });
}

void FilterFields::addRows(QFormLayout* form) {
    form->addRow(QStringLiteral("対象市場"), market_);
    form->addRow(QStringLiteral("単元株"), unit_);
    form->addRow(QStringLiteral("信用種別"), margin_);
    auto* liquidity = new QHBoxLayout;
    liquidity->addWidget(liquidity_);
    liquidity->addWidget(new QLabel(QStringLiteral("単元×"), liquidity_->parentWidget()));
    liquidity->addWidget(multiple_);
    liquidity->addWidget(new QLabel(QStringLiteral("倍以上"), liquidity_->parentWidget()));
    liquidity->addStretch();
    form->addRow(QStringLiteral("流動性"), liquidity);
}

std::optional<SecurityFilters> FilterFields::read(Prompter& prompter) const {
    SecurityFilters filters;
    filters.market = market_->currentIndex();
    filters.unit = unit_->currentIndex();
    filters.marginType = margin_->currentIndex();
    filters.liquidity = liquidity_->currentIndex();
    // The multiple only counts with a liquidity choice; a disabled field keeps
    // whatever it held.
    if (filters.liquidity != kLiquidityNone) {
        const auto multiple = readIntegerEdit(multiple_, kMultipleField, prompter);
        if (!multiple) return std::nullopt;
        filters.liquidityMultiple = *multiple;
    } else {
        filters.liquidityMultiple =
            parseIntegerField(multiple_->text().toStdString(), kMultipleField).value_or(0);
    }
    return filters;
}

QLabel* notAccumulateLine(QWidget* parent) {
    auto* line = new QLabel(QString::fromUtf8(kNotAccumulateWarning), parent);
    line->setObjectName(QStringLiteral("notAccumulateLine"));
    QPalette palette = line->palette();
    palette.setColor(QPalette::WindowText, QColor(0xFF, 0, 0));
    line->setPalette(palette);
    return line;
}

}  // namespace tav::desktop
