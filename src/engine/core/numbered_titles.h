#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

// Lists whose entries are a title line in one title file plus a numbered file
// each (capsules, strategies, watchlists). Reordering and deleting move the
// numbered files by renames; either every move and the new title file take
// effect, or everything is put back as it was.
namespace tav {

using FileRenamer = std::function<bool(const std::string& from, const std::string& to)>;
bool plainRename(const std::string& from, const std::string& to);

// The renames done so far, so a failed step can put them back.
class FileMoves {
  public:
    explicit FileMoves(FileRenamer rename) : rename_(std::move(rename)) {}
    // Moves from onto a free `to`; a missing `from` is nothing to move.
    bool move(const std::string& from, const std::string& to);
    // Reverses the moves, newest first; false when one could not be reversed.
    bool undo();

  private:
    FileRenamer rename_;
    std::vector<std::pair<std::string, std::string>> done_;
};

// Where a numbered list lives.
struct NumberedListStore {
    std::function<std::string(int)> pathOf;  // file of entry k, counted from 0
    std::string sparePath;                   // parking place while files move
    std::function<std::vector<std::string>()> readTitles;
    std::function<bool(const std::vector<std::string>&)> writeTitles;
    FileRenamer rename = plainRename;
};

class NumberedTitles {
  public:
    explicit NumberedTitles(NumberedListStore store);

    void reload();
    const std::vector<std::string>& titles() const { return titles_; }
    int count() const { return static_cast<int>(titles_.size()); }
    bool valid(int k) const { return k >= 0 && k < count(); }
    std::string path(int k) const { return store_.pathOf(k); }
    NumberedListStore& store() { return store_; }

    // Each operation writes the title file; on failure memory and disk keep
    // the list as it was.
    // Appends a title; a file left over under the new number is removed so it
    // cannot lend the new entry its contents.
    bool append(const std::string& title);
    bool rename(int k, const std::string& title);
    // Copies entry from's file over entry to's.
    bool copyFile(int from, int to) const;
    // Removes entry k: its file goes and every later file moves one number down.
    bool remove(int k);
    // Exchanges entries a and b with their files.
    bool swap(int a, int b);

  private:
    bool commit(std::vector<std::string> titles, FileMoves& moves);

    NumberedListStore store_;
    std::vector<std::string> titles_;
};

// The file moves of a delete and a swap on their own, all or nothing, for
// lists whose titles are written elsewhere.
bool closeNumberedGap(const NumberedListStore& store, int deleted, int last, FileMoves& moves);
bool swapNumberedFiles(const NumberedListStore& store, int a, int b, FileMoves& moves);

}  // namespace tav
