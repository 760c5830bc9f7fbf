#include "panes/watchlist_pane.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QListWidget>
#include <QSignalBlocker>

#include "simulation/strategy_file.h"
#include "watchlists/watchlist_files.h"
#include "workspace/workspace.h"

namespace tav::desktop {

namespace {

// Entry marks colour the text; colours are 0x00BBGGRR.
QColor markColour(uint8_t mark) {
    switch (mark) {
        case 1:
            return QColor(0xFF, 0x00, 0x00);
        case 2:
            return QColor(0x00, 0x00, 0xFF);
        case 3:
            return QColor(0xC8, 0x00, 0xC8);
        case 4:
            return QColor(0x00, 0x7F, 0x7F);
        default:
            return QColor();
    }
}

bool alternateHeld() {
    return QApplication::keyboardModifiers() & (Qt::ShiftModifier | Qt::ControlModifier);
}

}  // namespace

WatchlistPane::WatchlistPane(Workspace& workspace, QWidget* window, QComboBox* strategySelector)
    : QObject(window),
      workspace_(workspace),
      selector_(new QListWidget(window)),
      entries_(new QListWidget(window)),
      strategy_(strategySelector) {
    selector_->setObjectName(QStringLiteral("listSelector"));
    entries_->setObjectName(QStringLiteral("entryList"));
    connect(selector_, &QListWidget::currentRowChanged, this, &WatchlistPane::selectorChanged);
    connect(selector_, &QListWidget::itemDoubleClicked, this, [this] {
        if (workspace_.watchlists().renameWatchlist()) fillSelector();
    });
    connect(entries_, &QListWidget::currentRowChanged, this, &WatchlistPane::entryChanged);
    connect(entries_, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { entryActivated(entries_->row(item)); });
    connect(strategy_, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (filling_ || index < 0) return;
        auto& selected = workspace_.options().selectedStrategy;
        if (index == selected) return;
        selected = static_cast<uint8_t>(index);
        emit strategyChanged();
    });
    entries_->installEventFilter(this);
}

void WatchlistPane::reload() {
    fillSelector();
    fillStrategies();
}

void WatchlistPane::fillSelector() {
    filling_ = true;
    {
        const QSignalBlocker blocker(selector_);
        selector_->clear();
        for (const std::string& name : workspace_.watchlists().combinedList())
            selector_->addItem(QString::fromStdString(name));
        selector_->setCurrentRow(workspace_.watchlists().position());
    }
    filling_ = false;
    showEntries();
}

void WatchlistPane::fillStrategies() {
    filling_ = true;
    strategy_->clear();
    for (const std::string& title : strategySelectorItems(workspace_.folder().root()))
        strategy_->addItem(QString::fromStdString(title));
    const int selected = workspace_.options().selectedStrategy;
    strategy_->setCurrentIndex(selected < strategy_->count() ? selected : 0);
    filling_ = false;
}

void WatchlistPane::showEntries() {
    filling_ = true;
    {
        const QSignalBlocker blocker(entries_);
        entries_->clear();
        for (const WatchlistEntry& entry : workspace_.watchlists().entries()) {
            auto* item = new QListWidgetItem(QString::fromStdString(entry.text), entries_);
            if (QColor colour = markColour(entry.mark); colour.isValid())
                item->setForeground(colour);
        }
        // The model keeps the sorted order itself: rows are its indexes.
        entries_->setCurrentRow(workspace_.watchlists().selectedIndex());
    }
    filling_ = false;
}

void WatchlistPane::setVisible(bool shown) {
    selector_->setVisible(shown);
    entries_->setVisible(shown);
}

void WatchlistPane::selectorChanged(int row) {
    if (filling_ || row < 0) return;
    Watchlists& lists = workspace_.watchlists();
    if (alternateHeld()) {
        workspace_.platform().shell.open(workspace_.folder().path("Focus.inf"));
        const QSignalBlocker blocker(selector_);
        selector_->setCurrentRow(lists.position());
        return;
    }
    if (row == lists.position()) return;
    lists.select(row);
    showEntries();
}

void WatchlistPane::entryChanged(int row) {
    if (filling_ || row < 0) return;
    Watchlists& lists = workspace_.watchlists();
    if (alternateHeld()) {
        const std::string file = lists.displayedFileName();
        if (!file.empty()) workspace_.platform().shell.open(workspace_.folder().path(file));
        return;
    }
    lists.selectEntry(row);
    const std::string text = entries_->item(row)->text().toStdString();
    if (StockCode code = lineCode(text); code > 0) emit securityChosen(code);
    entries_->setFocus();
}

void WatchlistPane::entryActivated(int row) {
    if (row < 0) return;
    const StockCode code = lineCode(entries_->item(row)->text().toStdString());
    if (code > 0) workspace_.platform().shell.startInstance({codeText(code)});
}

bool WatchlistPane::eventFilter(QObject* watched, QEvent* event) {
    if (watched == entries_ && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Tab) {
            emit focusReturned();
            return true;
        }
        if (key->text() == QStringLiteral(".")) {
            if (auto code = workspace_.watchlists().removeEntry()) {
                showEntries();
                emit securityChosen(*code);
            } else {
                showEntries();
            }
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace tav::desktop
