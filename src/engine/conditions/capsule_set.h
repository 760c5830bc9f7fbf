#pragma once

#include <string>
#include <vector>

#include "conditions/condition.h"
#include "core/numbered_titles.h"
#include "platform/prompter.h"
#include "platform/shell.h"

namespace tav {

// "Capsel.inf" and the "Capsel%d.pat" files as a numbered list.
NumberedListStore capsuleListStore(const std::string& folder);

// The capsule set as the capsule dialog works on it: the titles, the capsule
// records, the current capsule and whether it changed since it was loaded.
// Every operation asks and tells through the Prompter; the files are written
// as each operation completes, the rows of the current capsule when another
// capsule is selected or the set is closed.
class CapsuleSet {
  public:
    CapsuleSet(std::string folder, Prompter& prompter);

    // Reads the titles, creates the records and selects capsule `first`
    // (the last one when it is past the end; none when there are no titles).
    void open(int first);
    // Saves the current capsule when it changed.
    bool save();
    // Saves and releases the records.
    bool close();

    const std::vector<std::string>& titles() const { return list_.titles(); }
    int count() const { return list_.count(); }
    int current() const { return current_; }  // -1: none
    bool changed() const { return changed_; }
    // The current capsule; an empty one when none is selected.
    const ConditionCapsule& capsule() const;
    // "Capsel%d.pat" of the current capsule, empty when none.
    std::string currentFileName() const;
    std::string currentFilePath() const;
    std::string titleFilePath() const;
    // The title file and the numbered files, for a caller that must simulate
    // a failing disk.
    NumberedListStore& store() { return list_.store(); }

    // Saves the current capsule when it changed and loads capsule k.
    void select(int capsule);
    // The same, chosen by the user: with `alternate` (Shift or Ctrl held) the
    // title file also opens in the desktop's handler.
    void select(int capsule, bool alternate, Shell& shell);
    // A row chosen by the user: with `alternate` the current capsule's file
    // opens in the desktop's handler.
    void chooseRow(bool alternate, Shell& shell) const;

    // Title list operations.
    bool addCapsule();
    bool renameCapsule();
    // Copies the current capsule over capsule `target` after asking; unsaved
    // edits are saved first, so the target gets what the user sees.
    bool copyCapsuleTo(int target);
    bool initialiseCapsule();
    bool deleteCapsule();
    bool moveCapsuleUp();
    bool moveCapsuleDown();

    // Row operations on the current capsule. A capsule holds at most twenty
    // rows: canAddRow says so (with a message) before the editor opens.
    bool canAddRow();
    bool addRow(const Condition& row);
    bool editRow(int row, const Condition& condition);
    bool deleteRow(int row);
    bool moveRowUp(int row);
    bool moveRowDown(int row);

    // The AND/OR choice: offered from two rows on, shown as OR below that.
    bool logicAvailable() const { return capsule().rowCount >= 2; }
    int16_t shownLogic() const { return logicAvailable() ? capsule().logic : kLogicOr; }
    bool setLogic(int16_t logic);

    // The rows of the current capsule as sentences.
    std::vector<std::string> rowTexts() const;

  private:
    std::string path(int capsule) const;
    ConditionCapsule* editable();
    bool askTitle(const char* dialogTitle, const std::string& preset, std::string& title);
    bool moveCapsule(int from, int to);
    // Tells that the title list could not be written; false.
    bool listNotWritten();
    const std::string& title() const;

    std::string folder_;
    Prompter& prompter_;
    NumberedTitles list_;
    ConditionCapsule capsule_;
    int current_ = -1;
    bool changed_ = false;
};

}  // namespace tav
