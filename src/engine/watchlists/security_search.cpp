#include "watchlists/security_search.h"

#include "core/file_io.h"
#include "core/text.h"
#include "data/stock_master.h"
#include "watchlists/watchlist_files.h"

namespace tav {

namespace {

// A substring search over Shift-JIS bytes whose matches begin on a character,
// so a trail byte never matches an ASCII letter.
bool containsText(std::string_view haystack, std::string_view needle) {
    for (std::size_t at = 0; at + needle.size() <= haystack.size();) {
        if (haystack.compare(at, needle.size(), needle) == 0) return true;
        at += text::isSjisLeadByte(static_cast<unsigned char>(haystack[at])) ? 2 : 1;
    }
    return false;
}

}  // namespace

std::vector<SearchHit> searchMaster(std::string_view listBytes, std::string_view query) {
    std::vector<SearchHit> hits;
    if (query.empty()) return hits;
    const std::string needle = text::sjisFromUtf8(query);
    fileio::forEachLine(listBytes, [&](std::string_view raw) {
        const MasterLine line = parseMasterLine(fitLine(raw, 256));
        if (line.code <= 0 || !containsText(line.name, needle)) return;
        hits.push_back(
            {line.code, codeText(line.code) + " " + text::utf8FromSjis(line.name)});
    });
    return hits;
}

std::vector<SearchHit> searchMasterFile(const std::string& listPath, std::string_view query) {
    const auto bytes = fileio::readFile(listPath);
    if (!bytes) return {};
    return searchMaster(*bytes, query);
}

}  // namespace tav
