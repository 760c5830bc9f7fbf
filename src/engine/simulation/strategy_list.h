#pragma once

#include <span>
#include <string>
#include <vector>

#include "core/numbered_titles.h"
#include "platform/prompter.h"
#include "platform/shell.h"
#include "simulation/strategy.h"

namespace tav {

// "Trade.inf" and the "Trade%d.pat" files as a numbered list.
NumberedListStore strategyListStore(const std::string& folder);

// The strategy list as the editor "売買戦略リスト編集" works on it: the names
// of "Trade.inf", the strategy being edited and whether it changed. Every
// question and message goes through the Prompter. Strategies are counted from
// 0 here; strategy k lives in "Trade{k+1}.pat". The list file is rewritten
// after every list operation, the edited strategy's file when another one is
// selected or the list is closed.
class StrategyList {
  public:
    StrategyList(std::string folder, Prompter& prompter);

    // Reads the names and selects strategy `first` (the last one when past
    // the end; none without names).
    void open(int first);
    bool save();   // the edited strategy, when changed
    bool close();  // saves and releases

    const std::vector<std::string>& names() const { return list_.titles(); }
    int count() const { return list_.count(); }
    int current() const { return current_; }  // -1: none
    bool changed() const { return changed_; }
    // The edited strategy; an empty one when none is selected.
    const Strategy& strategy() const;
    std::string listFilePath() const;
    std::string currentFilePath() const;  // empty when none
    // The list file and the rule files, for a caller that must simulate a
    // failing disk.
    NumberedListStore& store() { return list_.store(); }

    // Saves the edited strategy when changed and loads strategy k. A rule file
    // that cannot be read gives an empty strategy.
    void select(int strategy);
    // The same, chosen by the user: with `alternate` (Shift or Ctrl held)
    // "Trade.inf" also opens in the desktop's handler.
    void select(int strategy, bool alternate, Shell& shell);
    // A tactic chosen by the user: with `alternate` the edited strategy's rule
    // file opens in the desktop's handler.
    void chooseTactic(bool alternate, Shell& shell) const;

    // List operations (追加, 変更, 削除, 複写, 初期化, ↑, ↓).
    bool addStrategy();
    bool renameStrategy();
    bool deleteStrategy();
    bool copyStrategyTo(int target);
    bool initialiseStrategy();
    bool moveStrategyUp();
    bool moveStrategyDown();

    // A changed copy of a strategy (an optimisation's chosen values): a new
    // strategy after the last, named by the user with `presetName` offered,
    // which the list then edits. False when declined or not written.
    bool addStrategyAs(const Strategy& strategy, const std::string& presetName);
    // The same written over the edited strategy, once the user agreed.
    bool replaceStrategy(const Strategy& strategy);

    bool setTradingMode(uint8_t mode);
    bool setSplit(const SplitSettings& split);

    // Tactic rows (行追加, 行削除, ↑, ↓, 行設定).
    bool addTactic();
    bool deleteTactic(int row);
    bool moveTacticUp(int row);
    bool moveTacticDown(int row);
    bool setTactic(int row, const std::string& name, bool disabled, uint8_t side);

    // Condition columns of one tab of a tactic (列追加, 列削除, ↑, ↓, 列編集).
    // A column holds at most twenty conditions: canAddCondition says so (with
    // a message) before the editor opens.
    bool canAddCondition(int row, TacticTab tab);
    bool addCondition(int row, TacticTab tab, const Condition& condition);
    bool editCondition(int row, TacticTab tab, int index, const Condition& condition);
    bool deleteCondition(int row, TacticTab tab, int index);
    bool moveConditionUp(int row, TacticTab tab, int index);
    bool moveConditionDown(int row, TacticTab tab, int index);
    // 条件論理式 and 個別売買値 of a tab.
    bool setLogic(int row, TacticTab tab, int16_t logic);
    bool setFillPrice(int row, TacticTab tab, int16_t fillPrice);

    // The column's conditions as the editor lists them: sentences for buy and
    // sell, stop rules in the stop tab.
    std::vector<std::string> conditionTexts(int row, TacticTab tab,
                                            std::span<const std::string> capsuleTitles) const;

  private:
    std::string path(int strategy) const;
    Strategy* editable();
    Tactic* tactic(int row);
    TacticColumns* columns(int row, TacticTab tab);
    bool askName(const char* dialogTitle, const std::string& preset, std::string& name);
    bool moveStrategy(int from, int to);
    // Tells that the list could not be written; false.
    bool listNotWritten();
    const std::string& name() const;

    std::string folder_;
    Prompter& prompter_;
    NumberedTitles list_;
    Strategy strategy_;
    int current_ = -1;
    bool changed_ = false;
};

}  // namespace tav
