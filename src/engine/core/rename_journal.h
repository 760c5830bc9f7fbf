#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Operations that rename several files of one folder and rewrite a few small
// files (a title file, the strategy numbers of the watchlists) as one step.
// Before the first change the whole plan goes into "Rename.jnl" in the folder;
// each finished rename appends a line to it. A run that is killed part-way is
// finished at the next start from the journal, so every entry is either as it
// was before or as it is after the operation, never a mix.
namespace tav {

inline constexpr std::string_view kRenameJournalFileName = "Rename.jnl";

// Every file step an operation takes, so that a test can fail or stop any one
// of them.
struct FileOps {
    std::function<bool(const std::string& from, const std::string& to)> rename;
    // Replaces the file atomically.
    std::function<bool(const std::string& path, std::string_view bytes)> write;
    std::function<bool(const std::string& path, std::string_view bytes)> append;
    // True when the file is gone (or never was).
    std::function<bool(const std::string& path)> remove;

    static FileOps plain();
};

// File names inside the folder: no "/", no blank, no line break.
struct FileRename {
    std::string from;
    std::string to;
};

struct FileRewrite {
    std::string name;
    std::string bytes;
    // What the file held before (nullopt: it did not exist), so that a failed
    // run can put it back.
    std::optional<std::string> before;
};

// Renames run in order, each onto a name that is free by then; a missing
// source is nothing to move. Then the rewrites, then the removals.
struct RenamePlan {
    std::vector<FileRename> renames;
    std::vector<FileRewrite> rewrites;
    std::vector<std::string> removals;
};

// Runs the plan in the folder under the journal. True when it took effect.
// On a failed step the steps done are reversed and false returned; when even
// that fails the journal stays, and the next recovery finishes the reversal.
bool runRenamePlan(const std::string& folder, const RenamePlan& plan,
                   const FileOps& ops = FileOps::plain());

enum class RenameRecovery {
    Nothing,   // no journal
    Finished,  // an interrupted operation was completed
    Dropped,   // the journal was unreadable and was removed
    Failed,    // a step failed; the journal stays for the next start
};

// Completes what a killed run left of its plan. Run at start-up while holding
// the folder lock, before any list file is read.
RenameRecovery recoverRenames(const std::string& folder, const FileOps& ops = FileOps::plain());

// The journal: the plan, then one "done N" line per finished rename. A line
// cut short by a kill counts for nothing. nullopt for bytes that are no
// journal (its names are checked to stay inside the folder).
struct RenameJournal {
    RenamePlan plan;  // rewrites come back without `before`
    std::size_t done = 0;
};
std::string renameJournalText(const RenamePlan& plan);
std::optional<RenameJournal> parseRenameJournal(std::string_view bytes);

// The bytes of a title file: each line in Shift-JIS, ended by "\n".
std::string titleFileBytes(const std::vector<std::string>& lines);

}  // namespace tav
