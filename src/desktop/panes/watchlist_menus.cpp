// The two pop-up menus of the watchlist pane and the work of their items.

#include <QComboBox>
#include <QFileDialog>
#include <QListWidget>
#include <QMenu>
#include <QSignalBlocker>
#include <functional>

#include "dialogs/alternate_click.h"
#include "panes/entry_list.h"
#include "panes/watchlist_pane.h"
#include "quotes/web_pages.h"
#include "simulation/strategy_file.h"
#include "watchlists/watchlist_files.h"
#include "window/command_ids.h"
#include "workspace/workspace.h"

namespace tav::desktop {

namespace {

constexpr const char* kRangeTypes[WatchlistPane::kRangeTypeCount] = {
    "昨日の高値－安値",     "ピボットのＳ１－Ｂ１", "ピボットのＳ２－Ｂ２",
    "ピボットのHBOP-LBOP",  "３日間の高値－安値",   "５日間の高値－安値",
    "７日間の高値－安値",   "１０日間の高値－安値", "１５日間の高値－安値",
    "２０日間の高値－安値",
};

constexpr const char* kRestartQuestion =
    "この機能を有効にするには、いったん終了する必要があります。\n\n終了してもよろしいですか？";

QAction* addItem(QMenu& menu, const char* text, std::function<void()> run, bool enabled = true) {
    QAction* action = menu.addAction(QString::fromUtf8(text));
    action->setEnabled(enabled);
    QObject::connect(action, &QAction::triggered, action, std::move(run));
    return action;
}

// A sub-menu of choices with the current one checked.
void addChoiceMenu(QMenu& menu, const char* title, const QStringList& choices, int current,
                   std::function<void(int)> choose) {
    QMenu* sub = menu.addMenu(QString::fromUtf8(title));
    for (int index = 0; index < choices.size(); ++index) {
        QAction* action = sub->addAction(choices[index]);
        action->setCheckable(true);
        action->setChecked(index == current);
        action->setData(index);
        QObject::connect(action, &QAction::triggered, action, [choose, index] { choose(index); });
    }
}

}  // namespace

StockCode WatchlistPane::selectedCode() const {
    return workspace_.watchlists().selectedCode().value_or(0);
}

void WatchlistPane::addTitleMenu(QMenu& menu, const QString& title, int base, bool enabled,
                                 void (WatchlistPane::*run)(int number)) {
    QMenu* sub = menu.addMenu(title);
    sub->setEnabled(enabled);
    const std::vector<std::string>& titles = workspace_.watchlists().titles();
    for (int number = 1; number <= static_cast<int>(titles.size()); ++number) {
        QAction* action = sub->addAction(QString::fromStdString(titles[number - 1]));
        action->setData(base + number);
        connect(action, &QAction::triggered, this, [this, run, number] { (this->*run)(number); });
    }
}

std::unique_ptr<QMenu> WatchlistPane::selectorMenu() {
    auto menu = std::make_unique<QMenu>(selector_->window());
    // Items run after this function returns: they reach the model through the pane.
    Watchlists* lists = &workspace_.watchlists();
    const bool watchlist = lists->displayedWatchlist() > 0;
    const auto titlesChanged = [this](bool changed) {
        if (changed) fillSelector();
    };
    addItem(*menu, "リスト非表示(&E)", [this] { emit commandPosted(cmd::ToggleWatchlist); });
    addItem(*menu, "銘柄情報の削除(&D)", [this] { emit commandPosted(cmd::DeleteSecurity); });
    addItem(*menu, "銘柄情報に追加(&A)", [this] { emit commandPosted(cmd::AddSecurity); });
    menu->addSeparator();
    addItem(*menu, "注目銘柄の追加(&A)", [lists, titlesChanged] { titlesChanged(lists->addWatchlist()); });
    addItem(
        *menu, "注目銘柄の削除(&P)",
        [lists, titlesChanged] { titlesChanged(lists->deleteWatchlist()); }, watchlist);
    addItem(
        *menu, "注目銘柄の名前変更(&T)",
        [lists, titlesChanged] { titlesChanged(lists->renameWatchlist()); }, watchlist);
    addItem(
        *menu, "項目位置［↑］(&U)",
        [lists, titlesChanged] { titlesChanged(lists->moveWatchlistUp()); }, watchlist);
    addItem(
        *menu, "項目位置［↓］(&W)",
        [lists, titlesChanged] { titlesChanged(lists->moveWatchlistDown()); }, watchlist);
    menu->addSeparator();
    QStringList strategies;
    for (const std::string& title : strategySelectorItems(workspace_.folder().root()))
        strategies << QString::fromStdString(title);
    // Through the selector, which makes the choice the selected strategy.
    addChoiceMenu(*menu, "売買戦略の設定", strategies, workspace_.options().selectedStrategy,
                  [this](int index) { strategy_->setCurrentIndex(index); });
    return menu;
}

std::unique_ptr<QMenu> WatchlistPane::entryMenu() {
    auto menu = std::make_unique<QMenu>(entries_->window());
    Watchlists* lists = &workspace_.watchlists();
    const int number = lists->displayedWatchlist();
    const bool hasEntry = selectedCode() > 0;
    addItem(*menu, "リスト非表示(&E)", [this] { emit commandPosted(cmd::ToggleWatchlist); });
    if (number == 0) {
        addTitleMenu(*menu, QStringLiteral("注目銘柄へ追加"), kCopyToBase, hasEntry,
                     &WatchlistPane::copyEntryTo);
        addTitleMenu(*menu, QStringLiteral("全部複写"), kCopyAllBase, true,
                     &WatchlistPane::copyAllTo);
        menu->addSeparator();
        addCommonItems(*menu, hasEntry);
        return menu;
    }

    // Shift or Ctrl moves the whole watchlist instead of the entry.
    const auto moveEntry = [this, lists](bool up) {
        const bool alternate = alternateHeld();
        const bool moved = up ? lists->moveEntryUp(alternate) : lists->moveEntryDown(alternate);
        if (!moved) return;
        if (alternate)
            fillSelector();
        else
            showEntries();
    };
    addItem(*menu, "項目追加(&A)", [this] { addCodes(); });
    addItem(*menu, "項目削除(&D)", [this] { removeSelected(); }, hasEntry);
    addTitleMenu(*menu, QStringLiteral("項目複写"), kCopyToBase, hasEntry,
                 &WatchlistPane::copyEntryTo);
    addTitleMenu(*menu, QStringLiteral("項目移動"), kMoveToBase, hasEntry,
                 &WatchlistPane::moveEntryTo);
    addItem(*menu, "項目位置［↑］(&U)", [moveEntry] { moveEntry(true); });
    addItem(*menu, "項目位置［↓］(&W)", [moveEntry] { moveEntry(false); });
    menu->addSeparator();
    addItem(*menu, "全部削除(&C)", [this, lists] {
        if (lists->clearAll()) showEntries();
    });
    addTitleMenu(*menu, QStringLiteral("全部複写"), kCopyAllBase, true, &WatchlistPane::copyAllTo);
    addTitleMenu(*menu, QStringLiteral("全部移動"), kMoveAllBase, true, &WatchlistPane::moveAllTo);
    menu->addSeparator();
    addItem(
        *menu, "日計指標出力(&L)", [this, number] { actions_.exportLevels(number); },
        static_cast<bool>(actions_.exportLevels));
    addItem(
        *menu, "現戦略を設定(&T)",
        [this, number] { actions_.setWatchlistStrategy(number, strategy_->currentIndex()); },
        static_cast<bool>(actions_.setWatchlistStrategy));
    QStringList ranges;
    for (const char* text : kRangeTypes)
        ranges << QString::fromUtf8(text);
    addChoiceMenu(*menu, "レンジ種別指定", ranges, workspace_.options().rangeType,
                  [this](int type) { workspace_.options().rangeType = static_cast<uint8_t>(type); });
    menu->addSeparator();
    addItem(*menu, "貼り付け(&P)", [this, lists] {
        lists->pasteEntries(workspace_.platform().clipboard);
        showEntries();
    });
    addItem(*menu, "インポート(&I)", [this] { importFile(); });
    menu->addSeparator();
    addCommonItems(*menu, hasEntry);
    return menu;
}

void WatchlistPane::addCommonItems(QMenu& menu, bool hasEntry) {
    addItem(
        menu, "銘柄抽出(&S)", [this] { actions_.screening(); },
        static_cast<bool>(actions_.screening));
    addItem(menu, "ランキング取得(&L)", [this] { emit commandPosted(cmd::RankingDownload); });
    addItem(menu, "企業名検索(&N)", [this] { emit commandPosted(cmd::Search); });
    addChoiceMenu(menu, "並び替え", {QStringLiteral("ソート有り"), QStringLiteral("ソート無し")},
                  workspace_.watchlists().sorted ? 0 : 1,
                  [this](int choice) { chooseSorted(choice == 0); });
    addItem(menu, "財務指標(&F)", [this] { openQuotePage(); }, hasEntry);
    addItem(
        menu, "企業情報(&I)", [this] { actions_.companyPage(selectedCode()); },
        hasEntry && actions_.companyPage);
}

void WatchlistPane::openSelectorMenu(const QPoint& at) {
    const std::unique_ptr<QMenu> menu = selectorMenu();
    menu->exec(selector_->viewport()->mapToGlobal(at));
}

// The entry under the pointer is selected without showing its security, as
// the menu's commands work on the selection.
void WatchlistPane::openEntryMenu(const QPoint& at) {
    if (QListWidgetItem* item = entries_->itemAt(at)) {
        const int row = entries_->row(item);
        const QSignalBlocker blocker(entries_);
        entries_->setCurrentRow(row);
        workspace_.watchlists().selectEntry(row);
    }
    const std::unique_ptr<QMenu> menu = entryMenu();
    menu->exec(entries_->viewport()->mapToGlobal(at));
}

void WatchlistPane::copyEntryTo(int number) {
    workspace_.watchlists().copyEntryTo(number);
}

void WatchlistPane::moveEntryTo(int number) {
    if (workspace_.watchlists().moveEntryTo(number)) showEntries();
}

void WatchlistPane::copyAllTo(int number) {
    workspace_.watchlists().copyAllTo(number);
}

void WatchlistPane::moveAllTo(int number) {
    workspace_.watchlists().moveAllTo(number);
    // Also a partial move changed this list.
    showEntries();
}

void WatchlistPane::importFile() {
    if (workspace_.watchlists().displayedWatchlist() == 0) return;
    const QString path =
        QFileDialog::getOpenFileName(entries_->window(), QStringLiteral("インポート"),
                                     QString::fromStdString(workspace_.folder().root()));
    if (path.isEmpty()) return;
    workspace_.watchlists().importFile(path.toStdString());
    showEntries();
}

void WatchlistPane::chooseSorted(bool sorted) {
    Watchlists& lists = workspace_.watchlists();
    if (sorted == lists.sorted) return;
    if (!workspace_.prompter().askYesNo(kRestartQuestion)) return;
    lists.sorted = sorted;
    emit quitRequested();
}

void WatchlistPane::openQuotePage() {
    const StockCode code = selectedCode();
    if (code <= 0) return;
    // A US listing has no quote page of its own: its chart stands in.
    SecurityInfo security;
    workspace_.master().lookupSecurity(code, security);
    workspace_.platform().shell.open(
        financialsWebPage(workspace_.endpoints(), code, security.symbol));
}

}  // namespace tav::desktop
