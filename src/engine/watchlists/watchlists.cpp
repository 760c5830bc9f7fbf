#include "watchlists/watchlists.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>

#include "core/file_io.h"
#include "core/text.h"
#include "data/folder_lock.h"
#include "data/stock_master.h"
#include "platform/title_prompt.h"
#include "watchlists/watchlist_import.h"

namespace tav {

namespace {

constexpr const char* kAlreadyListed = "\n\nは既に登録済みです。";
constexpr const char* kSameList = "送り手と受け手が同じです。";
constexpr const char* kCopyAllQuestion =
    "注目銘柄リストの全項目を全て複写します。\n\nよろしいですか？";
constexpr const char* kMoveAllQuestion =
    "注目銘柄リストの全項目を全て移動します。\n\nよろしいですか？";
constexpr const char* kClearAllQuestion =
    "注目銘柄リストの全項目を全て削除します。\n\nよろしいですか？";
constexpr const char* kAddDialog = "注目銘柄の追加";
constexpr const char* kRenameDialog = "注目銘柄の名前変更";
constexpr const char* kTitleLabel = "タイトル";
constexpr const char* kUnknownFormat = "ファイルフォーマットが不明です。";
constexpr const char* kClipboardEmpty = "クリップボードが空です。";
constexpr const char* kPasteQuestion = "クリップボードから銘柄を貼り付けます。\n\nよろしいですか？";
constexpr const char* kImportQuestion =
    "指定されたファイルからインポートします。\n\nよろしいですか？";
constexpr const char* kTooManyWatchlists =
    "注目銘柄はこれ以上追加できません。\n\n最大246個までです。";
constexpr const char* kTitleTooLong =
    "タイトルが長すぎます。\n\n半角127文字（全角63文字）以内で入力してください。";
constexpr const char* kTitleCharacters = "タイトルに使用できない文字が含まれています。";

std::string notListedMessage(StockCode code) {
    return "番号　" + codeText(code) + "　は銘柄リストに存在していません。";
}

std::string deleteQuestion(const std::string& title) {
    return "[" + title + "] を削除します。\n\n一度削除すると元へ戻せません。\n\nよろしいですか？";
}

const std::string kUnlistedName = "-----";

// "code name" cut so that it reads back from the file unchanged.
std::string entryLine(StockCode code, const std::string& name) {
    return text::utf8FromSjis(
        fitLine(text::sjisFromUtf8(codeText(code) + " " + name), kEntryLineBuffer));
}

}  // namespace

bool Watchlists::mayWrite() {
    if (readOnly) prompter_.message(readOnlyMessage, MessageIcon::Stop);
    return !readOnly;
}

bool Watchlists::notWritten(const std::string& path) {
    tellCannotWrite(prompter_, path.substr(path.rfind('/') + 1));
    return false;
}

bool Watchlists::mayChange(const std::string& path, const LineLimits& limits) {
    if (!mayWrite()) return false;
    auto bytes = fileio::readFile(path);
    if (bytes && !readsWhole(*bytes, limits)) {
        std::string name = path.substr(path.rfind('/') + 1);
        prompter_.message("[" + name + "]　に長すぎる行か多すぎる行があるため、変更できません。",
                          MessageIcon::Stop);
        return false;
    }
    return true;
}

// The master-list names of the codes (the first line of each wins), read in
// one pass however many codes a copy of a whole market brings.
std::map<StockCode, std::string> Watchlists::masterNames(std::span<const StockCode> codes) const {
    std::map<StockCode, std::string> names;
    const std::set<StockCode> wanted(codes.begin(), codes.end());
    auto bytes = fileio::readFile(folder_.path(StockMaster::kFileName));
    if (!bytes) return names;
    fileio::forEachLine(*bytes, [&](std::string_view line) {
        MasterLine parsed = parseMasterLine(line);
        if (wanted.contains(parsed.code) && !names.contains(parsed.code))
            names.emplace(parsed.code, text::utf8FromSjis(parsed.name));
    });
    return names;
}

Watchlists::Watchlists(ProgramFolder folder, Prompter& prompter)
    : folder_(std::move(folder)), prompter_(prompter) {}

std::string Watchlists::listPath(int number) const {
    return folder_.path(watchlistFileName(number));
}

const std::vector<std::string>& Watchlists::titles() {
    if (!titlesRead_) {
        titles_ = readTitles(folder_);
        titlesRead_ = true;
    }
    return titles_;
}

bool Watchlists::validWatchlist(int number) {
    return number >= 1 && number <= watchlistCount();
}

std::vector<std::string> Watchlists::combinedList() {
    std::vector<std::string> list(std::begin(kMarketNames), std::end(kMarketNames));
    const auto& names = titles();
    list.insert(list.end(), names.begin(), names.end());
    return list;
}

std::string Watchlists::displayedFileName() const {
    int number = displayedWatchlist();
    return number > 0 ? watchlistFileName(number) : std::string();
}

void Watchlists::select(int position) {
    titlesRead_ = false;
    if (position < 0 || position > watchlistPosition(watchlistCount())) position = 0;
    position_ = position;
    entries_.clear();
    for (std::string& text : fillEntryList(folder_, position_, sorted))
        entries_.push_back({std::move(text), 0});
    selected_ = -1;
}

void Watchlists::selectEntry(int index) {
    selected_ = index >= 0 && index < static_cast<int>(entries_.size()) ? index : -1;
}

bool Watchlists::selectCode(StockCode code) {
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        if (lineCode(entries_[i].text) == code) {
            selected_ = static_cast<int>(i);
            return true;
        }
    }
    return false;
}

std::optional<StockCode> Watchlists::selectedCode() const {
    if (selected_ < 0) return std::nullopt;
    return lineCode(entries_[static_cast<std::size_t>(selected_)].text);
}

void Watchlists::setMark(int index, uint8_t mark) {
    if (index >= 0 && index < static_cast<int>(entries_.size()))
        entries_[static_cast<std::size_t>(index)].mark = mark;
}

void Watchlists::insertEntry(std::string text) {
    auto at = entries_.end();
    if (sorted) {
        at = std::upper_bound(entries_.begin(), entries_.end(), text,
                              [](const std::string& value, const WatchlistEntry& entry) {
                                  return entryTextLess(value, entry.text);
                              });
    }
    int index = static_cast<int>(at - entries_.begin());
    entries_.insert(at, WatchlistEntry{std::move(text), 0});
    if (selected_ >= index) ++selected_;
}

void Watchlists::removeAt(int index) {
    entries_.erase(entries_.begin() + index);
    const int size = static_cast<int>(entries_.size());
    selected_ = size == 0 ? -1 : std::min(index, size - 1);
}

std::vector<Watchlists::Placement> Watchlists::appendCodes(std::span<const StockCode> codes,
                                                           int number, bool quiet) {
    std::vector<Placement> placed(codes.size(), Placement::Missing);
    const std::string path = listPath(number);
    // An append keeps every line, so only the lock matters.
    if (!mayWrite()) return placed;
    std::set<StockCode> listed;
    for (const std::string& line : readLineFile(path, LineLimits{}))
        listed.insert(lineCode(line));
    const std::map<StockCode, std::string> names = masterNames(codes);

    std::string bytes;
    std::vector<std::string> added;
    std::vector<std::size_t> addedAt;
    for (std::size_t i = 0; i < codes.size(); ++i) {
        const StockCode code = codes[i];
        if (code <= 0) continue;
        auto named = names.find(code);
        const std::string& name = named != names.end() ? named->second : kUnlistedName;
        if (listed.contains(code)) {
            placed[i] = Placement::AlreadyThere;
            if (!quiet)
                prompter_.message(codeText(code) + " " + name + kAlreadyListed,
                                  MessageIcon::Stop);
            continue;
        }
        std::string line = entryLine(code, name);
        bytes += text::sjisFromUtf8(line);
        bytes += '\n';
        added.push_back(std::move(line));
        addedAt.push_back(i);
        listed.insert(code);
    }
    if (added.empty()) return placed;
    if (!fileio::appendToFile(path, bytes)) {
        notWritten(path);
        return placed;
    }
    for (std::size_t i : addedAt)
        placed[i] = Placement::Added;
    if (number == displayedWatchlist())
        for (std::string& line : added)
            insertEntry(std::move(line));
    return placed;
}

bool Watchlists::addToWatchlist(StockCode code, int number, bool quiet) {
    if (!validWatchlist(number)) return false;
    return appendCodes(std::span(&code, 1), number, quiet)[0] == Placement::Added;
}

bool Watchlists::addToOtherWatchlist(StockCode code, int number, bool quiet) {
    if (number == displayedWatchlist()) {
        prompter_.message(kSameList, MessageIcon::Stop);
        return false;
    }
    return addToWatchlist(code, number, quiet);
}

int Watchlists::addCodes(std::span<const StockCode> codes) {
    const int number = displayedWatchlist();
    if (!validWatchlist(number)) return 0;
    StockMaster master(folder_.path(StockMaster::kFileName));
    int added = 0;
    for (StockCode code : codes) {
        if (code == 0) continue;
        if (!master.contains(code)) {
            prompter_.message(notListedMessage(code), MessageIcon::Stop);
            continue;
        }
        if (addToWatchlist(code, number, false)) ++added;
    }
    return added;
}

std::optional<StockCode> Watchlists::removeEntry() {
    if (!validWatchlist(displayedWatchlist()) || selected_ < 0) return std::nullopt;
    removeAt(selected_);
    saveDisplayedWatchlist();
    return selectedCode();
}

bool Watchlists::moveEntryUp(bool alternate) {
    if (alternate) return moveWatchlistUp();
    if (!validWatchlist(displayedWatchlist()) || selected_ < 1) return false;
    std::swap(entries_[static_cast<std::size_t>(selected_)],
              entries_[static_cast<std::size_t>(selected_ - 1)]);
    --selected_;
    return saveDisplayedWatchlist();
}

bool Watchlists::moveEntryDown(bool alternate) {
    if (alternate) return moveWatchlistDown();
    if (!validWatchlist(displayedWatchlist()) || selected_ < 0 ||
        selected_ + 1 >= static_cast<int>(entries_.size()))
        return false;
    std::swap(entries_[static_cast<std::size_t>(selected_)],
              entries_[static_cast<std::size_t>(selected_ + 1)]);
    ++selected_;
    return saveDisplayedWatchlist();
}

bool Watchlists::copyEntryTo(int number) {
    auto code = selectedCode();
    return code && addToOtherWatchlist(*code, number, false);
}

bool Watchlists::moveEntryTo(int number) {
    auto code = selectedCode();
    if (!code || !validWatchlist(displayedWatchlist())) return false;
    const int index = selected_;
    if (!addToOtherWatchlist(*code, number, false)) return false;
    removeAt(index);
    return saveDisplayedWatchlist();
}

bool Watchlists::copyAllTo(int number) {
    if (!validWatchlist(number)) return false;
    if (!prompter_.askYesNo(kCopyAllQuestion)) return false;
    if (number == displayedWatchlist()) {
        prompter_.message(kSameList, MessageIcon::Stop);
        return false;
    }
    std::vector<StockCode> codes;
    for (const WatchlistEntry& entry : entries_)
        codes.push_back(lineCode(entry.text));
    appendCodes(codes, number, true);
    return true;
}

bool Watchlists::moveAllTo(int number) {
    if (!validWatchlist(displayedWatchlist()) || !validWatchlist(number)) return false;
    if (!prompter_.askYesNo(kMoveAllQuestion)) return false;
    if (number == displayedWatchlist()) {
        prompter_.message(kSameList, MessageIcon::Stop);
        return false;
    }
    std::vector<StockCode> codes;
    for (const WatchlistEntry& entry : entries_)
        codes.push_back(lineCode(entry.text));
    std::vector<Placement> placed = appendCodes(codes, number, true);
    // Only what is in the target now leaves this list.
    std::vector<WatchlistEntry> kept;
    for (std::size_t i = 0; i < entries_.size(); ++i)
        if (placed[i] == Placement::Missing) kept.push_back(std::move(entries_[i]));
    const bool all = kept.empty();
    entries_ = std::move(kept);
    selected_ = -1;
    return saveDisplayedWatchlist() && all;
}

bool Watchlists::clearAll() {
    if (!validWatchlist(displayedWatchlist())) return false;
    if (!prompter_.askYesNo(kClearAllQuestion, QuestionKind::Destructive)) return false;
    entries_.clear();
    selected_ = -1;
    return saveDisplayedWatchlist();
}

bool Watchlists::saveDisplayedWatchlist() {
    const int number = displayedWatchlist();
    if (!validWatchlist(number)) return false;
    if (!mayChange(listPath(number), LineLimits{})) {
        // The entries on show go back to what the file holds.
        reload();
        return false;
    }
    std::vector<std::string> lines;
    lines.reserve(entries_.size());
    for (const WatchlistEntry& entry : entries_)
        lines.push_back(entry.text);
    return writeLineFile(listPath(number), lines) || notWritten(listPath(number));
}

bool Watchlists::replaceWatchlist(int number, std::vector<std::string> lines) {
    titlesRead_ = false;
    if (!validWatchlist(number)) return false;
    position_ = watchlistPosition(number);
    if (sorted) sortEntries(lines);
    entries_.clear();
    for (std::string& line : lines)
        entries_.push_back({std::move(line), 0});
    selected_ = -1;
    return saveDisplayedWatchlist();
}

bool Watchlists::saveTitles() {
    if (!mayChange(folder_.path(kTitleFileName), kTitleLimits)) return false;
    return writeTitles(folder_, titles()) || notWritten(folder_.path(kTitleFileName));
}

std::optional<std::string> Watchlists::askTitle(const char* dialogTitle,
                                                const std::string& preset) {
    auto input = prompter_.askText(dialogTitle, kTitleLabel, preset);
    if (!input) return std::nullopt;
    auto encoded = text::sjisFromUtf8Strict(*input);
    const bool control = std::any_of(input->begin(), input->end(),
                                     [](char c) { return static_cast<unsigned char>(c) < 0x20; });
    if (!encoded || control) {
        prompter_.message(kTitleCharacters, MessageIcon::Stop);
        return std::nullopt;
    }
    // A longer title would not fit the reader's line and split into two titles.
    if (encoded->size() > kMaxTitleBytes) {
        prompter_.message(kTitleTooLong, MessageIcon::Stop);
        return std::nullopt;
    }
    return input;
}

bool Watchlists::addWatchlist() {
    titlesRead_ = false;
    const int count = watchlistCount();
    if (count >= kMaxWatchlists) {
        prompter_.message(kTooManyWatchlists, MessageIcon::Stop);
        return false;
    }
    if (!mayChange(folder_.path(kTitleFileName), kTitleLimits)) return false;
    auto title = askTitle(kAddDialog, "");
    if (!title) return false;
    if (!fileio::appendToFile(folder_.path(kTitleFileName), text::sjisFromUtf8(*title) + "\n"))
        return notWritten(folder_.path(kTitleFileName));
    saveDisplayedWatchlist();
    strategyNumbers();
    if (strategyNumbers_[static_cast<std::size_t>(count)] != 0) {
        strategyNumbers_[static_cast<std::size_t>(count)] = 0;
        saveStrategyNumbers();
    }
    select(watchlistPosition(count + 1));
    return true;
}

bool Watchlists::renameWatchlist() {
    titlesRead_ = false;
    const int number = displayedWatchlist();
    if (!validWatchlist(number)) return false;
    std::string& slot = titles_[static_cast<std::size_t>(number - 1)];
    auto title = askTitle(kRenameDialog, slot);
    if (!title) return false;
    const std::string old = slot;
    slot = *title;
    if (!saveTitles()) {
        slot = old;
        return false;
    }
    return true;
}

bool Watchlists::deleteWatchlist() {
    titlesRead_ = false;
    const int number = displayedWatchlist();
    if (!validWatchlist(number)) return false;
    if (!mayChange(folder_.path(kTitleFileName), kTitleLimits)) return false;
    if (!prompter_.askYesNo(deleteQuestion(titles_[static_cast<std::size_t>(number - 1)]), QuestionKind::Destructive))
        return false;
    const int remaining = watchlistCount() - 1;
    std::array<uint8_t, kMaxWatchlists> numbers = strategyNumbers();
    std::move(numbers.begin() + number, numbers.end(), numbers.begin() + (number - 1));
    numbers.back() = 0;
    const int deleted = number - 1;
    if (!changeList([deleted](NumberedTitles& list,
                              AlsoRewrite also) { return list.remove(deleted, std::move(also)); },
                    numbers, remaining))
        return false;
    select(position_ <= watchlistPosition(remaining) ? position_ : position_ - 1);
    return true;
}

bool Watchlists::changeList(const std::function<bool(NumberedTitles&, AlsoRewrite)>& change,
                            const std::array<uint8_t, kMaxWatchlists>& numbers, int count) {
    const std::string strategyFile = folder_.path(kWatchlistStrategyFileName);
    AlsoRewrite also{{std::string(kWatchlistStrategyFileName),
                      watchlistStrategyBytes(numbers, count), fileio::readFile(strategyFile)}};
    NumberedListStore store = watchlistListStore(folder_);
    store.ops = listFileOps;
    NumberedTitles list(std::move(store));
    list.reload();
    titlesRead_ = false;
    if (!change(list, std::move(also))) return notWritten(folder_.path(kTitleFileName));
    strategyNumbers_ = numbers;
    return true;
}

bool Watchlists::moveWatchlist(int from, int to) {
    titlesRead_ = false;
    if (!validWatchlist(from) || !validWatchlist(to)) return false;
    if (!mayChange(folder_.path(kTitleFileName), kTitleLimits)) return false;
    std::array<uint8_t, kMaxWatchlists> numbers = strategyNumbers();
    std::swap(numbers[static_cast<std::size_t>(from - 1)],
              numbers[static_cast<std::size_t>(to - 1)]);
    const int a = from - 1;
    const int b = to - 1;
    if (!changeList([a, b](NumberedTitles& list,
                           AlsoRewrite also) { return list.swap(a, b, std::move(also)); },
                    numbers, watchlistCount()))
        return false;
    select(watchlistPosition(to));
    return true;
}

bool Watchlists::moveWatchlistUp() {
    const int number = displayedWatchlist();
    return number > 1 && moveWatchlist(number, number - 1);
}

bool Watchlists::moveWatchlistDown() {
    const int number = displayedWatchlist();
    return number >= 1 && moveWatchlist(number, number + 1);
}

const std::array<uint8_t, kMaxWatchlists>& Watchlists::strategyNumbers() {
    if (!strategiesRead_) {
        strategyNumbers_ = readWatchlistStrategies(folder_);
        strategiesRead_ = true;
    }
    return strategyNumbers_;
}

bool Watchlists::saveStrategyNumbers() {
    if (readOnly) return false;
    return writeWatchlistStrategies(folder_, strategyNumbers_, watchlistCount()) ||
           notWritten(folder_.path(kWatchlistStrategyFileName));
}

int Watchlists::watchlistStrategy(int number) {
    if (number < 1 || number > kMaxWatchlists) return 0;
    return strategyNumbers()[static_cast<std::size_t>(number - 1)];
}

bool Watchlists::setWatchlistStrategy(int number, int strategy) {
    titlesRead_ = false;
    if (!validWatchlist(number) || strategy < 0 || strategy > 255) return false;
    if (!mayWrite()) return false;
    strategyNumbers();
    const auto index = static_cast<std::size_t>(number - 1);
    const uint8_t before = strategyNumbers_[index];
    strategyNumbers_[index] = static_cast<uint8_t>(strategy);
    if (!saveStrategyNumbers()) {
        strategyNumbers_[index] = before;
        return false;
    }
    return true;
}

bool Watchlists::importEntries(const std::string& path) {
    const int number = displayedWatchlist();
    if (!validWatchlist(number)) return false;
    auto source = fileio::readFile(path);
    if (!source) return false;
    ImportedLines imported = readImportLines(*source);
    if (!mayWrite()) return false;
    if (!fileio::appendToFile(listPath(number), imported.bytes))
        return notWritten(listPath(number));
    // The list shows what reached the file, also when a bad line stopped the import.
    reload();
    if (imported.unknownFormat) {
        prompter_.message(kUnknownFormat, MessageIcon::Stop);
        return false;
    }
    return true;
}

bool Watchlists::pasteEntries(Clipboard& clipboard) {
    if (!validWatchlist(displayedWatchlist())) return false;
    auto pasted = clipboard.text();
    if (!pasted || pasted->empty()) {
        prompter_.message(kClipboardEmpty, MessageIcon::Stop);
        return false;
    }
    const std::string scratch = folder_.path(kPasteFileName);
    if (!fileio::writeFileAtomic(scratch, text::sjisFromUtf8(*pasted))) return notWritten(scratch);
    bool imported = false;
    if (prompter_.askYesNo(kPasteQuestion)) imported = importEntries(scratch);
    std::remove(scratch.c_str());
    return imported;
}

bool Watchlists::importFile(const std::string& path) {
    if (!validWatchlist(displayedWatchlist())) return false;
    if (!prompter_.askYesNo(kImportQuestion)) return false;
    return importEntries(path);
}

std::optional<std::string> Watchlists::batchSource() const {
    std::vector<std::string> lines;
    for (const WatchlistEntry& entry : entries_)
        lines.push_back(entry.text);
    return batchSourceFile(folder_, position_, lines);
}

}  // namespace tav
