// The rename journal reader must accept any bytes. A journal it reads names
// only plain files of the folder, counts no more finished renames than there
// are, and written again reads back as the same plan.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/rename_journal.h"

namespace {

bool samePlan(const tav::RenamePlan& a, const tav::RenamePlan& b) {
    if (a.renames.size() != b.renames.size() || a.rewrites.size() != b.rewrites.size() ||
        a.removals != b.removals)
        return false;
    for (std::size_t i = 0; i < a.renames.size(); ++i)
        if (a.renames[i].from != b.renames[i].from || a.renames[i].to != b.renames[i].to)
            return false;
    for (std::size_t i = 0; i < a.rewrites.size(); ++i)
        if (a.rewrites[i].name != b.rewrites[i].name || a.rewrites[i].bytes != b.rewrites[i].bytes)
            return false;
    return true;
}

bool plain(std::string_view name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of("/ \r\n") == std::string_view::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const auto journal = tav::parseRenameJournal(input);
    if (!journal) return 0;
    if (journal->done > journal->plan.renames.size()) std::abort();
    for (const auto& step : journal->plan.renames)
        if (!plain(step.from) || !plain(step.to)) std::abort();
    for (const auto& rewrite : journal->plan.rewrites)
        if (!plain(rewrite.name)) std::abort();
    for (const auto& name : journal->plan.removals)
        if (!plain(name)) std::abort();
    const auto again = tav::parseRenameJournal(tav::renameJournalText(journal->plan));
    if (!again || again->done != 0 || !samePlan(again->plan, journal->plan)) std::abort();
    return 0;
}
