#include "simulation/strategy_list.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "conditions/condition_text.h"
#include "core/file_io.h"
#include "core/text.h"
#include "platform/title_prompt.h"
#include "simulation/strategy_file.h"

namespace tav {

namespace {

constexpr const char* kAddDialog = "売買戦略追加";
constexpr const char* kRenameDialog = "売買戦略名前変更";
constexpr const char* kNameLabel = "売買戦略名";
constexpr const char* kNameCharacters = "売買戦略名に使用できない文字が含まれています。";
constexpr const char* kSameStrategy = "送り手と受け手が同じです。";
constexpr const char* kNothingToCopy = "複写元には設定がありません。";
constexpr const char* kCopyQuestion =
    "戦略の設定内容を複写します。複写先の内容が失われます。\n\nよろしいですか？";
constexpr const char* kTooManyConditions = "1つの列に登録できる条件は20個までです。";
constexpr const char* kConditionsDropped =
    "21個目以降の条件が記録された列があります。\n\n20個を超えた条件は読み込まれません。";

std::string initialiseQuestion(const std::string& name) {
    return "[ " + name +
           " ] の内容を初期化します。\n\n戦略内全てのサインが消去されます。\n\nよろしいですか？";
}

std::string deleteQuestion(const std::string& name) {
    return "[" + name + "] を削除します。\n\n一度削除すると元へ戻せません。\n\nよろしいですか？";
}

const Strategy kNoStrategy{};

template <typename T>
bool swapNeighbours(std::vector<T>& items, int index, int other) {
    if (index < 0 || other < 0 || index >= static_cast<int>(items.size()) ||
        other >= static_cast<int>(items.size()))
        return false;
    std::swap(items[static_cast<std::size_t>(index)], items[static_cast<std::size_t>(other)]);
    return true;
}

}  // namespace

StrategyList::StrategyList(std::string folder, Prompter& prompter)
    : folder_(std::move(folder)), prompter_(prompter) {}

std::string StrategyList::path(int strategy) const {
    return fileio::joinPath(folder_, strategyFileName(strategy + 1));
}

std::string StrategyList::listFilePath() const {
    return fileio::joinPath(folder_, kStrategyListFileName);
}

std::string StrategyList::currentFilePath() const {
    return current_ < 0 ? std::string() : path(current_);
}

const Strategy& StrategyList::strategy() const {
    return current_ < 0 ? kNoStrategy : strategy_;
}

Strategy* StrategyList::editable() {
    return current_ < 0 ? nullptr : &strategy_;
}

Tactic* StrategyList::tactic(int row) {
    Strategy* record = editable();
    if (!record || row < 0 || row >= static_cast<int>(record->tactics.size())) return nullptr;
    return &record->tactics[static_cast<std::size_t>(row)];
}

TacticColumns* StrategyList::columns(int row, TacticTab tab) {
    Tactic* row_ = tactic(row);
    return row_ ? &row_->columns(tab) : nullptr;
}

void StrategyList::open(int first) {
    names_ = readStrategyNames(folder_);
    strategy_ = Strategy{};
    current_ = -1;
    changed_ = false;
    if (!names_.empty()) select(std::clamp(first, 0, count() - 1));
}

bool StrategyList::save() {
    if (current_ < 0 || !changed_) return true;
    if (!writeStrategyFile(path(current_), strategy_)) return false;
    changed_ = false;
    return true;
}

bool StrategyList::close() {
    const bool saved = save();
    names_.clear();
    strategy_ = Strategy{};
    current_ = -1;
    return saved;
}

void StrategyList::select(int strategy) {
    if (strategy < 0 || strategy >= count()) return;
    save();
    current_ = strategy;
    changed_ = false;
    auto reading = readStrategyFile(path(strategy));
    strategy_ = reading ? std::move(reading->strategy) : Strategy{};
    if (reading && reading->droppedConditions > 0)
        prompter_.message(kConditionsDropped, MessageIcon::Warning);
}

bool StrategyList::askName(const char* dialogTitle, const std::string& preset, std::string& name) {
    auto input = askListTitle(prompter_, dialogTitle, kNameLabel, preset, kMaxStrategyNameBytes);
    if (!input) return false;
    name = *input;
    return true;
}

bool StrategyList::addStrategy() {
    std::string name;
    if (!askName(kAddDialog, "", name)) return false;
    save();
    names_.push_back(name);
    if (!writeStrategyNames(folder_, names_)) {
        names_.pop_back();
        return false;
    }
    current_ = count() - 1;
    strategy_ = Strategy{};
    changed_ = false;
    // A file left over under the new number must not lend the new strategy its rules.
    std::error_code error;
    std::filesystem::remove(path(current_), error);
    return true;
}

bool StrategyList::renameStrategy() {
    if (current_ < 0) return false;
    std::string name;
    if (!askName(kRenameDialog, names_[static_cast<std::size_t>(current_)], name)) return false;
    names_[static_cast<std::size_t>(current_)] = name;
    return writeStrategyNames(folder_, names_);
}

bool StrategyList::deleteStrategy() {
    if (current_ < 0) return false;
    const int deleted = current_;
    if (!prompter_.askYesNo(deleteQuestion(names_[static_cast<std::size_t>(deleted)]), QuestionKind::Destructive))
        return false;
    const int last = count() - 1;
    names_.erase(names_.begin() + deleted);
    const bool namesWritten = writeStrategyNames(folder_, names_);
    const bool moved = fileio::closeNumberedGap([this](int k) { return path(k); }, deleted, last);
    changed_ = false;
    current_ = -1;
    strategy_ = Strategy{};
    if (!names_.empty()) select(std::min(deleted, count() - 1));
    return namesWritten && moved;
}

bool StrategyList::copyStrategyTo(int target) {
    if (current_ < 0 || target < 0 || target >= count()) return false;
    if (target == current_) {
        prompter_.message(kSameStrategy, MessageIcon::Stop);
        return false;
    }
    // The file is what is copied: the edits so far go into it first.
    save();
    if (!fileio::fileExists(path(current_))) {
        prompter_.message(kNothingToCopy, MessageIcon::Stop);
        return false;
    }
    if (!prompter_.askYesNo(kCopyQuestion)) return false;
    return fileio::copyFileAtomic(path(current_), path(target));
}

bool StrategyList::initialiseStrategy() {
    Strategy* record = editable();
    if (!record) return false;
    if (!prompter_.askYesNo(initialiseQuestion(names_[static_cast<std::size_t>(current_)]), QuestionKind::Destructive))
        return false;
    record->tactics.clear();
    record->tradingMode = kModeLong;
    changed_ = true;
    return true;
}

bool StrategyList::moveStrategy(int from, int to) {
    if (from < 0 || to < 0 || from >= count() || to >= count()) return false;
    save();
    std::swap(names_[static_cast<std::size_t>(from)], names_[static_cast<std::size_t>(to)]);
    const bool namesWritten = writeStrategyNames(folder_, names_);
    // Exchange the two files through "Trade.bak", which goes afterwards.
    const std::string swap = fileio::joinPath(folder_, kStrategySwapFileName);
    const bool swapped = fileio::swapFilesThrough(path(from), path(to), swap);
    current_ = to;
    return namesWritten && swapped;
}

bool StrategyList::moveStrategyUp() {
    return current_ > 0 && moveStrategy(current_, current_ - 1);
}

bool StrategyList::moveStrategyDown() {
    return current_ >= 0 && current_ + 1 < count() && moveStrategy(current_, current_ + 1);
}

bool StrategyList::setTradingMode(uint8_t mode) {
    Strategy* record = editable();
    if (!record || mode >= kTradingModeCount || record->tradingMode == mode) return false;
    record->tradingMode = mode;
    changed_ = true;
    return true;
}

bool StrategyList::setSplit(const SplitSettings& split) {
    Strategy* record = editable();
    if (!record || record->split == split) return false;
    record->split = split;
    changed_ = true;
    return true;
}

bool StrategyList::addTactic() {
    Strategy* record = editable();
    if (!record) return false;
    Tactic added;
    added.name = strategy_labels::defaultTacticName(record->tradingMode,
                                                    static_cast<int>(record->tactics.size()) + 1);
    record->tactics.push_back(std::move(added));
    changed_ = true;
    return true;
}

bool StrategyList::deleteTactic(int row) {
    if (!tactic(row)) return false;
    strategy_.tactics.erase(strategy_.tactics.begin() + row);
    changed_ = true;
    return true;
}

bool StrategyList::moveTacticUp(int row) {
    if (!tactic(row) || !swapNeighbours(strategy_.tactics, row, row - 1)) return false;
    changed_ = true;
    return true;
}

bool StrategyList::moveTacticDown(int row) {
    if (!tactic(row) || !swapNeighbours(strategy_.tactics, row, row + 1)) return false;
    changed_ = true;
    return true;
}

bool StrategyList::setTactic(int row, const std::string& name, bool disabled, uint8_t side) {
    Tactic* record = tactic(row);
    if (!record || name.empty() || name.find_first_of("\r\n") != std::string::npos) return false;
    if (!text::sjisFromUtf8Strict(name)) {
        prompter_.message(kNameCharacters, MessageIcon::Stop);
        return false;
    }
    record->name = name;
    record->disabled = disabled ? 1 : 0;
    record->side = side == kSellTactic ? kSellTactic : kBuyTactic;
    changed_ = true;
    return true;
}

bool StrategyList::canAddCondition(int row, TacticTab tab) {
    const TacticColumns* record = columns(row, tab);
    if (!record) return false;
    if (record->count >= kMaxColumnConditions) {
        prompter_.message(kTooManyConditions, MessageIcon::Stop);
        return false;
    }
    return true;
}

bool StrategyList::addCondition(int row, TacticTab tab, const Condition& condition) {
    if (!canAddCondition(row, tab)) return false;
    TacticColumns& record = *columns(row, tab);
    record.conditions[static_cast<std::size_t>(record.count++)] = condition;
    changed_ = true;
    return true;
}

bool StrategyList::editCondition(int row, TacticTab tab, int index, const Condition& condition) {
    TacticColumns* record = columns(row, tab);
    if (!record || index < 0 || index >= record->count) return false;
    record->conditions[static_cast<std::size_t>(index)] = condition;
    changed_ = true;
    return true;
}

bool StrategyList::deleteCondition(int row, TacticTab tab, int index) {
    TacticColumns* record = columns(row, tab);
    if (!record || index < 0 || index >= record->count) return false;
    auto rows = record->conditions.begin();
    std::move(rows + index + 1, rows + record->count, rows + index);
    record->conditions[static_cast<std::size_t>(--record->count)] = Condition{};
    changed_ = true;
    return true;
}

bool StrategyList::moveConditionUp(int row, TacticTab tab, int index) {
    TacticColumns* record = columns(row, tab);
    if (!record || index < 1 || index >= record->count) return false;
    std::swap(record->conditions[static_cast<std::size_t>(index)],
              record->conditions[static_cast<std::size_t>(index - 1)]);
    changed_ = true;
    return true;
}

bool StrategyList::moveConditionDown(int row, TacticTab tab, int index) {
    TacticColumns* record = columns(row, tab);
    if (!record || index < 0 || index + 1 >= record->count) return false;
    std::swap(record->conditions[static_cast<std::size_t>(index)],
              record->conditions[static_cast<std::size_t>(index + 1)]);
    changed_ = true;
    return true;
}

bool StrategyList::setLogic(int row, TacticTab tab, int16_t logic) {
    TacticColumns* record = columns(row, tab);
    if (!record || (logic != kLogicOr && logic != kLogicAnd) || record->logic == logic)
        return false;
    record->logic = logic;
    changed_ = true;
    return true;
}

bool StrategyList::setFillPrice(int row, TacticTab tab, int16_t fillPrice) {
    TacticColumns* record = columns(row, tab);
    if (!record || fillPrice < 0 || fillPrice >= kFillPriceCount || record->fillPrice == fillPrice)
        return false;
    record->fillPrice = fillPrice;
    changed_ = true;
    return true;
}

std::vector<std::string> StrategyList::conditionTexts(
    int row, TacticTab tab, std::span<const std::string> capsuleTitles) const {
    std::vector<std::string> texts;
    const Strategy& record = strategy();
    if (row < 0 || row >= static_cast<int>(record.tactics.size())) return texts;
    const Tactic& owner = record.tactics[static_cast<std::size_t>(row)];
    const bool shortStops = strategy_labels::showsShortStops(record.tradingMode, owner);
    for (const Condition& c : owner.columns(tab).rows())
        texts.push_back(tab == TacticTab::Stop
                            ? strategy_labels::stopRuleText(c, shortStops)
                            : conditionText(c, ConditionContext::Strategy, capsuleTitles));
    return texts;
}

}  // namespace tav
