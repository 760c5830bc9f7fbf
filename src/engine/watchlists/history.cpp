#include "watchlists/history.h"

#include <algorithm>

#include "core/file_io.h"
#include "core/text.h"
#include "data/stock_master.h"
#include "watchlists/watchlist_files.h"

namespace tav {

namespace {

constexpr const char* kClearQuestion = "履歴ファイルをクリアします。\n\nよろしいですか？";

int clampLength(int length) {
    return std::clamp(length, History::kMinLength, History::kMaxLength);
}

}  // namespace

std::string History::path() const {
    return folder_.path(kHistoryFileName);
}

void History::setLengthSetting(int length) {
    length_ = clampLength(length);
}

bool History::setHistoryLength(int length) {
    length_ = clampLength(length);
    auto bytes = fileio::readFile(path());
    if (!bytes) return true;
    // Count every line, not only the first length_, to see whether a cut is due.
    LineLimits all{kHistoryLineBuffer};
    std::vector<std::string> lines = readLines(*bytes, all);
    if (lines.size() <= static_cast<std::size_t>(length_)) return true;
    lines.resize(static_cast<std::size_t>(length_));
    return writeLineFile(path(), lines);
}

bool History::recordHistory(StockCode code) {
    if (suspended_) return false;
    cursor_ = 0;
    SecurityInfo info;
    StockMaster(folder_.path(StockMaster::kFileName)).lookupSecurity(code, info);
    if (info.name.empty()) info.name = "-----";
    std::string newLine = codeText(code) + " " + info.name;
    // Written lines must read back whole.
    newLine = text::utf8FromSjis(fitLine(text::sjisFromUtf8(newLine), kHistoryLineBuffer));

    auto bytes = fileio::readFile(path());
    if (!bytes) return writeLineFile(path(), {newLine});
    std::vector<std::string> lines =
        readLines(*bytes, LineLimits{kHistoryLineBuffer, static_cast<std::size_t>(length_)});
    auto found = std::find_if(lines.begin(), lines.end(),
                              [code](const std::string& line) { return lineCode(line) == code; });
    if (found == lines.begin() && found != lines.end()) return true;
    if (found == lines.end()) {
        lines.insert(lines.begin(), newLine);
        if (lines.size() > static_cast<std::size_t>(length_))
            lines.resize(static_cast<std::size_t>(length_));
    } else {
        std::rotate(lines.begin(), found, found + 1);
    }
    return writeLineFile(path(), lines);
}

bool History::clearHistory(Prompter& prompter) {
    if (!prompter.askYesNo(kClearQuestion, QuestionKind::Destructive)) return false;
    cursor_ = 0;
    return fileio::writeFileAtomic(path(), "");
}

std::vector<std::string> History::historyLines() const {
    return readLineFile(path(), LineLimits{kHistoryLineBuffer, static_cast<std::size_t>(length_)});
}

int History::historyCount() const {
    return static_cast<int>(historyLines().size());
}

StockCode History::historyCode(int index) const {
    std::vector<std::string> lines = historyLines();
    if (index < 0 || index >= static_cast<int>(lines.size())) return 0;
    return lineCode(lines[static_cast<std::size_t>(index)]);
}

std::optional<StockCode> History::showAtCursor(const std::function<void(StockCode)>& display) {
    StockCode code = historyCode(cursor_);
    // A line without a code moves the cursor but shows nothing.
    if (code <= 0) return std::nullopt;
    suspended_ = true;
    struct Resume {
        bool& flag;
        ~Resume() { flag = false; }
    } resume{suspended_};
    if (display) display(code);
    return code;
}

std::optional<StockCode> History::historyBack(const std::function<void(StockCode)>& display) {
    if (cursor_ >= historyCount() - 1) return std::nullopt;
    ++cursor_;
    return showAtCursor(display);
}

std::optional<StockCode> History::historyForward(const std::function<void(StockCode)>& display) {
    if (cursor_ <= 0) return std::nullopt;
    --cursor_;
    return showAtCursor(display);
}

}  // namespace tav
