#include "dialogs/portfolio_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "dialogs/integer_edit.h"
#include "dialogs/labels_combo.h"
#include "dialogs/market_run_fields.h"
#include "simulation/number_formats.h"
#include "simulation/strategy_file.h"
#include "simulation/trade_insight.h"
#include "workspace/screening.h"

namespace tav::desktop {

namespace {

constexpr IntegerField kCapitalField{"資金", 1, 2'000'000'000};
constexpr IntegerField kPositionsField{"最大建玉数", 0, 10000};
constexpr IntegerField kAmountField{"建玉金額", 1, 2'000'000'000};
constexpr IntegerField kShareField{"資産比率", 1, 100};
constexpr IntegerField kSeedField{"乱数の種", 0, 2'000'000'000};
constexpr std::string_view kSizingLabels[] = {"固定金額", "資産比率（％）", "戦略どおり"};
constexpr std::string_view kScoreLabels[] = {"売買代金", "指標値", "データ本数", "乱数"};

// A date field: empty, or YYYYMMDD.
std::optional<int32_t> readDate(const QLineEdit* edit, const char* label, Prompter& prompter) {
    const QString text = edit->text().trimmed();
    if (text.isEmpty()) return 0;
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || text.size() != 8 || value < 19000101) {
        prompter.message(
            std::string("「") + label + "」には YYYYMMDD の形で日付を入力してください。",
            MessageIcon::Stop);
        return std::nullopt;
    }
    return value;
}

QTableWidgetItem* cell(const QString& text, bool number) {
    auto* item = new QTableWidgetItem(text);
    if (number) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return item;
}

QString amount(int64_t value) {
    return QString::fromStdString(amountText(value));
}

}  // namespace

PortfolioDialog::PortfolioDialog(const MultiRunSettings& initial, const std::string& folder,
                                 bool accumulate, const std::vector<std::string>& watchlists,
                                 Prompter& prompter, QWidget* parent)
    : QDialog(parent),
      prompter_(prompter),
      selection_(initial),
      strategy_(new QComboBox(this)),
      filters_(std::make_unique<FilterFields>(initial.filters, this)),
      input_(new QComboBox(this)),
      capital_(integerEdit(kCapitalField, 10'000'000, this)),
      positions_(integerEdit(kPositionsField, 10, this)),
      sizing_(new QComboBox(this)),
      sizeValue_(integerEdit(kShareField, 10, this)),
      sizeUnit_(new QLabel(this)),
      sizeTexts_{QStringLiteral("1000000"), QStringLiteral("10")},
      sizeTextKind_(static_cast<int>(PositionSizing::EquityShare)),
      score_(new QComboBox(this)),
      slot_(new QComboBox(this)),
      seed_(integerEdit(kSeedField, 1, this)),
      from_(new QLineEdit(this)),
      to_(new QLineEdit(this)) {
    setWindowTitle(QStringLiteral("ポートフォリオ"));
    const std::vector<std::string> strategies = readStrategyNames(folder);
    fillCombo(strategy_, strategies, initial.strategy);
    std::vector<std::string> inputs{accumulate ? "なし" : "現注目銘柄"};
    inputs.insert(inputs.end(), watchlists.begin(), watchlists.end());
    fillCombo(input_, inputs, initial.input);
    fillCombo(sizing_, kSizingLabels, 1);
    fillCombo(score_, kScoreLabels, 0);
    for (const ScoreSlot& slot : scoreSlots())
        slot_->addItem(
            QString::fromUtf8(slot.name.data(), static_cast<qsizetype>(slot.name.size())));
    from_->setPlaceholderText(QStringLiteral("YYYYMMDD"));
    to_->setPlaceholderText(QStringLiteral("YYYYMMDD"));

    auto* layout = new QVBoxLayout(this);
    if (!accumulate) layout->addWidget(notAccumulateLine(this));
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("売買戦略"), strategy_);
    filters_->addRows(form);
    form->addRow(QStringLiteral("入力先"), input_);
    const auto withUnit = [this](QWidget* field, QLabel* unit) {
        auto* row = new QHBoxLayout;
        row->addWidget(field);
        row->addWidget(unit);
        row->addStretch();
        return row;
    };
    form->addRow(QStringLiteral("資金"),
                 withUnit(capital_, new QLabel(QStringLiteral("円"), this)));
    form->addRow(QStringLiteral("最大建玉数"),
                 withUnit(positions_, new QLabel(QStringLiteral("銘柄（0は制限なし）"), this)));
    form->addRow(QStringLiteral("建玉サイズ"), sizing_);
    sizeUnit_->setObjectName(QStringLiteral("sizeUnit"));
    form->addRow(QStringLiteral("金額・比率"), withUnit(sizeValue_, sizeUnit_));
    form->addRow(QStringLiteral("優先順位"), score_);
    form->addRow(QStringLiteral("指標"), slot_);
    form->addRow(QStringLiteral("乱数の種"), seed_);
    form->addRow(QStringLiteral("開始日"), from_);
    form->addRow(QStringLiteral("終了日"), to_);
    layout->addLayout(form);
    connect(sizing_, &QComboBox::currentIndexChanged, this, [this] {
        sizingChanged();
        updateFields();
    });
    connect(score_, &QComboBox::currentIndexChanged, this, [this] { updateFields(); });
    updateFields();

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    ok->setDefault(true);
    ok->setEnabled(!strategies.empty());
    buttons->addButton(QStringLiteral("キャンセル"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &PortfolioDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

PortfolioDialog::~PortfolioDialog() = default;

void PortfolioDialog::updateFields() {
    const int sizing = sizing_->currentIndex();
    sizeValue_->setEnabled(sizing != static_cast<int>(PositionSizing::Strategy));
    sizeUnit_->setText(sizing == static_cast<int>(PositionSizing::Fixed) ? QStringLiteral("円")
                       : sizing == static_cast<int>(PositionSizing::EquityShare)
                           ? QStringLiteral("％")
                           : QString());
    slot_->setEnabled(score_->currentIndex() == 1);
    seed_->setEnabled(score_->currentIndex() == 3);
}

void PortfolioDialog::accept() {
    MultiRunSettings chosen = selection_;
    chosen.strategy = std::max(strategy_->currentIndex(), 0);
    const auto filters = filters_->read(prompter_);
    if (!filters) return;
    chosen.filters = *filters;
    chosen.input = input_->currentIndex();

    PortfolioSettings account;
    const auto capital = readIntegerEdit(capital_, kCapitalField, prompter_);
    if (!capital) return;
    const auto positions = readIntegerEdit(positions_, kPositionsField, prompter_);
    if (!positions) return;
    account.capital = *capital;
    account.maxPositions = *positions;
    account.sizing = static_cast<PositionSizing>(std::max(sizing_->currentIndex(), 0));
    if (account.sizing != PositionSizing::Strategy) {
        const IntegerField& field =
            account.sizing == PositionSizing::Fixed ? kAmountField : kShareField;
        const auto value = readIntegerEdit(sizeValue_, field, prompter_);
        if (!value) return;
        account.sizeValue = *value;
    }
    account.score = static_cast<PositionScore>(std::max(score_->currentIndex(), 0));
    account.slot = std::max(slot_->currentIndex(), 0);
    if (account.score == PositionScore::Random) {
        const auto seed = readIntegerEdit(seed_, kSeedField, prompter_);
        if (!seed) return;
        account.seed = static_cast<uint64_t>(*seed);
    }
    const auto from = readDate(from_, "開始日", prompter_);
    if (!from) return;
    const auto to = readDate(to_, "終了日", prompter_);
    if (!to) return;
    account.from = *from;
    account.to = *to;
    selection_ = chosen;
    account_ = account;
    QDialog::accept();
}

void PortfolioDialog::sizingChanged() {
    const int sizing = sizing_->currentIndex();
    if (sizing != static_cast<int>(PositionSizing::Fixed) &&
        sizing != static_cast<int>(PositionSizing::EquityShare))
        return;
    if (sizing == sizeTextKind_) return;
    sizeTexts_[sizeTextKind_] = sizeValue_->text();
    sizeTextKind_ = sizing;
    sizeValue_->setText(sizeTexts_[sizing]);
}

PortfolioPlot::PortfolioPlot(const std::vector<PortfolioDay>& days, QWidget* parent)
    : QWidget(parent), days_(days) {
    setMinimumSize(480, 220);
}

void PortfolioPlot::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    if (days_.empty()) return;
    constexpr int kMargin = 8;
    constexpr int kDateRow = 16;
    const int width = std::max(1, this->width() - 2 * kMargin);
    const int plotHeight = height() - kDateRow - 2 * kMargin;
    const int equityHeight = plotHeight * 7 / 10;
    const int drawdownTop = kMargin + equityHeight + 4;
    const int drawdownHeight = std::max(1, plotHeight - equityHeight - 4);
    auto [low, high] = std::minmax_element(
        days_.begin(), days_.end(),
        [](const PortfolioDay& a, const PortfolioDay& b) { return a.equity < b.equity; });
    const double bottom = static_cast<double>(low->equity);
    const double span = std::max(1.0, static_cast<double>(high->equity) - bottom);
    int64_t deepest = -1;
    for (const PortfolioDay& day : days_)
        deepest = std::min(deepest, day.drawdown);
    const double count = static_cast<double>(std::max<std::size_t>(days_.size() - 1, 1));
    auto x = [&](std::size_t i) { return kMargin + static_cast<double>(i) * width / count; };

    QPainterPath equity;
    QPainterPath drawdown;
    drawdown.moveTo(x(0), drawdownTop);
    for (std::size_t i = 0; i < days_.size(); ++i) {
        const double y =
            kMargin + equityHeight * (1.0 - (static_cast<double>(days_[i].equity) - bottom) / span);
        if (i == 0)
            equity.moveTo(x(i), y);
        else
            equity.lineTo(x(i), y);
        drawdown.lineTo(x(i), drawdownTop + drawdownHeight *
                                                static_cast<double>(days_[i].drawdown) /
                                                static_cast<double>(deepest));
    }
    drawdown.lineTo(x(days_.size() - 1), drawdownTop);
    drawdown.closeSubpath();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(drawdown, QColor(220, 60, 60, 160));
    painter.setPen(QPen(QColor(0, 70, 160), 1.5));
    painter.drawPath(equity);
    painter.setPen(Qt::gray);
    painter.drawLine(kMargin, drawdownTop, kMargin + width, drawdownTop);

    // Dates at the first day, the last, and the first day of each year between
    // when there is room.
    painter.setPen(Qt::black);
    const int textY = height() - kMargin;
    int lastRight = -1000;
    for (std::size_t i = 0; i < days_.size(); ++i) {
        const bool yearStart = i > 0 && days_[i].date / 10000 != days_[i - 1].date / 10000;
        if (i != 0 && i + 1 != days_.size() && !yearStart) continue;
        const QString label = i == 0 || i + 1 == days_.size()
                                  ? QString::number(days_[i].date)
                                  : QString::number(days_[i].date / 10000);
        const int textWidth = painter.fontMetrics().horizontalAdvance(label);
        const int left =
            std::clamp(static_cast<int>(x(i)) - textWidth / 2, 0, this->width() - textWidth);
        if (left < lastRight + 6) continue;
        painter.drawText(left, textY, label);
        lastRight = left + textWidth;
    }
}

PortfolioResultView::PortfolioResultView(std::string strategyName, PortfolioOutcome outcome,
                                         QWidget* parent)
    : QDialog(parent), outcome_(std::move(outcome)), table_(new QTableWidget(this)) {
    setWindowTitle(QStringLiteral("損益 - ポートフォリオ - ") +
                   QString::fromStdString(strategyName));
    auto* layout = new QVBoxLayout(this);
    auto* splitter = new QSplitter(Qt::Vertical, this);
    auto* top = new QWidget(splitter);
    auto* topLayout = new QHBoxLayout(top);
    topLayout->setContentsMargins(0, 0, 0, 0);
    topLayout->addWidget(new PortfolioPlot(outcome_.days, top), 1);
    // The figures as the note pane lists them: labels left, values right.
    auto* figures = new QWidget(top);
    auto* grid = new QGridLayout(figures);
    grid->setVerticalSpacing(0);
    int line = 0;
    for (const NoteLine& note : portfolioNoteLines(outcome_)) {
        grid->addWidget(new QLabel(QString::fromStdString(note.label), figures), line, 0);
        auto* value = new QLabel(QString::fromStdString(note.value), figures);
        value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        grid->addWidget(value, line++, 1);
    }
    grid->setRowStretch(line, 1);
    topLayout->addWidget(figures);
    splitter->addWidget(top);

    const QStringList headers = {"コード", "銘柄名",   "売買",   "仕掛日", "手仕舞日",
                                 "仕掛値", "手仕舞値", "単元数", "損益",   "手数料",
                                 "純損益", "理由",     "結果"};
    table_->setColumnCount(static_cast<int>(headers.size()));
    table_->setHorizontalHeaderLabels(headers);
    table_->setRowCount(static_cast<int>(outcome_.trades.size()));
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->verticalHeader()->setVisible(false);
    for (int row = 0; row < table_->rowCount(); ++row) {
        const PortfolioTrade& t = outcome_.trades[static_cast<std::size_t>(row)];
        const PortfolioSecurity& s = outcome_.securities[static_cast<std::size_t>(t.security)];
        const bool taken = t.outcome == EntryOutcome::Taken;
        const std::string_view reason = taken ? exitReasonLabel(t.reason) : std::string_view();
        const std::string_view result = entryOutcomeLabel(t.outcome);
        const QString cells[] = {
            QString::fromStdString(codeText(s.code)),
            QString::fromStdString(s.name),
            t.side == 1 ? QStringLiteral("買") : QStringLiteral("売"),
            QString::number(t.entryDate),
            t.exitDate != 0 ? QString::number(t.exitDate) : QString(),
            amount(t.entryPrice),
            taken ? amount(t.exitPrice) : QString(),
            QString::number(t.units),
            taken ? amount(t.profit) : QString(),
            taken ? amount(t.commission) : QString(),
            taken ? amount(t.net()) : QString(),
            QString::fromUtf8(reason.data(), static_cast<qsizetype>(reason.size())),
            QString::fromUtf8(result.data(), static_cast<qsizetype>(result.size())),
        };
        for (int column = 0; column < static_cast<int>(std::size(cells)); ++column)
            table_->setItem(row, column, cell(cells[column], column >= 5 && column <= 10));
    }
    table_->resizeColumnsToContents();
    connect(table_, &QTableWidget::cellDoubleClicked, this, [this](int row, int) {
        if (!onShowTrade || row < 0 || row >= static_cast<int>(outcome_.trades.size())) return;
        const PortfolioTrade& t = outcome_.trades[static_cast<std::size_t>(row)];
        onShowTrade(outcome_.securities[static_cast<std::size_t>(t.security)].code, t.entryDate);
    });
    splitter->addWidget(table_);
    splitter->setSizes({380, 320});
    layout->addWidget(splitter);
    resize(1000, 700);
}

}  // namespace tav::desktop
