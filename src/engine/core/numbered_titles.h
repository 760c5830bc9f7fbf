#pragma once

#include <functional>
#include <string>
#include <vector>

#include "core/rename_journal.h"

// Lists whose entries are a title line in one title file plus a numbered file
// each (capsules, strategies, watchlists), all in one folder. Deleting and
// reordering move the numbered files by renames under the folder's rename
// journal: either every move and the new title file take effect, or nothing
// does, also when the program is killed part-way.
namespace tav {

// Where a numbered list lives.
struct NumberedListStore {
    std::string folder;
    std::function<std::string(int)> fileOf;  // file name of entry k, counted from 0
    std::string titleName;                   // the title file, one title a line
    std::string spareName;                   // parking place while files move
    std::function<std::vector<std::string>()> readTitles;
    FileOps ops = FileOps::plain();

    std::string path(std::string_view name) const;
};

// The extra files an operation rewrites with the titles (the strategy numbers
// that follow the watchlists).
using AlsoRewrite = std::vector<FileRewrite>;

class NumberedTitles {
  public:
    explicit NumberedTitles(NumberedListStore store);

    void reload();
    const std::vector<std::string>& titles() const { return titles_; }
    int count() const { return static_cast<int>(titles_.size()); }
    bool valid(int k) const { return k >= 0 && k < count(); }
    std::string path(int k) const { return store_.path(store_.fileOf(k)); }
    std::string titlePath() const { return store_.path(store_.titleName); }
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
    bool remove(int k, AlsoRewrite also = {});
    // Exchanges entries a and b with their files.
    bool swap(int a, int b, AlsoRewrite also = {});

  private:
    bool writeTitles(const std::vector<std::string>& titles);
    bool run(RenamePlan plan, std::vector<std::string> titles);

    NumberedListStore store_;
    std::vector<std::string> titles_;
};

// The renames of a delete (entry `deleted` of entries 0..last) and of a swap,
// for lists whose titles are written elsewhere. A delete parks the deleted
// file under the spare name and removes it at the end.
RenamePlan deletePlan(const NumberedListStore& store, int deleted, int last);
RenamePlan swapPlan(const NumberedListStore& store, int a, int b);

}  // namespace tav
