#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/stock_code.h"
#include "data/folder_lock.h"
#include "data/program_folder.h"
#include "platform/clipboard.h"
#include "platform/prompter.h"
#include "watchlists/entry_lists.h"
#include "watchlists/watchlist_files.h"

namespace tav {

// One line of the displayed entry list and its mark (1-4 colour the text; the
// mark is lost when the list is refilled).
struct WatchlistEntry {
    std::string text;  // "code name", UTF-8
    uint8_t mark = 0;
};

// The watchlists as the pane shows them: the combined list of markets and
// watchlist titles with its chosen position, and the entries of the chosen
// list with their selection. The files are the only store; this model is
// refilled from them on every selection and written back after every change.
//
// Watchlists are numbered from 1 (position 9 is watchlist 1). Operations that
// work on "the displayed watchlist" do nothing while a market is shown.
class Watchlists {
  public:
    Watchlists(ProgramFolder folder, Prompter& prompter);

    // Kept with the options: the entry list sorted by text.
    bool sorted = false;
    // Another instance holds the folder (or it cannot be written): every
    // change is refused with readOnlyMessage, so neither instance writes over
    // the other's edits.
    bool readOnly = false;
    std::string readOnlyMessage = kFolderInUseMessage;
    // The file steps of deleting and moving whole watchlists, for a caller
    // that must simulate a failing disk or a kill.
    FileOps listFileOps = FileOps::plain();

    // --- The strategy of each watchlist ---
    // The strategy (1-based, 0 = none) watchlist n uses for its signal marks,
    // kept in "FocusTrade.inf"; it follows its watchlist when watchlists are
    // moved or deleted.
    int watchlistStrategy(int number);
    // Stores a strategy number (0-255) for watchlist n; false when refused.
    bool setWatchlistStrategy(int number, int strategy);

    // --- The combined list ---
    int position() const { return position_; }
    const std::vector<std::string>& titles();
    int watchlistCount() { return static_cast<int>(titles().size()); }
    // Market names, then the titles.
    std::vector<std::string> combinedList();
    // The watchlist on display, 0 while a market is shown.
    int displayedWatchlist() const { return watchlistNumber(position_); }
    // "Focus%d.lst" of the displayed watchlist, empty for a market.
    std::string displayedFileName() const;

    // Makes a position current and fills its entries from the files. An
    // unknown position falls back to the first market.
    void select(int position);
    // Refills the current position (titles and entries) from the files.
    void reload() { select(position_); }

    // --- The displayed entries ---
    const std::vector<WatchlistEntry>& entries() const { return entries_; }
    int selectedIndex() const { return selected_; }
    void selectEntry(int index);
    // Selects the first entry of the code; false when it is not listed.
    bool selectCode(StockCode code);
    std::optional<StockCode> selectedCode() const;
    void setMark(int index, uint8_t mark);

    // --- Adding codes ---
    // Appends "code name" (name from the master list) to watchlist n unless
    // the code is in it already, which is told unless quiet. The displayed list
    // shows the new entry when it is watchlist n. True when added.
    bool addToWatchlist(StockCode code, int number, bool quiet);
    // As addToWatchlist, but refuses the watchlist on display.
    bool addToOtherWatchlist(StockCode code, int number, bool quiet);
    // The "銘柄一括追加" dialog's codes: each non-zero code in the master list
    // goes to the displayed watchlist; others are reported. Returns how many
    // were added.
    int addCodes(std::span<const StockCode> codes);

    // --- Operations on the displayed entries ---
    // Removes the selected entry and selects the one now at its index (or the
    // one before). Returns the code to display, none when the list is empty.
    std::optional<StockCode> removeEntry();
    // Swap the selected entry with a neighbour; with alternate the whole
    // displayed watchlist moves instead.
    bool moveEntryUp(bool alternate);
    bool moveEntryDown(bool alternate);
    bool copyEntryTo(int number);
    bool moveEntryTo(int number);
    // Ask, then copy every entry to watchlist n (duplicates skipped quietly).
    bool copyAllTo(int number);
    // Ask, then move every entry to watchlist n: entries that are in watchlist
    // n afterwards leave this list; any that could not be written stay.
    bool moveAllTo(int number);
    bool clearAll();
    bool saveDisplayedWatchlist();
    // Shows watchlist n with these lines ("code name") as its whole contents
    // and writes them to its file: the output of screening and rankings.
    bool replaceWatchlist(int number, std::vector<std::string> lines);

    // --- Whole watchlists ---
    bool saveTitles();
    // Asks for a title and appends a watchlist, which becomes the displayed one.
    bool addWatchlist();
    // Asks for a new title of the displayed watchlist.
    bool renameWatchlist();
    // Asks, then deletes the displayed watchlist; later files and strategy
    // numbers move one number down.
    bool deleteWatchlist();
    bool moveWatchlistUp();
    bool moveWatchlistDown();

    // --- Import ---
    // Appends the lines of a file to the displayed watchlist (no question).
    bool importEntries(const std::string& path);
    // The clipboard's lines, after asking.
    bool pasteEntries(Clipboard& clipboard);
    // A chosen file's lines, after asking.
    bool importFile(const std::string& path);

    // The file a batch run over the displayed list reads ("_temp.lst" for a
    // market, written from the entries as shown).
    std::optional<std::string> batchSource() const;

  private:
    // False, with a message, while read-only.
    bool mayWrite();
    // Whether the file may be changed: not while read-only, and not when
    // rewriting it from what was read would drop part of it. Says why not.
    bool mayChange(const std::string& path, const LineLimits& limits);
    std::string listPath(int number) const;
    bool validWatchlist(int number);
    enum class Placement { Missing, Added, AlreadyThere };
    // Appends the codes missing from watchlist n (codes 0 and below are
    // skipped); returns where each code stands afterwards.
    std::vector<Placement> appendCodes(std::span<const StockCode> codes, int number, bool quiet);
    std::map<StockCode, std::string> masterNames(std::span<const StockCode> codes) const;
    void insertEntry(std::string text);
    void removeAt(int index);
    std::optional<std::string> askTitle(const char* dialogTitle, const std::string& preset);
    bool moveWatchlist(int from, int to);
    // Tells that the file could not be written; false.
    bool notWritten(const std::string& path);
    // Deletes or swaps through the list with the strategy numbers that follow
    // the watchlists, all in one journaled step.
    bool changeList(const std::function<bool(NumberedTitles&, AlsoRewrite)>& change,
                    const std::array<uint8_t, kMaxWatchlists>& numbers, int count);

    const std::array<uint8_t, kMaxWatchlists>& strategyNumbers();
    bool saveStrategyNumbers();

    ProgramFolder folder_;
    Prompter& prompter_;
    std::array<uint8_t, kMaxWatchlists> strategyNumbers_{};
    bool strategiesRead_ = false;
    std::vector<std::string> titles_;
    bool titlesRead_ = false;
    int position_ = 0;
    std::vector<WatchlistEntry> entries_;
    int selected_ = -1;
};

}  // namespace tav
