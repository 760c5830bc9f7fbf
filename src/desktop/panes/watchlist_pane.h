#pragma once

#include <QObject>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/stock_code.h"
#include "panes/watchlist_pane_actions.h"

class QComboBox;
class QListWidget;
class QMenu;
class QPoint;
class QWidget;

namespace tav {
class Workspace;
}

namespace tav::desktop {

class BatchProgress;
class EntryList;

// The watchlist pane: the list selector (markets, then the watchlist titles),
// the entry list of the chosen one, the strategy selector, the two pop-up
// menus and the progress of batch runs. It shows what the workspace's
// Watchlists hold, edits them through it and reports the user's choices;
// showing a security and the window-wide commands are the window's job.
class WatchlistPane : public QObject {
    Q_OBJECT
  public:
    // Ids of the watchlist-title sub-menu items: base + watchlist number.
    static constexpr int kCopyToBase = 1000;  // also "注目銘柄へ追加" of a market
    static constexpr int kMoveToBase = 1100;
    static constexpr int kCopyAllBase = 1200;
    static constexpr int kMoveAllBase = 1300;
    static constexpr int kRangeTypeCount = 10;

    WatchlistPane(Workspace& workspace, const WatchlistPaneActions& actions, QWidget* window,
                  QComboBox* strategySelector);
    ~WatchlistPane() override;

    QListWidget* selector() const { return selector_; }
    QListWidget* entries() const;
    EntryList* entryList() const { return entries_; }
    BatchProgress* progress() const { return progress_; }

    // Refills both lists and the strategy titles from the files.
    void reload();
    // Refills the entry list from the model (after a move or removal).
    void showEntries();
    void setVisible(bool shown);
    // The progress panel over the foot of the entry list.
    void placeProgress();

    // Marks of the entries in list order, drawn as their text colour; kept
    // until the list is filled again.
    void setMarks(const std::vector<uint8_t>& marks);

    // The pop-up menus as a right click opens them, built for the list on
    // display. Each item does its work when triggered.
    std::unique_ptr<QMenu> selectorMenu();
    std::unique_ptr<QMenu> entryMenu();

    // The "銘柄一括追加" dialog for the watchlist on display.
    void addCodes();

  signals:
    void securityChosen(StockCode code);
    // Tab on the entry list: the window takes the keyboard focus back.
    void focusReturned();
    void strategyChanged();
    // A window command from a menu (hide the pane, master list, search, rankings).
    void commandPosted(int id);
    // The sort setting changed and takes effect at the next start.
    void quitRequested();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void selectorChanged(int row);
    void entryChanged(int row);
    void entryActivated(int row);
    void fillSelector();
    void fillStrategies();
    void removeSelected();
    void openSelectorMenu(const QPoint& at);
    void openEntryMenu(const QPoint& at);
    void addTitleMenu(QMenu& menu, const QString& title, int base, bool enabled,
                      void (WatchlistPane::*run)(int number));
    void addCommonItems(QMenu& menu, bool hasEntry);
    void copyEntryTo(int number);
    void moveEntryTo(int number);
    void copyAllTo(int number);
    void moveAllTo(int number);
    void importFile();
    void chooseSorted(bool sorted);
    void openQuotePage();
    StockCode selectedCode() const;

    Workspace& workspace_;
    const WatchlistPaneActions& actions_;
    QListWidget* selector_;
    EntryList* entries_;
    QComboBox* strategy_;
    BatchProgress* progress_;
    bool filling_ = false;
};

}  // namespace tav::desktop
