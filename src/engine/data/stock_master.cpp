#include "data/stock_master.h"

#include <array>

#include "core/fields.h"
#include "core/file_io.h"
#include "core/text.h"

namespace tav {

namespace {

std::string_view withoutLineEnd(std::string_view text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.remove_suffix(1);
    return text;
}

bool unknownMark(std::string_view field) { return field == "-" || field == "0"; }

}  // namespace

MasterLine parseMasterLine(std::string_view line) {
    std::array<std::string_view, 5> fields;
    MasterLine parsed;
    parsed.fieldCount = static_cast<int>(splitFields(withoutLineEnd(line), ',', fields));
    parsed.code = parseLeadingCode(fields[0]);
    parsed.name = fields[1];
    parsed.market = fields[2];
    parsed.unit = fields[3];
    parsed.symbol = withoutLineEnd(fields[4]);
    return parsed;
}

LookupResult StockMaster::lookupIn(std::string_view listBytes, StockCode code, SecurityInfo& info) {
    info = SecurityInfo();
    LookupResult result = LookupResult::NotFound;
    std::size_t start = 0;
    while (start < listBytes.size() && result == LookupResult::NotFound) {
        std::size_t end = listBytes.find('\n', start);
        if (end == std::string_view::npos) end = listBytes.size();
        std::string_view line = listBytes.substr(start, end - start);
        start = end + 1;
        MasterLine parsed = parseMasterLine(line);
        if (parsed.code != code) continue;
        info.name = text::utf8FromSjis(parsed.name);
        info.market = unknownMark(parsed.market) ? "---" : text::utf8FromSjis(parsed.market);
        info.unit = unknownMark(parsed.unit) ? 0 : parseLeadingInt32(parsed.unit);
        info.symbol = text::utf8FromSjis(parsed.symbol);
        result = LookupResult::Found;
    }
    if (result == LookupResult::NotFound) {
        info.name = "-----";
        info.market = "---";
    }
    return result;
}

LookupResult StockMaster::lookupSecurity(StockCode code, SecurityInfo& info) const {
    auto bytes = fileio::readFile(path_);
    if (!bytes) {
        info = SecurityInfo();
        return LookupResult::CannotOpen;
    }
    return lookupIn(*bytes, code, info);
}

bool StockMaster::contains(StockCode code) const {
    SecurityInfo ignored;
    return lookupSecurity(code, ignored) == LookupResult::Found;
}

bool isUsableMasterList(std::string_view listBytes) {
    int lines = 0;
    bool usable = true;
    fileio::forEachLine(listBytes, [&](std::string_view line) {
        line = withoutLineEnd(line);
        if (line.empty()) return;
        MasterLine parsed = parseMasterLine(line);
        if (parsed.code <= 0 || parsed.fieldCount < 2 || parsed.name.empty()) usable = false;
        ++lines;
    });
    return usable && lines > 0;
}

}  // namespace tav
