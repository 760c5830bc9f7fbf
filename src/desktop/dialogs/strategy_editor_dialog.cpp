#include "strategy_editor_dialog.h"

#include <QCursor>
#include <QDate>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTabBar>
#include <QVBoxLayout>

#include "alternate_click.h"
#include "capsule_dialog.h"
#include "choice_dialog.h"
#include "condition_dialog.h"
#include "conditions/capsule_file.h"
#include "conditions/condition_tables.h"
#include "labels_combo.h"
#include "split_dialog.h"
#include "stop_dialog.h"
#include "tactic_dialog.h"

namespace tav::desktop {

namespace {

using namespace std::string_view_literals;
constexpr std::string_view kPeriods[] = {"画面内"sv, "全ﾃﾞｰﾀ"sv, "３ヶ月"sv, "６ヶ月"sv, "年指定"sv};
constexpr std::string_view kFills[] = {"翌日始値"sv, "当日終値"sv};
constexpr std::string_view kCommissions[] = {"なし"sv, "定率"sv, "定額"sv};
constexpr std::string_view kTaxes[] = {"なし"sv, "定率"sv};
constexpr int kYearChoices = 30;

QListWidget* listBox(QWidget* parent, const char* name) {
    auto* list = new QListWidget(parent);
    list->setObjectName(QString::fromUtf8(name));
    return list;
}

}  // namespace

StrategyEditorDialog::StrategyEditorDialog(const std::string& folder, int first,
                                           const SimulationSettings& settings, Prompter& prompter,
                                           Shell& shell, QWidget* parent)
    : QDialog(parent),
      folder_(folder),
      prompter_(prompter),
      shell_(shell),
      list_(folder, prompter),
      settings_(settings),
      strategies_(listBox(this, "strategies")),
      mode_(new QComboBox(this)),
      tactics_(listBox(this, "tactics")),
      tabs_(new QTabBar(this)),
      columns_(listBox(this, "columns")),
      split_(new QLabel(this)),
      columnSettings_(new QLabel(this)) {
    setWindowTitle(QStringLiteral("売買戦略リスト編集"));

    auto* strategyBox = new QGroupBox(QStringLiteral("売買戦略"), this);
    auto* strategyLayout = new QVBoxLayout(strategyBox);
    strategyLayout->addWidget(strategies_);
    auto* strategyButtons = new QGridLayout;
    strategyLayout->addLayout(strategyButtons);
    {
        auto* row1 = new QHBoxLayout;
        auto* row2 = new QHBoxLayout;
        addButton("追加", row1, &StrategyEditorDialog::addStrategy);
        addButton("削除", row1, &StrategyEditorDialog::deleteStrategy);
        addButton("変更", row1, &StrategyEditorDialog::renameStrategy);
        addButton("複写", row1, &StrategyEditorDialog::copyStrategy);
        addButton("初期化", row2, &StrategyEditorDialog::initialiseStrategy);
        addButton("↑", row2, &StrategyEditorDialog::moveStrategyUp);
        addButton("↓", row2, &StrategyEditorDialog::moveStrategyDown);
        strategyButtons->addLayout(row1, 0, 0);
        strategyButtons->addLayout(row2, 1, 0);
    }
    auto* settingsBox = new QGroupBox(QStringLiteral("シミュレーション設定"), this);
    buildSettings(new QGridLayout(settingsBox));

    auto* tacticBox = new QGroupBox(QStringLiteral("行（戦術）"), this);
    auto* tacticLayout = new QVBoxLayout(tacticBox);
    fillCombo(mode_, strategy_labels::tradingModes(), 0);
    tacticLayout->addWidget(new QLabel(QStringLiteral("取引形態"), this));
    tacticLayout->addWidget(mode_);
    tacticLayout->addWidget(new QLabel(QStringLiteral("戦術の組合せはＯＲ条件"), this));
    tacticLayout->addWidget(tactics_);
    auto* tacticButtons = new QHBoxLayout;
    addButton("行追加", tacticButtons, &StrategyEditorDialog::addTactic);
    addButton("行削除", tacticButtons, &StrategyEditorDialog::deleteTactic);
    addButton("↑", tacticButtons, &StrategyEditorDialog::moveTacticUp);
    addButton("↓", tacticButtons, &StrategyEditorDialog::moveTacticDown);
    addButton("行設定", tacticButtons, &StrategyEditorDialog::editTactic);
    tacticLayout->addLayout(tacticButtons);

    auto* columnBox = new QGroupBox(QStringLiteral("列（条件式）"), this);
    auto* columnLayout = new QVBoxLayout(columnBox);
    for (const char* tab : {"買い条件", "売り条件", "ストップ"}) tabs_->addTab(QString::fromUtf8(tab));
    columnLayout->addWidget(tabs_);
    columnLayout->addWidget(columns_);
    auto* columnButtons = new QHBoxLayout;
    addButton("列追加", columnButtons, &StrategyEditorDialog::addColumn);
    addButton("列削除", columnButtons, &StrategyEditorDialog::deleteColumn);
    addButton("↑", columnButtons, &StrategyEditorDialog::moveColumnUp);
    addButton("↓", columnButtons, &StrategyEditorDialog::moveColumnDown);
    addButton("列編集", columnButtons, &StrategyEditorDialog::editColumn);
    columnLayout->addLayout(columnButtons);
    auto* columnExtras = new QHBoxLayout;
    addButton("条件論理式", columnExtras, &StrategyEditorDialog::chooseLogic);
    addButton("個別売買値", columnExtras, &StrategyEditorDialog::chooseFillPrice);
    columnLayout->addLayout(columnExtras);
    columnSettings_->setObjectName(QStringLiteral("columnSettings"));
    columnLayout->addWidget(columnSettings_);

    auto* splitBox = new QGroupBox(QStringLiteral("分割"), this);
    auto* splitLayout = new QVBoxLayout(splitBox);
    split_->setObjectName(QStringLiteral("splitSummary"));
    // Room for the three summary lines.
    split_->setMinimumHeight(split_->fontMetrics().lineSpacing() * 3 + 6);
    splitLayout->addWidget(split_);
    auto* splitButtons = new QHBoxLayout;
    addButton("分割指定", splitButtons, &StrategyEditorDialog::editSplit);
    addButton("条件カプセル設定", splitButtons, &StrategyEditorDialog::editCapsules);
    splitLayout->addLayout(splitButtons);

    auto* close = new QPushButton(QStringLiteral("終了"), this);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);

    auto* left = new QVBoxLayout;
    left->addWidget(strategyBox, 1);
    left->addWidget(settingsBox);
    auto* right = new QVBoxLayout;
    right->addWidget(tacticBox, 1);
    right->addWidget(columnBox, 1);
    right->addWidget(splitBox);
    auto* closeRow = new QHBoxLayout;
    auto* optimize = new QPushButton(QStringLiteral("最適化"), this);
    optimize->setToolTip(QStringLiteral("選択中の戦略の数値を変えて最も良い組み合わせを探します"));
    connect(optimize, &QPushButton::clicked, this, &StrategyEditorDialog::optimize);
    closeRow->addWidget(optimize);
    closeRow->addStretch();
    closeRow->addWidget(close);
    right->addLayout(closeRow);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left, 2);
    layout->addLayout(right, 3);

    connect(strategies_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (filling_ || row < 0) return;
        list_.select(row, alternateHeld(), shell_);
        showStrategy();
    });
    connect(strategies_, &QListWidget::itemDoubleClicked, this, [this] { renameStrategy(); });
    connect(mode_, &QComboBox::currentIndexChanged, this, [this](int mode) {
        if (filling_) return;
        list_.setTradingMode(static_cast<uint8_t>(mode));
        showStrategy();
    });
    connect(tactics_, &QListWidget::currentRowChanged, this, [this] {
        if (filling_) return;
        list_.chooseTactic(alternateHeld(), shell_);
        showColumns();
    });
    connect(tactics_, &QListWidget::itemDoubleClicked, this, [this] { editTactic(); });
    connect(tabs_, &QTabBar::currentChanged, this, [this] {
        if (!filling_) showColumns();
    });
    connect(columns_, &QListWidget::itemDoubleClicked, this, [this] { editColumn(); });

    list_.open(first);
    showStrategies();
    resize(900, 640);
}

QPushButton* StrategyEditorDialog::addButton(const char* text, QLayout* layout,
                                             void (StrategyEditorDialog::*slot)()) {
    auto* button = new QPushButton(QString::fromUtf8(text), this);
    button->setAutoDefault(false);
    connect(button, &QPushButton::clicked, this, slot);
    layout->addWidget(button);
    return button;
}

QPushButton* StrategyEditorDialog::button(const QString& text) const {
    for (QPushButton* b : findChildren<QPushButton*>())
        if (b->text() == text) return b;
    return nullptr;
}

void StrategyEditorDialog::buildSettings(QLayout* layout) {
    auto* grid = static_cast<QGridLayout*>(layout);
    auto combo = [this](std::span<const std::string_view> labels, int current) {
        auto* c = new QComboBox(this);
        fillCombo(c, labels, current);
        return c;
    };
    auto texts = settingsTexts(settings_);
    period_ = combo(kPeriods, settings_.periodKind);
    years_ = new QComboBox(this);
    for (int y = 1; y <= kYearChoices; ++y) years_->addItem(QStringLiteral("%1年").arg(y));
    years_->setCurrentIndex(settings_.periodYears);
    startYear_ = new QComboBox(this);
    startYear_->addItem(QStringLiteral("なし"));
    const int thisYear = QDate::currentDate().year();
    for (int k = 1; k <= kYearChoices; ++k) startYear_->addItem(QStringLiteral("%1年").arg(thisYear - (k - 1)));
    startYear_->setCurrentIndex(settings_.startYear);
    startMonth_ = new QComboBox(this);
    for (int m = 1; m <= 12; ++m) startMonth_->addItem(QStringLiteral("%1月").arg(m));
    startMonth_->setCurrentIndex(settings_.startMonth);
    capital_ = new QLineEdit(QString::fromStdString(texts.capital), this);
    fill_ = combo(kFills, settings_.defaultFill);
    commissionKind_ = combo(kCommissions, settings_.commissionKind);
    commission_ = new QLineEdit(QString::fromStdString(texts.commission), this);
    commissionMinimum_ = new QLineEdit(QString::fromStdString(texts.commissionMinimum), this);
    taxKind_ = combo(kTaxes, settings_.taxKind);
    tax_ = new QLineEdit(QString::fromStdString(texts.taxRate), this);
    for (QLineEdit* e : {capital_, commission_, commissionMinimum_, tax_}) e->setAlignment(Qt::AlignRight);
    auto label = [this](const char* text) { return new QLabel(QString::fromUtf8(text), this); };
    grid->addWidget(label("期間"), 0, 0);
    grid->addWidget(period_, 0, 1);
    grid->addWidget(years_, 0, 2);
    grid->addWidget(label("開始日"), 1, 0);
    grid->addWidget(startYear_, 1, 1);
    grid->addWidget(startMonth_, 1, 2);
    grid->addWidget(label("資金"), 2, 0);
    grid->addWidget(capital_, 2, 1);
    grid->addWidget(label("円"), 2, 2);
    grid->addWidget(label("売買値"), 3, 0);
    grid->addWidget(fill_, 3, 1);
    grid->addWidget(label("手数料"), 4, 0);
    grid->addWidget(commissionKind_, 4, 1);
    grid->addWidget(commission_, 4, 2);
    grid->addWidget(label("手数料下限"), 5, 0);
    grid->addWidget(commissionMinimum_, 5, 1);
    grid->addWidget(label("円"), 5, 2);
    grid->addWidget(label("取引税"), 6, 0);
    grid->addWidget(taxKind_, 6, 1);
    grid->addWidget(tax_, 6, 2);
    commissionUnit_ = label("");
    commissionUnit_->setObjectName(QStringLiteral("commissionUnit"));
    grid->addWidget(commissionUnit_, 4, 3);
    grid->addWidget(label("％"), 6, 3);
    auto enable = [this] {
        years_->setEnabled(period_->currentIndex() == kPeriodYears);
        commission_->setEnabled(commissionKind_->currentIndex() != kCommissionNone);
        tax_->setEnabled(taxKind_->currentIndex() != 0);
    };
    for (QComboBox* c : {period_, commissionKind_, taxKind_})
        connect(c, &QComboBox::currentIndexChanged, this, enable);
    // Without a kind the text is kept as a rate.
    commissionTextKind_ =
        settings_.commissionKind == kCommissionFixed ? kCommissionFixed : kCommissionRate;
    connect(commissionKind_, &QComboBox::currentIndexChanged, this,
            [this] { commissionKindChanged(); });
    enable();
    commissionKindChanged();
}

// A rate and an amount do not convert into each other: the text typed for
// one kind is cleared when the other is chosen, so that "10" yen never
// becomes 10 %.
void StrategyEditorDialog::commissionKindChanged() {
    const int kind = commissionKind_->currentIndex();
    const int unitKind = kind == kCommissionNone ? commissionTextKind_ : kind;
    commissionUnit_->setText(unitKind == kCommissionFixed ? QStringLiteral("円")
                                                          : QStringLiteral("％"));
    if (kind == kCommissionNone || kind == commissionTextKind_) return;
    commissionTextKind_ = kind;
    commission_->clear();
    commission_->setPlaceholderText(kind == kCommissionFixed ? QStringLiteral("円")
                                                             : QStringLiteral("0.00"));
    commission_->setFocus();
}

// What the two choices below the columns hold for the tab on display.
void StrategyEditorDialog::showColumnSettings() {
    const Strategy& s = list_.strategy();
    const int row = tactic();
    if (row < 0 || row >= static_cast<int>(s.tactics.size())) {
        columnSettings_->clear();
        return;
    }
    const TacticColumns& columns = s.tactics[static_cast<std::size_t>(row)].columns(tab());
    const auto label = [](std::span<const std::string_view> labels, int index) {
        if (index < 0 || index >= static_cast<int>(labels.size())) return QStringLiteral("?");
        const std::string_view text = labels[static_cast<std::size_t>(index)];
        return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    };
    columnSettings_->setText(QStringLiteral("条件論理式：%1\n個別売買値：%2")
                                 .arg(label(conditions::logicLabels(), columns.logic),
                                      label(strategy_labels::fillPrices(), columns.fillPrice)));
}

std::vector<std::string> StrategyEditorDialog::capsuleTitles() const {
    return readCapsuleTitles(folder_);
}

int StrategyEditorDialog::tactic() const {
    return tactics_->currentRow();
}

int StrategyEditorDialog::column() const {
    return columns_->currentRow();
}

TacticTab StrategyEditorDialog::tab() const {
    return static_cast<TacticTab>(std::max(tabs_->currentIndex(), 0));
}

void StrategyEditorDialog::showStrategies() {
    filling_ = true;
    strategies_->clear();
    for (const std::string& name : list_.names()) strategies_->addItem(QString::fromStdString(name));
    strategies_->setCurrentRow(list_.current());
    filling_ = false;
    showStrategy();
}

void StrategyEditorDialog::showStrategy() {
    filling_ = true;
    const Strategy& s = list_.strategy();
    const int keep = tactics_->currentRow();
    mode_->setCurrentIndex(s.tradingMode);
    mode_->setEnabled(list_.current() >= 0);
    tactics_->clear();
    for (const Tactic& t : s.tactics)
        tactics_->addItem(QString::fromStdString(strategy_labels::displayName(s.tradingMode, t)));
    const int rows = static_cast<int>(s.tactics.size());
    tactics_->setCurrentRow(rows == 0 ? -1 : std::clamp(keep, 0, rows - 1));
    QStringList lines;
    for (const std::string& line : strategy_labels::splitSummary(s.split, capsuleTitles()))
        lines << QString::fromStdString(line);
    split_->setText(lines.join(QLatin1Char('\n')));
    filling_ = false;
    showColumns();
}

void StrategyEditorDialog::showColumns() {
    showColumnSettings();
    const int keep = columns_->currentRow();
    columns_->clear();
    for (const std::string& text : list_.conditionTexts(tactic(), tab(), capsuleTitles()))
        columns_->addItem(QString::fromStdString(text));
    if (columns_->count() > 0) columns_->setCurrentRow(std::clamp(keep, 0, columns_->count() - 1));
}

void StrategyEditorDialog::addStrategy() {
    if (list_.addStrategy()) showStrategies();
}
void StrategyEditorDialog::deleteStrategy() {
    list_.deleteStrategy();
    showStrategies();
}
void StrategyEditorDialog::renameStrategy() {
    if (list_.renameStrategy()) showStrategies();
}
void StrategyEditorDialog::copyStrategy() {
    if (list_.current() < 0) return;
    QMenu menu(this);
    for (int k = 0; k < list_.count(); ++k)
        menu.addAction(QString::fromStdString(list_.names()[static_cast<std::size_t>(k)]) +
                       QStringLiteral(" へ複写"))
            ->setData(k);
    if (QAction* chosen = menu.exec(QCursor::pos())) list_.copyStrategyTo(chosen->data().toInt());
}
void StrategyEditorDialog::initialiseStrategy() {
    if (list_.initialiseStrategy()) showStrategy();
}
void StrategyEditorDialog::moveStrategyUp() {
    if (list_.moveStrategyUp()) showStrategies();
}
void StrategyEditorDialog::moveStrategyDown() {
    if (list_.moveStrategyDown()) showStrategies();
}

void StrategyEditorDialog::addTactic() {
    if (!list_.addTactic()) return;
    showStrategy();
    tactics_->setCurrentRow(tactics_->count() - 1);
}
void StrategyEditorDialog::deleteTactic() {
    if (list_.deleteTactic(tactic())) showStrategy();
}
void StrategyEditorDialog::moveTacticUp() {
    const int row = tactic();
    if (!list_.moveTacticUp(row)) return;
    showStrategy();
    tactics_->setCurrentRow(row - 1);
}
void StrategyEditorDialog::moveTacticDown() {
    const int row = tactic();
    if (!list_.moveTacticDown(row)) return;
    showStrategy();
    tactics_->setCurrentRow(row + 1);
}
void StrategyEditorDialog::editTactic() {
    const int row = tactic();
    if (row < 0) return;
    const Strategy& s = list_.strategy();
    TacticDialog dialog(s.tactics[static_cast<std::size_t>(row)], s.tradingMode, this);
    if (dialog.exec() != QDialog::Accepted) return;
    if (list_.setTactic(row, dialog.name(), dialog.disabled(), dialog.side())) showStrategy();
}

bool StrategyEditorDialog::editRow(Condition& row) {
    const Strategy& s = list_.strategy();
    if (tab() == TacticTab::Stop) {
        const Tactic& owner = s.tactics[static_cast<std::size_t>(tactic())];
        StopDialog dialog(row, strategy_labels::showsShortStops(s.tradingMode, owner),
                          s.tradingMode == kModeReverse, prompter_, this);
        if (dialog.exec() != QDialog::Accepted) return false;
        row = dialog.rule();
        return true;
    }
    ConditionDialog dialog(row, ConditionContext::Strategy, capsuleTitles(), prompter_, this);
    if (dialog.exec() != QDialog::Accepted) return false;
    row = dialog.result();
    return true;
}

void StrategyEditorDialog::addColumn() {
    if (tactic() < 0 || !list_.canAddCondition(tactic(), tab())) return;
    Condition row;
    if (!editRow(row) || !list_.addCondition(tactic(), tab(), row)) return;
    showColumns();
    columns_->setCurrentRow(columns_->count() - 1);
}
void StrategyEditorDialog::deleteColumn() {
    if (list_.deleteCondition(tactic(), tab(), column())) showColumns();
}
void StrategyEditorDialog::moveColumnUp() {
    const int row = column();
    if (!list_.moveConditionUp(tactic(), tab(), row)) return;
    showColumns();
    columns_->setCurrentRow(row - 1);
}
void StrategyEditorDialog::moveColumnDown() {
    const int row = column();
    if (!list_.moveConditionDown(tactic(), tab(), row)) return;
    showColumns();
    columns_->setCurrentRow(row + 1);
}
void StrategyEditorDialog::editColumn() {
    const int row = column();
    if (tactic() < 0 || row < 0) return;
    Condition record = list_.strategy()
                           .tactics[static_cast<std::size_t>(tactic())]
                           .columns(tab())
                           .conditions[static_cast<std::size_t>(row)];
    if (editRow(record) && list_.editCondition(tactic(), tab(), row, record)) showColumns();
}

void StrategyEditorDialog::chooseLogic() {
    if (tactic() < 0) return;
    const auto& columns = list_.strategy().tactics[static_cast<std::size_t>(tactic())].columns(tab());
    ChoiceDialog dialog(QStringLiteral("条件論理式"), conditions::logicLabels(), columns.logic, this);
    if (dialog.exec() == QDialog::Accepted)
        list_.setLogic(tactic(), tab(), static_cast<int16_t>(dialog.chosen()));
    showColumnSettings();
}

void StrategyEditorDialog::chooseFillPrice() {
    if (tactic() < 0) return;
    const auto& columns = list_.strategy().tactics[static_cast<std::size_t>(tactic())].columns(tab());
    ChoiceDialog dialog(QStringLiteral("個別売買値"), strategy_labels::fillPrices(),
                        columns.fillPrice, this);
    if (dialog.exec() == QDialog::Accepted)
        list_.setFillPrice(tactic(), tab(), static_cast<int16_t>(dialog.chosen()));
    showColumnSettings();
}

void StrategyEditorDialog::editSplit() {
    if (list_.current() < 0) return;
    SplitDialog dialog(list_.strategy().split, capsuleTitles(), prompter_, this);
    if (dialog.exec() == QDialog::Accepted && list_.setSplit(dialog.split())) showStrategy();
}

void StrategyEditorDialog::editCapsules() {
    CapsuleDialog dialog(folder_, 0, prompter_, shell_, this);
    dialog.exec();
    // Titles may have changed: the sentences and the split summary name them.
    showStrategy();
}

void StrategyEditorDialog::optimize() {
    const int chosen = list_.current();
    if (chosen < 0) {
        prompter_.message("最適化する売買戦略を選んでください。", MessageIcon::Stop);
        return;
    }
    // The editor saves and closes first: the optimisation's copy of the
    // strategy is written to the list the editor would otherwise rewrite.
    optimizeStrategy_ = chosen;
    done(QDialog::Accepted);
    if (isVisible()) optimizeStrategy_ = -1;
}

void StrategyEditorDialog::done(int result) {
    SimulationSettings taken = settings_;
    taken.periodKind = static_cast<uint8_t>(period_->currentIndex());
    taken.periodYears = static_cast<uint8_t>(years_->currentIndex());
    taken.startYear = static_cast<uint8_t>(startYear_->currentIndex());
    taken.startMonth = static_cast<uint8_t>(startMonth_->currentIndex());
    taken.defaultFill = static_cast<uint8_t>(fill_->currentIndex());
    taken.commissionKind = static_cast<uint8_t>(commissionKind_->currentIndex());
    taken.taxKind = static_cast<uint8_t>(taxKind_->currentIndex());
    // An unused commission left empty after a switch counts as none.
    QString commission = commission_->text();
    if (taken.commissionKind == kCommissionNone && commission.trimmed().isEmpty())
        commission = QStringLiteral("0");
    SimulationSettingsTexts texts{capital_->text().toStdString(), commission.toStdString(),
                                  commissionMinimum_->text().toStdString(),
                                  tax_->text().toStdString()};
    std::string bad;
    if (!applySettingsTexts(texts, taken, &bad)) {
        prompter_.message("「" + bad + "」の値が正しくありません。", MessageIcon::Stop);
        return;
    }
    settings_ = taken;
    list_.close();
    QDialog::done(QDialog::Accepted);
    (void)result;
}

}  // namespace tav::desktop
