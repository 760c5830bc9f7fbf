#include "core/numbered_titles.h"

#include "core/file_io.h"

namespace tav {

std::string NumberedListStore::path(std::string_view name) const {
    return fileio::joinPath(folder, name);
}

RenamePlan deletePlan(const NumberedListStore& store, int deleted, int last) {
    RenamePlan plan;
    // Park the deleted file: each later file then moves onto a free number.
    plan.renames.push_back({store.fileOf(deleted), store.spareName});
    for (int k = deleted; k < last; ++k)
        plan.renames.push_back({store.fileOf(k + 1), store.fileOf(k)});
    plan.removals.push_back(store.spareName);
    return plan;
}

RenamePlan swapPlan(const NumberedListStore& store, int a, int b) {
    RenamePlan plan;
    plan.renames = {{store.fileOf(a), store.spareName},
                    {store.fileOf(b), store.fileOf(a)},
                    {store.spareName, store.fileOf(b)}};
    return plan;
}

NumberedTitles::NumberedTitles(NumberedListStore store) : store_(std::move(store)) {}

void NumberedTitles::reload() {
    titles_ = store_.readTitles();
}

bool NumberedTitles::writeTitles(const std::vector<std::string>& titles) {
    if (!store_.ops.write(titlePath(), titleFileBytes(titles))) return false;
    titles_ = titles;
    return true;
}

bool NumberedTitles::run(RenamePlan plan, std::vector<std::string> titles) {
    // An operation not yet recovered may still hold a file under the spare name.
    if (fileio::fileExists(store_.path(kRenameJournalFileName))) return false;
    // A spare left by an older run would block the renames; it belongs to no
    // entry, since a finished or recovered operation leaves none.
    if (!store_.ops.remove(store_.path(store_.spareName))) return false;
    plan.rewrites.insert(plan.rewrites.begin(),
                         {store_.titleName, titleFileBytes(titles), fileio::readFile(titlePath())});
    if (!runRenamePlan(store_.folder, plan, store_.ops)) return false;
    titles_ = std::move(titles);
    return true;
}

bool NumberedTitles::append(const std::string& title) {
    // The leftover goes first: a kill between the two steps then loses nothing.
    if (!store_.ops.remove(path(count()))) return false;
    std::vector<std::string> titles = titles_;
    titles.push_back(title);
    return writeTitles(titles);
}

bool NumberedTitles::rename(int k, const std::string& title) {
    if (!valid(k)) return false;
    std::vector<std::string> titles = titles_;
    titles[static_cast<std::size_t>(k)] = title;
    return writeTitles(titles);
}

bool NumberedTitles::copyFile(int from, int to) const {
    return valid(from) && valid(to) && fileio::copyFileAtomic(path(from), path(to));
}

bool NumberedTitles::remove(int k, AlsoRewrite also) {
    if (!valid(k)) return false;
    RenamePlan plan = deletePlan(store_, k, count() - 1);
    plan.rewrites = std::move(also);
    std::vector<std::string> titles = titles_;
    titles.erase(titles.begin() + k);
    return run(std::move(plan), std::move(titles));
}

bool NumberedTitles::swap(int a, int b, AlsoRewrite also) {
    if (!valid(a) || !valid(b) || a == b) return false;
    RenamePlan plan = swapPlan(store_, a, b);
    plan.rewrites = std::move(also);
    std::vector<std::string> titles = titles_;
    std::swap(titles[static_cast<std::size_t>(a)], titles[static_cast<std::size_t>(b)]);
    return run(std::move(plan), std::move(titles));
}

}  // namespace tav
