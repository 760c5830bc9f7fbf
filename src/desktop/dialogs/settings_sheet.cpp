#include "settings_sheet.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "settings/settings_store.h"

namespace tav::desktop {

namespace {

QString qt(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<int>(text.size()));
}

QColor toQColor(ColourRef colour) {
    return QColor(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
}

ColourRef fromQColor(const QColor& colour) {
    return static_cast<ColourRef>(colour.red()) | static_cast<ColourRef>(colour.green()) << 8 |
           static_cast<ColourRef>(colour.blue()) << 16;
}

constexpr int kSwatchAreaWidth = swatch_layout::kLeft + 5 * swatch_layout::kPitchX + 10;
constexpr int kLabelLeft = 10;
constexpr int kUnitColumn = 5;  // after the widest row's four fields
constexpr int kCornerFromRight = 70;
constexpr const char* kPeriods[] = {"日足", "週足", "月足"};

// A page with the common/individual note in its top-right corner.
class CornerPage : public QWidget {
  public:
    CornerPage(bool individual, QWidget* parent) : QWidget(parent), corner_(new QLabel(this)) {
        corner_->setText(QString::fromUtf8(individual ? "個別設定" : "共通設定"));
        corner_->setObjectName(QStringLiteral("settingsMode"));
        QPalette palette = corner_->palette();
        palette.setColor(QPalette::WindowText, QColor(0xFF, 0, 0));
        corner_->setPalette(palette);
        corner_->adjustSize();
    }

  protected:
    void resizeEvent(QResizeEvent*) override { corner_->move(width() - kCornerFromRight, 4); }

  private:
    QLabel* corner_;
};

}  // namespace

// --- Colour swatches ---

ColourSwatches::ColourSwatches(SettingsSheet& sheet, QWidget* parent)
    : QWidget(parent), sheet_(sheet) {
    setObjectName(QStringLiteral("colourSwatches"));
    chooseColour = [this](ColourRef current) -> std::optional<ColourRef> {
        const QColor chosen = QColorDialog::getColor(toQColor(current), this);
        if (!chosen.isValid()) return std::nullopt;
        return fromQColor(chosen);
    };
}

QSize ColourSwatches::sizeHint() const {
    const SwatchRect last = swatchRect(kColourCount - 1);
    return {kSwatchAreaWidth, last.top + last.size + 8};
}

void ColourSwatches::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QFontMetrics metrics = fontMetrics();
    int first = 0;
    for (int row = 0; row < static_cast<int>(kColourRows.size()); ++row) {
        const int top = colourRowTop(row);
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(kLabelLeft, top + swatch_layout::kSize / 2 + metrics.ascent() / 2 - 1,
                         qt(kColourRows[row].label));
        for (int entry = first; entry < first + kColourRows[row].count; ++entry) {
            const SwatchRect r = swatchRect(entry);
            painter.fillRect(r.left, r.top, r.size, r.size, toQColor(sheet_.colours[entry]));
            painter.setPen(Qt::black);
            painter.drawRect(r.left - 1, r.top - 1, r.size + 1, r.size + 1);
        }
        first += kColourRows[row].count;
    }
}

void ColourSwatches::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    const QPoint at = event->position().toPoint();
    const auto index = swatchAt(at.x(), at.y());
    if (!index || !chooseColour) return;
    if (const auto chosen = chooseColour(sheet_.colours[*index])) {
        sheet_.colours[*index] = *chosen;
        update();
    }
}

// --- The sheet ---

SettingsSheetDialog::SettingsSheetDialog(SettingsSheet& sheet, Prompter& prompter,
                                         const SettingsStore& store, QWidget* parent)
    : QDialog(parent),
      sheet_(sheet),
      prompter_(prompter),
      store_(store),
      tabs_(new QTabWidget(this)) {
    setWindowTitle(QStringLiteral("Tavrento"));
    chart_.page = &sheet.chart;
    indicator_.page = &sheet.indicator;
    tabs_->addTab(generalPage(), qt(kSheetPageTitles[0]));
    tabs_->addTab(colourPage(), qt(kSheetPageTitles[1]));
    tabs_->addTab(displayPage(), qt(kSheetPageTitles[2]));
    tabs_->addTab(parameterPage(chart_, sheet.chart), qt(kSheetPageTitles[3]));
    tabs_->addTab(parameterPage(indicator_, sheet.indicator), qt(kSheetPageTitles[4]));
    // Leaving a parameter page keeps what was typed on it.
    connect(tabs_, &QTabWidget::currentChanged, this, [this] {
        takeParameterFields(chart_);
        takeParameterFields(indicator_);
    });

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("キャンセル"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs_);
    layout->addWidget(buttons);
}

QLineEdit* SettingsSheetDialog::numberEdit(SheetField field, QWidget* parent) {
    auto* edit = new QLineEdit(qt(sheet_.text(field)), parent);
    edit->setObjectName(QStringLiteral("field%1").arg(static_cast<int>(field)));
    edit->setFixedWidth(fontMetrics().horizontalAdvance(QStringLiteral("00000")) + 12);
    edit->setAlignment(Qt::AlignRight);
    fieldEdits_[static_cast<int>(field)] = edit;
    return edit;
}

QWidget* SettingsSheetDialog::generalPage() {
    auto* page = new QWidget;
    auto* grid = new QGridLayout(page);
    int row = 0;
    const auto numberRow = [&](const char* label, SheetField field, const char* unit) {
        grid->addWidget(new QLabel(QString::fromUtf8(label), page), row, 0);
        grid->addWidget(numberEdit(field, page), row, 1);
        auto* unitLabel = new QLabel(QString::fromUtf8(unit), page);
        grid->addWidget(unitLabel, row, 2);
        ++row;
        return unitLabel;
    };
    const auto check = [&](const char* label, bool on) {
        auto* box = new QCheckBox(QString::fromUtf8(label), page);
        box->setChecked(on);
        grid->addWidget(box, row++, 0, 1, 3);
        return box;
    };
    numberRow("表示銘柄の履歴採取数", SheetField::historyLength, "");
    parabolic_ = check("パラボリックを終値ベース（独自仕様）にする", sheet_.parabolicOnClose);
    turnMarks_ = check("指数のグラフに転換マークを表示する", sheet_.showTurnMarks);
    alternative_ =
        check("infoseekサイトの株価データを使用する（通常はyahoo）", sheet_.alternativeQuotes);
    const int yearsRow = row;
    QLabel* yearsUnit =
        numberRow("蓄積モードのデータ取込み期間", SheetField::accumulateYears, "年（０：最低限）");
    numberRow("速報値監視のインターバル", SheetField::quoteInterval, "秒（０：６０秒）");
    numberRow("波動線（超長期移動平均線）設定値", SheetField::waveLineDays, "日（０：非表示）");
    if (!sheet_.accumulateMode()) {
        // Read-only in grey, its labels disabled: the years only count while accumulating.
        QLineEdit* years = fieldEdit(SheetField::accumulateYears);
        years->setReadOnly(true);
        QPalette palette = years->palette();
        palette.setColor(QPalette::Text, palette.color(QPalette::Disabled, QPalette::Text));
        years->setPalette(palette);
        grid->itemAtPosition(yearsRow, 0)->widget()->setEnabled(false);
        yearsUnit->setEnabled(false);
    }
    addApiRows(page, grid, row);
    grid->setColumnStretch(3, 1);
    grid->setRowStretch(row, 1);
    return page;
}

// The data source, the API plan and its key: the key is typed masked, stored
// on OK and never shown back; only whether one is stored is.
void SettingsSheetDialog::addApiRows(QWidget* page, QGridLayout* grid, int& row) {
    const auto choice = [&](const char* label, const auto& items, int current) {
        grid->addWidget(new QLabel(QString::fromUtf8(label), page), row, 0);
        auto* box = new QComboBox(page);
        for (std::string_view item : items)
            box->addItem(qt(item));
        box->setCurrentIndex(current);
        grid->addWidget(box, row++, 1, 1, 2);
        return box;
    };
    dataSource_ = choice("株価データの取得元", kDataSourceLabels, sheet_.dataFromApi ? 1 : 0);
    apiPlan_ = choice("データAPIのプラン", kApiPlanLabels, sheet_.apiPlan);

    grid->addWidget(new QLabel(QStringLiteral("データAPIのキー"), page), row, 0);
    apiKey_ = new QLineEdit(page);
    apiKey_->setEchoMode(QLineEdit::Password);
    apiKey_->setObjectName(QStringLiteral("apiKey"));
    grid->addWidget(apiKey_, row, 1, 1, 2);
    apiKeyState_ = new QLabel(page);
    grid->addWidget(apiKeyState_, row, 3);
    apiKeyRemove_ = new QPushButton(QStringLiteral("削除"), page);
    grid->addWidget(apiKeyRemove_, row++, 4);
    connectionTest_ = new QPushButton(QStringLiteral("接続テスト"), page);
    grid->addWidget(connectionTest_, row, 1, 1, 2);
    connectionResult_ = new QLabel(page);
    connectionResult_->setWordWrap(true);
    grid->addWidget(connectionResult_, row++, 3, 1, 2);
    showKeyState();

    connect(apiKeyRemove_, &QPushButton::clicked, this, [this] {
        if (!removeKey || !prompter_.askYesNo("保存したAPIキーを削除します。\n\nよろしいですか？",
                                              QuestionKind::Destructive))
            return;
        if (removeKey())
            sheet_.apiKeyStored = false;
        else
            prompter_.message("APIキーを削除できませんでした。", MessageIcon::Stop);
        showKeyState();
    });
    connect(connectionTest_, &QPushButton::clicked, this, [this] {
        if (!testConnection) return;
        connectionResult_->setText(QStringLiteral("接続中…"));
        connectionResult_->repaint();
        connectionResult_->setText(
            qt(testConnection(apiKey_->text().trimmed().toStdString(), apiPlan_->currentIndex())));
    });
}

void SettingsSheetDialog::showKeyState() {
    apiKeyState_->setText(sheet_.apiKeyStored ? QStringLiteral("設定済み")
                                              : QStringLiteral("未設定"));
    apiKeyRemove_->setEnabled(sheet_.apiKeyStored);
}

QWidget* SettingsSheetDialog::colourPage() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    swatches_ = new ColourSwatches(sheet_, page);
    swatches_->setFixedSize(swatches_->sizeHint());
    layout->addWidget(swatches_);
    auto* widths = new QHBoxLayout;
    widths->setContentsMargins(kLabelLeft, 0, 10, 8);
    widths->addWidget(new QLabel(QStringLiteral("線幅（バーチャート／出来高バー）"), page));
    widths->addStretch();
    for (SheetField field : {SheetField::barLineWidth, SheetField::volumeLineWidth}) {
        widths->addWidget(numberEdit(field, page));
        widths->addWidget(new QLabel(QStringLiteral("dot"), page));
    }
    auto* reset = new QPushButton(QStringLiteral("初期値に戻す"), page);
    connect(reset, &QPushButton::clicked, this, [this] {
        if (sheet_.resetColours(prompter_)) swatches_->update();
    });
    widths->addSpacing(12);
    widths->addWidget(reset);
    layout->addLayout(widths);
    layout->addStretch();
    return page;
}

QWidget* SettingsSheetDialog::displayPage() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    auto* count = new QHBoxLayout;
    count->addWidget(new QLabel(QStringLiteral("１画面表示数"), page));
    count->addWidget(numberEdit(SheetField::graphsPerScreen, page));
    count->addWidget(new QLabel(QStringLiteral("個"), page));
    count->addStretch();
    layout->addLayout(count);
    layout->addSpacing(8);
    layout->addWidget(new QLabel(QStringLiteral("指数表示順序"), page));
    orderList_ = new QListWidget(page);
    orderList_->setObjectName(QStringLiteral("indicatorOrder"));
    auto* up = new QPushButton(QStringLiteral("↑"), page);
    auto* down = new QPushButton(QStringLiteral("↓"), page);
    up->setObjectName(QStringLiteral("orderUp"));
    down->setObjectName(QStringLiteral("orderDown"));
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(up);
    buttons->addWidget(down);
    buttons->addStretch();
    auto* list = new QHBoxLayout;
    list->addWidget(orderList_);
    list->addLayout(buttons);
    list->addStretch();
    layout->addLayout(list, 1);
    connect(up, &QPushButton::clicked, this,
            [this] { fillOrderList(sheet_.moveUp(orderList_->currentRow())); });
    connect(down, &QPushButton::clicked, this,
            [this] { fillOrderList(sheet_.moveDown(orderList_->currentRow())); });
    fillOrderList(-1);
    // All seventeen names at once, no scrolling.
    orderList_->setMinimumHeight(orderList_->sizeHintForRow(0) * kIndicatorCount +
                                 2 * orderList_->frameWidth() + 4);
    return page;
}

void SettingsSheetDialog::fillOrderList(int selected) {
    orderList_->clear();
    for (uint8_t id : sheet_.order)
        orderList_->addItem(id < kIndicatorCount ? qt(kIndicatorNames[id]) : QString::number(id));
    orderList_->setCurrentRow(selected);
}

QWidget* SettingsSheetDialog::parameterPage(ParameterWidgets& widgets, ParameterPage& page) {
    auto* widget = new CornerPage(sheet_.individual(), nullptr);
    auto* grid = new QGridLayout(widget);
    grid->addWidget(new QLabel(QStringLiteral("設定対象"), widget), 0, 0);
    widgets.period = new QComboBox(widget);
    widgets.period->setObjectName(QStringLiteral("periodChoice"));
    for (const char* period : kPeriods)
        widgets.period->addItem(QString::fromUtf8(period));
    widgets.period->setCurrentIndex(periodIndex(page.period()));
    grid->addWidget(widgets.period, 0, 1, 1, 3, Qt::AlignLeft);

    // Parameters sharing a label share its row; its unit ends it.
    int row = 0;
    int column = 1;
    std::string_view previous;
    for (int field = 0; field < page.fieldCount(); ++field) {
        if (field == 0 || page.label(field) != previous) {
            ++row;
            column = 1;
            previous = page.label(field);
            grid->addWidget(new QLabel(qt(previous), widget), row, 0);
            const auto has = [&](const char* word) {
                return previous.find(word) != std::string_view::npos;
            };
            if (has("幅") || has("率")) {
                grid->addWidget(new QLabel(QStringLiteral("％"), widget), row, kUnitColumn);
            } else if (has("期間") || has("移動平均") || has("一目") || has("ＶＬＲＳＩ")) {
                auto* unit = new QLabel(widget);
                grid->addWidget(unit, row, kUnitColumn);
                widgets.periodUnits.push_back(unit);
            }
        }
        auto* edit = new QLineEdit(widget);
        edit->setFixedWidth(fontMetrics().horizontalAdvance(QStringLiteral("0000")) + 12);
        edit->setAlignment(Qt::AlignRight);
        grid->addWidget(edit, row, column++);
        widgets.edits.push_back(edit);
    }
    auto* reset = new QPushButton(qt(ParameterPage::resetLabel(sheet_.individual())), widget);
    grid->addWidget(reset, row + 1, 0, Qt::AlignLeft);
    grid->setColumnStretch(kUnitColumn + 1, 1);
    grid->setRowStretch(row + 2, 1);
    showParameterFields(widgets);

    connect(widgets.period, &QComboBox::activated, this,
            [this, &widgets](int index) { periodChosen(widgets, index); });
    connect(reset, &QPushButton::clicked, this, [this, &widgets] {
        takeParameterFields(widgets);
        const bool changed = sheet_.individual() ? widgets.page->syncWithCommon(prompter_, store_)
                                                 : widgets.page->resetToDefaults(prompter_);
        if (changed) showParameterFields(widgets);
    });
    return widget;
}

void SettingsSheetDialog::showParameterFields(ParameterWidgets& widgets) {
    for (int field = 0; field < widgets.page->fieldCount(); ++field)
        widgets.edits[field]->setText(qt(widgets.page->fields[field]));
    static constexpr const char* kBarUnits[] = {"日", "週", "月"};
    for (QLabel* unit : widgets.periodUnits)
        unit->setText(QString::fromUtf8(kBarUnits[periodIndex(widgets.page->period())]));
}

void SettingsSheetDialog::takeParameterFields(ParameterWidgets& widgets) {
    for (int field = 0; field < widgets.page->fieldCount(); ++field)
        widgets.page->fields[field] = widgets.edits[field]->text().toStdString();
}

void SettingsSheetDialog::periodChosen(ParameterWidgets& widgets, int index) {
    takeParameterFields(widgets);
    if (const auto refused = widgets.page->selectPeriod(static_cast<PeriodMode>(index))) {
        widgets.period->setCurrentIndex(periodIndex(widgets.page->period()));
        refuse(tabs_->currentIndex(), widgets.edits[*refused], rangeMessage({0, 255}));
        return;
    }
    showParameterFields(widgets);
}

QLineEdit* SettingsSheetDialog::parameterEdit(ParameterGroup group, int field) const {
    const ParameterWidgets& widgets = group == ParameterGroup::Chart ? chart_ : indicator_;
    return widgets.edits[field];
}

QComboBox* SettingsSheetDialog::periodChoice(ParameterGroup group) const {
    return group == ParameterGroup::Chart ? chart_.period : indicator_.period;
}

void SettingsSheetDialog::takeTexts() {
    for (int field = 0; field < kSheetFieldCount; ++field)
        sheet_.text(static_cast<SheetField>(field)) = fieldEdits_[field]->text().toStdString();
    sheet_.parabolicOnClose = parabolic_->isChecked();
    sheet_.showTurnMarks = turnMarks_->isChecked();
    sheet_.alternativeQuotes = alternative_->isChecked();
    sheet_.dataFromApi = dataSource_->currentIndex() == 1;
    sheet_.apiPlan = apiPlan_->currentIndex();
    sheet_.apiKeyTyped = apiKey_->text().trimmed().toStdString();
    takeParameterFields(chart_);
    takeParameterFields(indicator_);
}

void SettingsSheetDialog::refuse(int page, QLineEdit* edit, const std::string& message) {
    tabs_->setCurrentIndex(page);
    prompter_.message(message, MessageIcon::Warning);
    edit->setFocus();
    edit->selectAll();
}

void SettingsSheetDialog::accept() {
    takeTexts();
    if (const auto refused = sheet_.refusedField()) {
        QLineEdit* edit = nullptr;
        if (refused->page == SheetPage::ChartValues)
            edit = chart_.edits[refused->field];
        else if (refused->page == SheetPage::IndicatorValues)
            edit = indicator_.edits[refused->field];
        else
            edit = fieldEdits_[refused->field];
        refuse(static_cast<int>(refused->page), edit, refused->message);
        return;
    }
    QDialog::accept();
}

}  // namespace tav::desktop
