#include "panes/watchlist_pane.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QListWidget>
#include <QMenu>
#include <QSignalBlocker>

#include "dialogs/add_codes_dialog.h"
#include "dialogs/alternate_click.h"
#include "panes/batch_progress.h"
#include "panes/entry_list.h"
#include "simulation/strategy_file.h"
#include "watchlists/watchlist_files.h"
#include "workspace/workspace.h"

namespace tav::desktop {

WatchlistPane::WatchlistPane(Workspace& workspace, const WatchlistPaneActions& actions,
                             QWidget* window, QComboBox* strategySelector)
    : QObject(window),
      workspace_(workspace),
      actions_(actions),
      selector_(new QListWidget(window)),
      entries_(new EntryList(window)),
      strategy_(strategySelector),
      progress_(new BatchProgress(window)) {
    selector_->setObjectName(QStringLiteral("listSelector"));
    entries_->setObjectName(QStringLiteral("entryList"));
    selector_->setContextMenuPolicy(Qt::CustomContextMenu);
    entries_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(selector_, &QListWidget::currentRowChanged, this, &WatchlistPane::selectorChanged);
    connect(selector_, &QListWidget::itemDoubleClicked, this, [this] {
        if (workspace_.watchlists().renameWatchlist()) fillSelector();
    });
    connect(selector_, &QWidget::customContextMenuRequested, this,
            &WatchlistPane::openSelectorMenu);
    connect(entries_, &QListWidget::currentRowChanged, this, &WatchlistPane::entryChanged);
    connect(entries_, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { entryActivated(entries_->row(item)); });
    connect(entries_, &QWidget::customContextMenuRequested, this, &WatchlistPane::openEntryMenu);
    connect(strategy_, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (filling_ || index < 0) return;
        auto& selected = workspace_.options().selectedStrategy;
        if (index == selected) return;
        selected = static_cast<uint8_t>(index);
        emit strategyChanged();
    });
    entries_->installEventFilter(this);
}

WatchlistPane::~WatchlistPane() = default;

QListWidget* WatchlistPane::entries() const {
    return entries_;
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
        const std::vector<WatchlistEntry>& entries = workspace_.watchlists().entries();
        for (std::size_t row = 0; row < entries.size(); ++row) {
            new QListWidgetItem(QString::fromStdString(entries[row].text), entries_);
            entries_->setMark(static_cast<int>(row), entries[row].mark);
        }
        // The model keeps the sorted order itself: rows are its indexes.
        entries_->setCurrentRow(workspace_.watchlists().selectedIndex());
        Watchlists& lists = workspace_.watchlists();
        const int number = lists.displayedWatchlist();
        const std::vector<std::string>& titles = lists.titles();
        const QString file = QString::fromStdString(lists.displayedFileName());
        if (number > 0 && number <= static_cast<int>(titles.size()) && !titles[number - 1].empty())
            entries_->setCaption(QString::fromStdString(titles[number - 1]), file);
        else
            entries_->setCaption(file, file);
    }
    filling_ = false;
}

void WatchlistPane::setMarks(const std::vector<uint8_t>& marks) {
    Watchlists& lists = workspace_.watchlists();
    const std::size_t count = std::min(marks.size(), lists.entries().size());
    for (std::size_t row = 0; row < count; ++row) {
        lists.setMark(static_cast<int>(row), marks[row]);
        entries_->setMark(static_cast<int>(row), marks[row]);
    }
}

void WatchlistPane::setVisible(bool shown) {
    selector_->setVisible(shown);
    entries_->setVisible(shown);
}

void WatchlistPane::placeProgress() {
    const QRect list = entries_->geometry();
    const int height = progress_->preferredHeight();
    progress_->setGeometry(list.left(), std::max(list.top(), list.bottom() + 1 - height),
                           list.width(), height);
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

// Another instance on this program folder: without it the new one would look
// for its folder elsewhere and find another store, or none.
void WatchlistPane::entryActivated(int row) {
    if (row < 0) return;
    const StockCode code = lineCode(entries_->item(row)->text().toStdString());
    if (code > 0)
        workspace_.platform().shell.startInstance(
            {codeText(code), "--folder", workspace_.folder().root()});
}

void WatchlistPane::removeSelected() {
    const auto code = workspace_.watchlists().removeEntry();
    showEntries();
    if (code) emit securityChosen(*code);
}

void WatchlistPane::addCodes() {
    Watchlists& lists = workspace_.watchlists();
    if (lists.displayedWatchlist() == 0) return;
    AddCodesDialog dialog(workspace_.series().code, entries_->window());
    if (dialog.exec() != QDialog::Accepted) return;
    const std::vector<StockCode> codes = dialog.codes();
    if (lists.addCodes(codes) > 0) showEntries();
}

bool WatchlistPane::eventFilter(QObject* watched, QEvent* event) {
    if (watched == entries_ && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Tab) {
            emit focusReturned();
            return true;
        }
        if (key->text() == QStringLiteral(".")) {
            removeSelected();
            return true;
        }
        if (key->text() == QStringLiteral("-")) {
            addCodes();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace tav::desktop
