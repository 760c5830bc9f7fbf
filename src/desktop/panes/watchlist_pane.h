#pragma once

#include <QObject>
#include <string>
#include <vector>

#include "core/stock_code.h"

class QComboBox;
class QListWidget;
class QWidget;

namespace tav {
class Workspace;
}

namespace tav::desktop {

// The watchlist pane: the list selector (markets, then the watchlist titles),
// the entry list of the chosen one and the strategy selector. It shows what
// the workspace's Watchlists hold and reports the user's choices; showing a
// security is the window's job.
class WatchlistPane : public QObject {
    Q_OBJECT
  public:
    WatchlistPane(Workspace& workspace, QWidget* window, QComboBox* strategySelector);

    QListWidget* selector() const { return selector_; }
    QListWidget* entries() const { return entries_; }

    // Refills both lists and the strategy titles from the files.
    void reload();
    // Refills the entry list from the model (after a move or removal).
    void showEntries();
    void setVisible(bool shown);

  signals:
    void securityChosen(StockCode code);
    // Tab on the entry list: the window takes the keyboard focus back.
    void focusReturned();
    void strategyChanged();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void selectorChanged(int row);
    void entryChanged(int row);
    void entryActivated(int row);
    void fillSelector();
    void fillStrategies();

    Workspace& workspace_;
    QListWidget* selector_;
    QListWidget* entries_;
    QComboBox* strategy_;
    bool filling_ = false;
};

}  // namespace tav::desktop
