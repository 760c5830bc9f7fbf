#include "dialogs/optimize_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <cstdlib>

#include "dialogs/integer_edit.h"
#include "dialogs/labels_combo.h"
#include "simulation/number_formats.h"

namespace tav::desktop {

namespace {

constexpr IntegerField kMinTradesField{"最低取引数", 0, 1'000'000'000};
constexpr IntegerField kBudgetField{"試行数", 1, 10'000'000};
constexpr IntegerField kSeedField{"乱数の種", 0, 2'000'000'000};
constexpr IntegerField kMonteCarloField{"モンテカルロ試行数", 0, 100'000};
constexpr IntegerField kMonthsInField{"検証前の期間（最適化期間）", 1, 600};
constexpr IntegerField kMonthsOutField{"検証期間", 1, 600};
constexpr std::string_view kSearchLabels[] = {"全探索", "進化的探索"};
constexpr std::string_view kWindowLabels[] = {"移動", "開始日固定"};

QTableWidgetItem* item(const QString& text, bool editable) {
    auto* cell = new QTableWidgetItem(text);
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (editable) flags |= Qt::ItemIsEditable;
    cell->setFlags(flags);
    return cell;
}

QHBoxLayout* withUnit(QWidget* field, const QString& unit, QWidget* parent) {
    auto* row = new QHBoxLayout;
    row->addWidget(field);
    row->addWidget(new QLabel(unit, parent));
    row->addStretch();
    return row;
}

// A step of 1, 2 or 5 times a power of ten nearest to `raw`.
int roundStep(int raw) {
    int best = 1;
    for (int power = 1; power <= 100'000'000; power *= 10)
        for (int m : {1, 2, 5})
            if (std::abs(m * power - raw) < std::abs(best - raw)) best = m * power;
    return best;
}

// A whole number typed in a table cell.
std::optional<int> cellNumber(const QTableWidgetItem* cell) {
    bool ok = false;
    const int value = cell ? cell->text().trimmed().toInt(&ok) : 0;
    return ok ? std::optional(value) : std::nullopt;
}

}  // namespace

OptimizeDialog::OptimizeDialog(int strategyIndex, std::string strategyName,
                               std::vector<SweepableParameter> parameters,
                               const OptimizeChoice& initial, const QString& securityLabel,
                               bool market, const std::vector<std::string>& watchlists,
                               Prompter& prompter, QWidget* parent)
    : QDialog(parent),
      strategyName_(std::move(strategyName)),
      list_(std::move(parameters)),
      strategyIndex_(strategyIndex),
      prompter_(prompter),
      table_(new QTableWidget(static_cast<int>(list_.size()), kColumnCount, this)),
      objective_(new QComboBox(this)),
      minTrades_(integerEdit(kMinTradesField, 0, this)),
      scope_(new QComboBox(this)),
      watchlist_(new QComboBox(this)),
      search_(new QComboBox(this)),
      budget_(integerEdit(kBudgetField, 200, this)),
      seed_(integerEdit(kSeedField, 1, this)),
      monteCarlo_(integerEdit(kMonteCarloField, 1000, this)),
      walkForward_(new QCheckBox(QStringLiteral("ウォークフォワード分析を行う"), this)),
      inMonths_(integerEdit(kMonthsInField, 24, this)),
      outMonths_(integerEdit(kMonthsOutField, 6, this)),
      windowKind_(new QComboBox(this)),
      grid_(new QLabel(this)) {
    setWindowTitle(QStringLiteral("最適化 - ") + QString::fromStdString(strategyName_));

    table_->setHorizontalHeaderLabels({QStringLiteral("使用"), QStringLiteral("パラメータ"),
                                       QStringLiteral("現在値"), QStringLiteral("開始"),
                                       QStringLiteral("終了"), QStringLiteral("刻み"),
                                       QStringLiteral("内容")});
    table_->verticalHeader()->hide();
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    const bool sameStrategy = initial.strategy == strategyIndex_;
    {
        const QSignalBlocker blocker(table_);
        for (std::size_t r = 0; r < list_.size(); ++r) {
            const SweepableParameter& parameter = list_[r];
            const auto row = static_cast<int>(r);
            OptimizeChoice::Row kept;
            if (const auto found = initial.rows.find(parameter.name);
                sameStrategy && found != initial.rows.end())
                kept = found->second;
            else {
                // A start around the value in use: half of it up to double,
                // in about five round steps.
                const int high = static_cast<int>(std::min<int64_t>(
                    parameter.range.max,
                    std::max(parameter.current * 2LL, parameter.current / 2 + 4LL)));
                const int step = roundStep(std::max(1, (high - parameter.current / 2) / 4));
                const int low = std::max(parameter.range.min, parameter.current / 2 / step * step);
                kept = {false, QString::number(low), QString::number(high), QString::number(step)};
            }
            auto* use = item(QString(), false);
            use->setFlags(use->flags() | Qt::ItemIsUserCheckable);
            use->setCheckState(kept.used ? Qt::Checked : Qt::Unchecked);
            table_->setItem(row, kUse, use);
            table_->setItem(row, kName, item(QString::fromStdString(parameter.label), false));
            auto* current = item(QString::number(parameter.current), false);
            current->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            table_->setItem(row, kCurrent, current);
            const QString texts[] = {kept.from, kept.to, kept.step};
            for (int c = 0; c < 3; ++c) {
                auto* number = item(texts[c], true);
                number->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
                table_->setItem(row, kFrom + c, number);
            }
            auto* text = item(QString::fromStdString(parameter.rowText), false);
            text->setToolTip(text->text());
            table_->setItem(row, kRowText, text);
        }
    }
    table_->resizeColumnsToContents();
    table_->horizontalHeader()->setStretchLastSection(true);
    for (int c : {kFrom, kTo, kStep})
        table_->setColumnWidth(c, std::max(table_->columnWidth(c), 64));
    table_->setMinimumHeight(200);
    connect(table_, &QTableWidget::itemChanged, this, [this] { updateGridSize(); });

    fillCombo(objective_, kObjectiveLabels, initial.objective);
    std::vector<std::string> scopeLabels;
    scopeLabels.push_back("この銘柄（" + securityLabel.toStdString() + "）");
    scopes_.push_back(OptimizeScope::Security);
    if (!watchlists.empty()) {
        scopeLabels.push_back("銘柄リスト");
        scopes_.push_back(OptimizeScope::Watchlist);
    }
    if (market) {
        scopeLabels.push_back("全銘柄");
        scopes_.push_back(OptimizeScope::Market);
    }
    int scopeIndex = 0;
    for (std::size_t s = 0; s < scopes_.size(); ++s)
        if (scopes_[s] == initial.scope) scopeIndex = static_cast<int>(s);
    fillCombo(scope_, scopeLabels, scopeIndex);
    fillCombo(watchlist_, watchlists, initial.watchlist);
    fillCombo(search_, kSearchLabels, initial.evolve ? 1 : 0);
    fillCombo(windowKind_, kWindowLabels, initial.anchored ? 1 : 0);
    // A choice is never cut, however small the dialog.
    for (QComboBox* combo : {objective_, scope_, watchlist_, search_, windowKind_})
        combo->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    minTrades_->setText(initial.minTrades);
    budget_->setText(initial.budget);
    seed_->setText(initial.seed);
    monteCarlo_->setText(initial.monteCarlo);
    walkForward_->setChecked(initial.walkForward);
    inMonths_->setText(initial.inMonths);
    outMonths_->setText(initial.outMonths);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(
        QStringLiteral("最適化するパラメータに印を付け、開始・終了・刻みを入力してください。"),
        this));
    layout->addWidget(table_, 1);
    grid_->setObjectName(QStringLiteral("gridSize"));
    layout->addWidget(grid_);

    auto* settings = new QHBoxLayout;
    auto* goal = new QGroupBox(QStringLiteral("評価"), this);
    auto* goalForm = new QFormLayout(goal);
    goalForm->addRow(QStringLiteral("目的"), objective_);
    goalForm->addRow(QStringLiteral("最低取引数"),
                     withUnit(minTrades_, QStringLiteral("回"), goal));
    goalForm->addRow(QStringLiteral("対象"), scope_);
    goalForm->addRow(QStringLiteral("銘柄リスト"), watchlist_);
    goalForm->addRow(QStringLiteral("モンテカルロ試行数"),
                     withUnit(monteCarlo_, QStringLiteral("回"), goal));
    monteCarlo_->setToolTip(
        QStringLiteral("最良の組み合わせの取引を無作為に引き直して、最大ドローダウンと最終資産の"
                       "ばらつきを調べます（0 で行いません）"));
    settings->addWidget(goal);

    auto* searchBox = new QGroupBox(QStringLiteral("探索"), this);
    auto* searchForm = new QFormLayout(searchBox);
    searchForm->addRow(QStringLiteral("方法"), search_);
    searchForm->addRow(QStringLiteral("試行数"),
                       withUnit(budget_, QStringLiteral("回"), searchBox));
    searchForm->addRow(QStringLiteral("乱数の種"), seed_);
    settings->addWidget(searchBox);

    auto* walkBox = new QGroupBox(QStringLiteral("ウォークフォワード"), this);
    auto* walkForm = new QFormLayout(walkBox);
    walkForm->addRow(walkForward_);
    walkForm->addRow(QStringLiteral("最適化期間"),
                     withUnit(inMonths_, QStringLiteral("か月"), walkBox));
    walkForm->addRow(QStringLiteral("検証期間"),
                     withUnit(outMonths_, QStringLiteral("か月"), walkBox));
    walkForm->addRow(QStringLiteral("取り方"), windowKind_);
    search_->setToolTip(
        QStringLiteral("全探索：すべての組み合わせを試します\n進化的探索：試行数だけの組み合わせを"
                       "選んで試します"));
    windowKind_->setToolTip(
        QStringLiteral("移動：最適化期間を検証期間の分ずつずらします\n開始日固定：最適化期間の始ま"
                       "りをデータの最初に固定して延ばします"));
    settings->addWidget(walkBox);
    layout->addLayout(settings);

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("実行"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("キャンセル"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);

    for (QComboBox* combo : {scope_, search_})
        connect(combo, &QComboBox::currentIndexChanged, this, [this] { updateFields(); });
    connect(search_, &QComboBox::currentIndexChanged, this, [this] { updateGridSize(); });
    connect(budget_, &QLineEdit::textChanged, this, [this] { updateGridSize(); });
    connect(walkForward_, &QCheckBox::toggled, this, [this] { updateFields(); });
    connect(monteCarlo_, &QLineEdit::textChanged, this, [this] { updateFields(); });
    updateFields();
    updateGridSize();
    resize(900, 620);
}

void OptimizeDialog::updateFields() {
    const bool inList =
        scope_->currentIndex() >= 0 &&
        scopes_[static_cast<std::size_t>(scope_->currentIndex())] == OptimizeScope::Watchlist;
    watchlist_->setEnabled(inList);
    const bool evolve = search_->currentIndex() == 1;
    budget_->setEnabled(evolve);
    // The seed draws the evolutionary search and the Monte Carlo runs.
    seed_->setEnabled(evolve || monteCarlo_->text().toInt() != 0);
    const bool walk = walkForward_->isChecked();
    inMonths_->setEnabled(walk);
    outMonths_->setEnabled(walk);
    windowKind_->setEnabled(walk);
}

std::optional<std::vector<ParameterSweep>> OptimizeDialog::readSweeps(bool quiet) {
    std::vector<ParameterSweep> sweeps;
    for (std::size_t r = 0; r < list_.size(); ++r) {
        const auto row = static_cast<int>(r);
        if (table_->item(row, kUse)->checkState() != Qt::Checked) continue;
        const SweepableParameter& parameter = list_[r];
        const auto from = cellNumber(table_->item(row, kFrom));
        const auto to = cellNumber(table_->item(row, kTo));
        const auto step = cellNumber(table_->item(row, kStep));
        std::string message;
        std::optional<ParameterSweep> sweep;
        if (!from || !to || !step)
            message = "「" + parameter.label + "」の開始・終了・刻みには整数を入力してください。";
        else
            sweep = sweepOf(parameter, *from, *to, *step, message);
        if (!sweep) {
            if (!quiet) {
                table_->setCurrentCell(row, kFrom);
                prompter_.message(message, MessageIcon::Stop);
            }
            return std::nullopt;
        }
        sweeps.push_back(std::move(*sweep));
    }
    return sweeps;
}

void OptimizeDialog::updateGridSize() {
    const auto sweeps = readSweeps(true);
    if (!sweeps) {
        grid_->setText(QStringLiteral("組み合わせ：入力に誤りがあります"));
        return;
    }
    if (sweeps->empty()) {
        grid_->setText(QStringLiteral("組み合わせ：パラメータが選ばれていません"));
        return;
    }
    const int64_t size = gridSize(*sweeps);
    QString text =
        QStringLiteral("組み合わせ：%1 通り").arg(QString::fromStdString(amountText(size)));
    if (search_->currentIndex() == 1) {
        bool ok = false;
        const int budget = budget_->text().toInt(&ok);
        if (ok && budget < size)
            text += QStringLiteral("（うち %1 通りを試します）")
                        .arg(QString::fromStdString(amountText(budget)));
    } else if (size > kMaxExhaustiveGrid) {
        text += QStringLiteral("（全探索できる上限を超えています）");
    }
    grid_->setText(text);
}

OptimizeChoice OptimizeDialog::choice() const {
    OptimizeChoice kept;
    kept.strategy = strategyIndex_;
    for (std::size_t r = 0; r < list_.size(); ++r) {
        const auto row = static_cast<int>(r);
        kept.rows[list_[r].name] = {
            table_->item(row, kUse)->checkState() == Qt::Checked, table_->item(row, kFrom)->text(),
            table_->item(row, kTo)->text(), table_->item(row, kStep)->text()};
    }
    kept.objective = objective_->currentIndex();
    kept.minTrades = minTrades_->text();
    if (scope_->currentIndex() >= 0)
        kept.scope = scopes_[static_cast<std::size_t>(scope_->currentIndex())];
    kept.watchlist = watchlist_->currentIndex();
    kept.evolve = search_->currentIndex() == 1;
    kept.budget = budget_->text();
    kept.seed = seed_->text();
    kept.monteCarlo = monteCarlo_->text();
    kept.walkForward = walkForward_->isChecked();
    kept.inMonths = inMonths_->text();
    kept.outMonths = outMonths_->text();
    kept.anchored = windowKind_->currentIndex() == 1;
    return kept;
}

void OptimizeDialog::accept() {
    auto sweeps = readSweeps(false);
    if (!sweeps) return;
    if (sweeps->empty()) {
        prompter_.message("最適化するパラメータを1つ以上選んでください。", MessageIcon::Stop);
        return;
    }
    OptimizeRequest request;
    OptimizationOptions& options = request.options;
    options.objective = static_cast<Objective>(std::max(objective_->currentIndex(), 0));
    const auto minTrades = readIntegerEdit(minTrades_, kMinTradesField, prompter_);
    if (!minTrades) return;
    options.minTrades = *minTrades;
    const auto monteCarlo = readIntegerEdit(monteCarlo_, kMonteCarloField, prompter_);
    if (!monteCarlo) return;
    options.monteCarloRuns = *monteCarlo;
    options.evolve = search_->currentIndex() == 1;
    const int64_t size = gridSize(*sweeps);
    if (options.evolve || options.monteCarloRuns > 0) {
        const auto seed = readIntegerEdit(seed_, kSeedField, prompter_);
        if (!seed) return;
        options.monteCarloSeed = static_cast<uint64_t>(*seed);
    }
    if (options.evolve) {
        const auto budget = readIntegerEdit(budget_, kBudgetField, prompter_);
        if (!budget) return;
        options.evolution = {*budget, options.monteCarloSeed, 20};
    } else if (size > kMaxExhaustiveGrid) {
        prompter_.message(
            "組み合わせが " + amountText(size) + " 通りあり、全探索できる " +
                amountText(kMaxExhaustiveGrid) +
                " 通りを超えています。\n\n範囲を狭めるか、進化的探索を選んでください。",
            MessageIcon::Stop);
        return;
    }
    if (walkForward_->isChecked()) {
        const auto in = readIntegerEdit(inMonths_, kMonthsInField, prompter_);
        if (!in) return;
        const auto out = readIntegerEdit(outMonths_, kMonthsOutField, prompter_);
        if (!out) return;
        options.walkForward = {{*in, *out, windowKind_->currentIndex() == 1}};
    }
    request.scope = scopes_[static_cast<std::size_t>(std::max(scope_->currentIndex(), 0))];
    if (request.scope == OptimizeScope::Watchlist) {
        if (watchlist_->currentIndex() < 0) {
            prompter_.message("銘柄リストを選んでください。", MessageIcon::Stop);
            return;
        }
        request.watchlist = watchlist_->currentIndex() + 1;
    }
    request.sweeps = std::move(*sweeps);
    request_ = std::move(request);
    QDialog::accept();
}

}  // namespace tav::desktop
