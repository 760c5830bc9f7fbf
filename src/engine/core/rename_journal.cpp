#include "core/rename_journal.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

#include "core/file_io.h"
#include "core/text.h"

namespace tav {

namespace {

constexpr std::string_view kHeader = "TavrentoRenames 1\n";
constexpr std::string_view kEnd = "end\n";

bool plainName(std::string_view name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of("/ \r\n") == std::string_view::npos;
}

bool plainNames(const RenamePlan& plan) {
    for (const FileRename& step : plan.renames)
        if (!plainName(step.from) || !plainName(step.to)) return false;
    for (const FileRewrite& rewrite : plan.rewrites)
        if (!plainName(rewrite.name)) return false;
    for (const std::string& name : plan.removals)
        if (!plainName(name)) return false;
    return true;
}

std::string doneLine(std::size_t step) {
    return "done " + std::to_string(step) + "\n";
}

// Takes the next line (without "\n"); false when there is no whole line left.
bool nextLine(std::string_view& text, std::string_view& line) {
    const std::size_t end = text.find('\n');
    if (end == std::string_view::npos) return false;
    line = text.substr(0, end);
    text.remove_prefix(end + 1);
    return true;
}

// Splits "word a b" into its blank-separated words.
std::vector<std::string_view> words(std::string_view line) {
    std::vector<std::string_view> out;
    while (!line.empty()) {
        const std::size_t blank = line.find(' ');
        out.push_back(line.substr(0, blank));
        if (blank == std::string_view::npos) break;
        line.remove_prefix(blank + 1);
    }
    return out;
}

std::optional<std::size_t> number(std::string_view text) {
    std::size_t value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty())
        return std::nullopt;
    return value;
}

}  // namespace

std::string renameJournalText(const RenamePlan& plan) {
    std::string text(kHeader);
    for (const FileRename& step : plan.renames)
        text += "rename " + step.from + " " + step.to + "\n";
    for (const FileRewrite& rewrite : plan.rewrites) {
        text += "rewrite " + rewrite.name + " " + std::to_string(rewrite.bytes.size()) + "\n";
        text += rewrite.bytes;
        text += "\n";
    }
    for (const std::string& name : plan.removals)
        text += "remove " + name + "\n";
    text += kEnd;
    return text;
}

std::optional<RenameJournal> parseRenameJournal(std::string_view text) {
    if (!text.starts_with(kHeader)) return std::nullopt;
    text.remove_prefix(kHeader.size());
    RenameJournal journal;
    std::string_view line;
    for (;;) {
        if (!nextLine(text, line)) return std::nullopt;
        if (line == "end") break;
        const auto parts = words(line);
        if (parts.size() == 3 && parts[0] == "rename") {
            journal.plan.renames.push_back({std::string(parts[1]), std::string(parts[2])});
        } else if (parts.size() == 3 && parts[0] == "rewrite") {
            auto size = number(parts[2]);
            if (!size || *size >= text.size() || text[*size] != '\n') return std::nullopt;
            journal.plan.rewrites.push_back(
                {std::string(parts[1]), std::string(text.substr(0, *size)), std::nullopt});
            text.remove_prefix(*size + 1);
        } else if (parts.size() == 2 && parts[0] == "remove") {
            journal.plan.removals.emplace_back(parts[1]);
        } else {
            return std::nullopt;
        }
    }
    if (!plainNames(journal.plan)) return std::nullopt;
    // A line cut short by a kill matches no step: the lines a later run
    // appended after it still count.
    while (nextLine(text, line))
        if (std::string(line) + "\n" == doneLine(journal.done)) ++journal.done;
    journal.done = std::min(journal.done, journal.plan.renames.size());
    return journal;
}

namespace {

// What a run has changed so far, for putting it back.
struct Done {
    std::vector<std::size_t> renamed;
    std::size_t rewritten = 0;
};

// Runs the renames from `first` on, then the rewrites. With `resuming` the
// rename at `first` may already have happened (the kill came before its line
// reached the journal): its target is there and its source gone. Any other
// occupied target stops the run, as moving onto it would lose a file.
bool runSteps(const std::string& folder, const std::string& journal, const RenamePlan& plan,
              std::size_t first, bool resuming, bool journaled, const FileOps& ops, Done& done) {
    for (std::size_t i = first; i < plan.renames.size(); ++i) {
        const std::string from = fileio::joinPath(folder, plan.renames[i].from);
        const std::string to = fileio::joinPath(folder, plan.renames[i].to);
        const bool source = fileio::fileExists(from);
        if (fileio::fileExists(to)) {
            if (!(resuming && i == first && !source)) return false;
        } else if (source) {
            if (!ops.rename(from, to)) return false;
            done.renamed.push_back(i);
        }
        if (journaled && !ops.append(journal, doneLine(i))) return false;
    }
    for (const FileRewrite& rewrite : plan.rewrites) {
        if (!ops.write(fileio::joinPath(folder, rewrite.name), rewrite.bytes)) return false;
        ++done.rewritten;
    }
    return true;
}

void removeAll(const std::string& folder, const std::vector<std::string>& names,
               const FileOps& ops) {
    for (const std::string& name : names)
        ops.remove(fileio::joinPath(folder, name));
}

// Puts back what a failed run changed, under a journal of its own so that a
// kill during the reversal is finished at the next start too.
void undo(const std::string& folder, const std::string& journal, const RenamePlan& plan,
          const Done& done, const FileOps& ops) {
    RenamePlan back;
    for (auto it = done.renamed.rbegin(); it != done.renamed.rend(); ++it)
        back.renames.push_back({plan.renames[*it].to, plan.renames[*it].from});
    for (std::size_t k = 0; k < done.rewritten; ++k) {
        const FileRewrite& rewrite = plan.rewrites[k];
        if (rewrite.before)
            back.rewrites.push_back({rewrite.name, *rewrite.before, rewrite.bytes});
        else
            back.removals.push_back(rewrite.name);
    }
    // Without a journal of the reversal the old one must go all the same: its
    // progress lines no longer describe the folder.
    const bool journaled = ops.write(journal, renameJournalText(back));
    Done reversed;
    if (!runSteps(folder, journal, back, 0, false, journaled, ops, reversed) && journaled) return;
    removeAll(folder, back.removals, ops);
    ops.remove(journal);
}

}  // namespace

FileOps FileOps::plain() {
    FileOps ops;
    ops.rename = [](const std::string& from, const std::string& to) {
        return std::rename(from.c_str(), to.c_str()) == 0;
    };
    ops.write = fileio::writeFileAtomic;
    ops.append = fileio::appendToFile;
    ops.remove = fileio::removeFileIfPresent;
    return ops;
}

bool runRenamePlan(const std::string& folder, const RenamePlan& plan, const FileOps& ops) {
    const std::string journal = fileio::joinPath(folder, kRenameJournalFileName);
    // A journal still there belongs to an operation not yet finished: it is
    // never overwritten.
    if (!plainNames(plan) || fileio::fileExists(journal)) return false;
    if (!ops.write(journal, renameJournalText(plan))) return false;
    Done done;
    if (!runSteps(folder, journal, plan, 0, false, true, ops, done)) {
        undo(folder, journal, plan, done, ops);
        return false;
    }
    removeAll(folder, plan.removals, ops);
    ops.remove(journal);
    return true;
}

RenameRecovery recoverRenames(const std::string& folder, const FileOps& ops) {
    const std::string journal = fileio::joinPath(folder, kRenameJournalFileName);
    if (!fileio::fileExists(journal)) return RenameRecovery::Nothing;
    auto bytes = fileio::readFile(journal);
    if (!bytes) return RenameRecovery::Failed;
    auto parsed = parseRenameJournal(*bytes);
    if (!parsed) {
        // Written whole by an atomic rename, so this is no journal of ours.
        return ops.remove(journal) ? RenameRecovery::Dropped : RenameRecovery::Failed;
    }
    Done done;
    if (!runSteps(folder, journal, parsed->plan, parsed->done, true, true, ops, done))
        return RenameRecovery::Failed;
    removeAll(folder, parsed->plan.removals, ops);
    ops.remove(journal);
    return RenameRecovery::Finished;
}

std::string titleFileBytes(const std::vector<std::string>& lines) {
    std::string bytes;
    for (const std::string& line : lines) {
        bytes += text::sjisFromUtf8(line);
        bytes += '\n';
    }
    return bytes;
}

}  // namespace tav
