#include "conditions/capsule_file.h"

#include <algorithm>
#include <cstdio>

#include "core/fields.h"
#include "core/file_io.h"
#include "core/text.h"

namespace tav {

namespace {

constexpr std::string_view kReserveSection = "[RESERVE]";
constexpr std::string_view kDataSection = "[CAPSEL]";
constexpr std::string_view kReserveLine = "0 0 0 0 0 0 0 0 0 0";
constexpr int kFieldsPerGroup = 10;

std::string_view withoutReturns(std::string_view line) {
    while (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    return line;
}

// Up to ten blank-separated numbers of a group, wrapped to 16 bits as the
// fields store them.
void parseGroup(std::string_view group, Condition& row) {
    int16_t* fields[kFieldsPerGroup] = {&row.category, &row.role, &row.dayOffset, &row.item,
                                        &row.p1,       &row.p2,   &row.p3,        &row.percent,
                                        &row.ticks,    &row.spare};
    int field = 0;
    std::size_t pos = 0;
    while (field < kFieldsPerGroup) {
        while (pos < group.size() && (group[pos] == ' ' || group[pos] == '\t'))
            ++pos;
        if (pos >= group.size()) break;
        std::size_t end = pos;
        while (end < group.size() && group[end] != ' ' && group[end] != '\t')
            ++end;
        *fields[field++] = static_cast<int16_t>(parseLeadingInt32(group.substr(pos, end - pos)));
        pos = end;
    }
}

void parseDataLine(std::string_view line, ConditionCapsule& capsule) {
    std::size_t comma = line.find(',');
    const std::string_view header = line.substr(0, comma);
    capsule.logic = static_cast<int16_t>(parseLeadingInt32(header));
    while (comma != std::string_view::npos) {
        const std::size_t start = comma + 1;
        comma = line.find(',', start);
        if (capsule.rowCount >= kMaxCapsuleRows) continue;  // the record holds twenty rows
        const std::string_view group = line.substr(
            start, comma == std::string_view::npos ? line.size() - start : comma - start);
        // An empty group (a doubled or trailing comma) is no row.
        if (group.find_first_not_of(" \t") == std::string_view::npos) continue;
        Condition& row = capsule.rows[static_cast<std::size_t>(capsule.rowCount)];
        row = Condition{};
        parseGroup(group, row);
        ++capsule.rowCount;
    }
}

}  // namespace

std::string capsuleFileName(int capsule) {
    return "Capsel" + std::to_string(capsule + 1) + ".pat";
}

std::string formatCapsuleFile(const ConditionCapsule& capsule) {
    std::string out;
    out += kReserveSection;
    out += '\n';
    out += kReserveLine;
    out += '\n';
    out += kDataSection;
    out += '\n';
    const int rows = std::clamp<int>(capsule.rowCount, 0, kMaxCapsuleRows);
    if (rows > 0) {
        char group[96];
        std::snprintf(group, sizeof group, "%d 0 0 0 0 0 0 0 0 0,", capsule.logic);
        out += group;
        for (int i = 0; i < rows; ++i) {
            const Condition& row = capsule.rows[static_cast<std::size_t>(i)];
            std::snprintf(group, sizeof group, "%d %d %d %d %d %d %d %d 0 0", row.category,
                          row.role, row.dayOffset, row.item, row.p1, row.p2, row.p3, row.percent);
            if (i > 0) out += ',';
            out += group;
        }
    }
    out += '\n';
    return out;
}

ConditionCapsule parseCapsuleFile(std::string_view bytes) {
    enum class Section { None, Reserve, Data, Other };
    ConditionCapsule capsule;
    Section section = Section::None;
    fileio::forEachLine(bytes, [&](std::string_view line) {
        line = withoutReturns(line);
        if (line.empty()) return;
        if (line.front() == '[') {
            if (line == kReserveSection) {
                section = Section::Reserve;
            } else if (line == kDataSection) {
                section = Section::Data;
            } else {
                section = Section::Other;
            }
            return;
        }
        if (section == Section::Data) parseDataLine(line, capsule);
    });
    return capsule;
}

ConditionCapsule readCapsuleFile(const std::string& path) {
    auto bytes = fileio::readFile(path);
    if (!bytes) return ConditionCapsule{};
    return parseCapsuleFile(*bytes);
}

bool writeCapsuleFile(const std::string& path, const ConditionCapsule& capsule) {
    return fileio::writeFileAtomic(path, formatCapsuleFile(capsule));
}

std::vector<std::string> parseCapsuleTitles(std::string_view sjisBytes) {
    std::vector<std::string> titles;
    fileio::forEachLine(sjisBytes, [&](std::string_view line) {
        line = withoutReturns(line);
        line = withoutReturns(line.substr(0, text::sjisCutLength(line, kMaxCapsuleTitleBytes)));
        titles.push_back(text::utf8FromSjis(line));
    });
    return titles;
}

std::vector<std::string> readCapsuleTitles(const std::string& folder) {
    auto bytes = fileio::readFile(fileio::joinPath(folder, kCapsuleTitleFileName));
    if (!bytes) return {};
    return parseCapsuleTitles(*bytes);
}

bool writeCapsuleTitles(const std::string& folder, const std::vector<std::string>& titles) {
    std::string bytes;
    for (const std::string& title : titles) {
        bytes += text::sjisFromUtf8(title);
        bytes += '\n';
    }
    return fileio::writeFileAtomic(fileio::joinPath(folder, kCapsuleTitleFileName), bytes);
}

}  // namespace tav
