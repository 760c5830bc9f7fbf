#include "core/numbered_titles.h"

#include <cstdio>

#include "core/file_io.h"

namespace tav {

bool plainRename(const std::string& from, const std::string& to) {
    return std::rename(from.c_str(), to.c_str()) == 0;
}

bool FileMoves::move(const std::string& from, const std::string& to) {
    if (!fileio::fileExists(from)) return true;
    if (!rename_(from, to)) return false;
    done_.emplace_back(from, to);
    return true;
}

bool FileMoves::undo() {
    bool restored = true;
    for (auto it = done_.rbegin(); it != done_.rend(); ++it)
        restored = rename_(it->second, it->first) && restored;
    done_.clear();
    return restored;
}

bool closeNumberedGap(const NumberedListStore& store, int deleted, int last, FileMoves& moves) {
    // A stale spare must not come back as the deleted entry on undo.
    if (!fileio::removeFileIfPresent(store.sparePath)) return false;
    // Park the deleted file: each later file then moves onto a free number.
    bool ok = moves.move(store.pathOf(deleted), store.sparePath);
    for (int k = deleted; ok && k < last; ++k)
        ok = moves.move(store.pathOf(k + 1), store.pathOf(k));
    if (!ok) moves.undo();
    return ok;
}

bool swapNumberedFiles(const NumberedListStore& store, int a, int b, FileMoves& moves) {
    if (!fileio::removeFileIfPresent(store.sparePath)) return false;
    const bool ok = moves.move(store.pathOf(a), store.sparePath) &&
                    moves.move(store.pathOf(b), store.pathOf(a)) &&
                    moves.move(store.sparePath, store.pathOf(b));
    if (!ok) moves.undo();
    return ok;
}

NumberedTitles::NumberedTitles(NumberedListStore store) : store_(std::move(store)) {}

void NumberedTitles::reload() {
    titles_ = store_.readTitles();
}

bool NumberedTitles::commit(std::vector<std::string> titles, FileMoves& moves) {
    if (!store_.writeTitles(titles)) {
        moves.undo();
        return false;
    }
    titles_ = std::move(titles);
    return true;
}

bool NumberedTitles::append(const std::string& title) {
    std::vector<std::string> titles = titles_;
    titles.push_back(title);
    FileMoves none(store_.rename);
    if (!commit(std::move(titles), none)) return false;
    fileio::removeFileIfPresent(path(count() - 1));
    return true;
}

bool NumberedTitles::rename(int k, const std::string& title) {
    if (!valid(k)) return false;
    std::vector<std::string> titles = titles_;
    titles[static_cast<std::size_t>(k)] = title;
    FileMoves none(store_.rename);
    return commit(std::move(titles), none);
}

bool NumberedTitles::copyFile(int from, int to) const {
    return valid(from) && valid(to) && fileio::copyFileAtomic(path(from), path(to));
}

bool NumberedTitles::remove(int k) {
    if (!valid(k)) return false;
    FileMoves moves(store_.rename);
    if (!closeNumberedGap(store_, k, count() - 1, moves)) return false;
    std::vector<std::string> titles = titles_;
    titles.erase(titles.begin() + k);
    if (!commit(std::move(titles), moves)) return false;
    fileio::removeFileIfPresent(store_.sparePath);
    return true;
}

bool NumberedTitles::swap(int a, int b) {
    if (!valid(a) || !valid(b) || a == b) return false;
    FileMoves moves(store_.rename);
    if (!swapNumberedFiles(store_, a, b, moves)) return false;
    std::vector<std::string> titles = titles_;
    std::swap(titles[static_cast<std::size_t>(a)], titles[static_cast<std::size_t>(b)]);
    return commit(std::move(titles), moves);
}

}  // namespace tav
