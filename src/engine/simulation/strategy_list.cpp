#include "simulation/strategy_list.h"

#include <algorithm>

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
constexpr const char* kReplaceQuestion =
    "] の内容を選んだ値で上書きします。\n\n元の値には戻せません。\n\nよろしいですか？";
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

NumberedListStore strategyListStore(const std::string& folder) {
    NumberedListStore store;
    store.folder = folder;
    // Strategy k lives in "Trade{k+1}.pat".
    store.fileOf = [](int k) { return strategyFileName(k + 1); };
    store.titleName = kStrategyListFileName;
    store.spareName = kStrategySwapFileName;
    store.readTitles = [folder] { return readStrategyNames(folder); };
    return store;
}

StrategyList::StrategyList(std::string folder, Prompter& prompter)
    : folder_(std::move(folder)), prompter_(prompter), list_(strategyListStore(folder_)) {}

std::string StrategyList::path(int strategy) const {
    return list_.path(strategy);
}

const std::string& StrategyList::name() const {
    return names()[static_cast<std::size_t>(current_)];
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
    list_.reload();
    strategy_ = Strategy{};
    current_ = -1;
    changed_ = false;
    if (count() > 0) select(std::clamp(first, 0, count() - 1));
}

bool StrategyList::save() {
    if (current_ < 0 || !changed_) return true;
    if (!writeStrategyFile(path(current_), strategy_)) {
        tellCannotWrite(prompter_, strategyFileName(current_ + 1));
        return false;
    }
    changed_ = false;
    return true;
}

bool StrategyList::close() {
    const bool saved = save();
    list_.reload();
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

bool StrategyList::listNotWritten() {
    tellCannotWrite(prompter_, kStrategyListFileName);
    return false;
}

bool StrategyList::askName(const char* dialogTitle, const std::string& preset, std::string& name) {
    auto input = askListTitle(prompter_, dialogTitle, kNameLabel, preset, kMaxStrategyNameBytes);
    if (!input) return false;
    name = *input;
    return true;
}

void StrategyList::select(int strategy, bool alternate, Shell& shell) {
    select(strategy);
    if (alternate) shell.open(listFilePath());
}

void StrategyList::chooseTactic(bool alternate, Shell& shell) const {
    if (alternate && current_ >= 0) shell.open(currentFilePath());
}

bool StrategyList::addStrategy() {
    std::string name;
    if (!askName(kAddDialog, "", name)) return false;
    save();
    if (!list_.append(name)) return listNotWritten();
    current_ = count() - 1;
    strategy_ = Strategy{};
    changed_ = false;
    return true;
}

bool StrategyList::addStrategyAs(const Strategy& strategy, const std::string& presetName) {
    std::string name;
    if (!askName(kAddDialog, presetName, name)) return false;
    if (!save()) return false;
    if (!list_.append(name)) return listNotWritten();
    current_ = count() - 1;
    strategy_ = strategy;
    changed_ = true;
    return save();
}

bool StrategyList::replaceStrategy(const Strategy& strategy) {
    if (current_ < 0) return false;
    if (!prompter_.askYesNo("[" + name() + kReplaceQuestion, QuestionKind::Destructive))
        return false;
    strategy_ = strategy;
    changed_ = true;
    return save();
}

bool StrategyList::renameStrategy() {
    if (current_ < 0) return false;
    std::string name;
    if (!askName(kRenameDialog, this->name(), name)) return false;
    return list_.rename(current_, name) || listNotWritten();
}

bool StrategyList::deleteStrategy() {
    if (current_ < 0) return false;
    const int deleted = current_;
    if (!prompter_.askYesNo(deleteQuestion(name()), QuestionKind::Destructive)) return false;
    if (!list_.remove(deleted)) return listNotWritten();
    // The edits of the strategy that went are dropped with it.
    changed_ = false;
    current_ = -1;
    strategy_ = Strategy{};
    if (count() > 0) select(std::min(deleted, count() - 1));
    return true;
}

bool StrategyList::copyStrategyTo(int target) {
    if (current_ < 0 || target < 0 || target >= count()) return false;
    if (target == current_) {
        prompter_.message(kSameStrategy, MessageIcon::Stop);
        return false;
    }
    // The file is what is copied: the edits so far go into it first.
    if (!save()) return false;
    if (!fileio::fileExists(path(current_))) {
        prompter_.message(kNothingToCopy, MessageIcon::Stop);
        return false;
    }
    if (!prompter_.askYesNo(kCopyQuestion)) return false;
    if (list_.copyFile(current_, target)) return true;
    tellCannotWrite(prompter_, strategyFileName(target + 1));
    return false;
}

bool StrategyList::initialiseStrategy() {
    Strategy* record = editable();
    if (!record) return false;
    if (!prompter_.askYesNo(initialiseQuestion(name()), QuestionKind::Destructive)) return false;
    record->tactics.clear();
    record->tradingMode = kModeLong;
    changed_ = true;
    return true;
}

bool StrategyList::moveStrategy(int from, int to) {
    if (!list_.valid(from) || !list_.valid(to)) return false;
    // The files move, so the edits must be in the file that moves.
    if (!save()) return false;
    if (!list_.swap(from, to)) return listNotWritten();
    current_ = to;
    return true;
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
