#include "simulation/strategy_file.h"

#include <cstdio>

#include "core/fields.h"
#include "core/file_io.h"
#include "core/text.h"

namespace tav {

namespace {

constexpr std::string_view kTypeSection = "[TYPE]";
constexpr std::string_view kTacticSection = "[TACT]";
constexpr std::string_view kReserveSection = "[RESERVE]";
constexpr std::string_view kBuySection = "[BUY]";
constexpr std::string_view kSellSection = "[SELL]";
constexpr std::string_view kStopSection = "[STOP]";
constexpr std::string_view kSplitSection = "[SPLIT]";
constexpr int kLeadingTacticFields = 10;
constexpr int kFieldsPerGroup = 10;

enum class Section { None, Type, Tactics, Reserve, Buy, Sell, Stop, Split, Other };

std::string_view withoutReturns(std::string_view line) {
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n'))
        line.remove_suffix(1);
    return line;
}

// The next field of a line split on single blanks: two blanks in a row give
// an empty field, which reads as 0.
std::string_view nextField(std::string_view& rest) {
    const std::size_t blank = rest.find(' ');
    std::string_view field = rest.substr(0, blank);
    rest = blank == std::string_view::npos ? std::string_view() : rest.substr(blank + 1);
    return field;
}

int16_t field16(std::string_view field) {
    return static_cast<int16_t>(parseLeadingInt32(field));
}

void parseCondition(std::string_view group, Condition& row) {
    int16_t* fields[kFieldsPerGroup] = {&row.category, &row.role, &row.dayOffset, &row.item,
                                        &row.p1,       &row.p2,   &row.p3,        &row.percent,
                                        &row.ticks,    &row.spare};
    for (int16_t* field : fields) {
        if (group.empty()) break;
        *field = field16(nextField(group));
    }
}

void parseColumnLine(std::string_view line, TacticColumns& columns, int& dropped) {
    std::size_t comma = line.find(',');
    std::string_view header = line.substr(0, comma);
    columns.logic = field16(nextField(header));
    columns.fillPrice = field16(nextField(header));
    while (comma != std::string_view::npos) {
        const std::size_t start = comma + 1;
        comma = line.find(',', start);
        const std::string_view group = line.substr(
            start, comma == std::string_view::npos ? line.size() - start : comma - start);
        // A doubled or trailing comma is no condition.
        if (group.find_first_not_of(' ') == std::string_view::npos) continue;
        if (columns.count >= kMaxColumnConditions) {
            ++dropped;
            continue;
        }
        Condition& row = columns.conditions[static_cast<std::size_t>(columns.count++)];
        row = Condition{};
        parseCondition(group, row);
    }
}

// A tactic line: disabled, side, eight reserved fields, then the name, which
// is the rest of the line so that a name with blanks comes back whole.
void parseTacticLine(std::string_view line, Strategy& strategy) {
    std::string_view rest = line;
    std::string_view fields[kLeadingTacticFields];
    for (int i = 0; i < kLeadingTacticFields; ++i) {
        if (rest.empty()) return;
        fields[i] = nextField(rest);
    }
    if (rest.empty()) return;
    Tactic tactic;
    tactic.disabled = static_cast<uint8_t>(parseLeadingInt32(fields[0]));
    tactic.side = static_cast<uint8_t>(parseLeadingInt32(fields[1]));
    tactic.name = text::utf8FromSjis(rest);
    strategy.tactics.push_back(std::move(tactic));
}

Section sectionOf(std::string_view line) {
    struct Header {
        std::string_view text;
        Section section;
    };
    static constexpr Header kHeaders[] = {
        {kTypeSection, Section::Type},       {kTacticSection, Section::Tactics},
        {kReserveSection, Section::Reserve}, {kBuySection, Section::Buy},
        {kSellSection, Section::Sell},       {kStopSection, Section::Stop},
        {kSplitSection, Section::Split}};
    for (const Header& header : kHeaders)
        if (line.starts_with(header.text)) return header.section;
    return Section::Other;
}

std::string columnLine(const TacticColumns& columns) {
    if (columns.count <= 0) return "\n";
    char group[128];
    std::snprintf(group, sizeof group, "%d %d 0 0 0 0 0 0 0 0,", columns.logic, columns.fillPrice);
    std::string line = group;
    bool first = true;
    for (const Condition& c :
         columns.rows().first(std::min<std::size_t>(columns.rows().size(), kMaxColumnConditions))) {
        std::snprintf(group, sizeof group, "%d %d %d %d %d %d %d %d %d 0", c.category, c.role,
                      c.dayOffset, c.item, c.p1, c.p2, c.p3, c.percent, c.ticks);
        if (!first) line += ',';
        line += group;
        first = false;
    }
    return line + '\n';
}

}  // namespace

std::string strategyFileName(int number) {
    return "Trade" + std::to_string(number) + ".pat";
}

std::string formatStrategyFile(const Strategy& strategy) {
    std::string out;
    char line[128];
    out += kTypeSection;
    std::snprintf(line, sizeof line, "\n%d 0 0 0 0\n", strategy.tradingMode);
    out += line;
    out += kTacticSection;
    out += '\n';
    int number = 0;
    for (const Tactic& tactic : strategy.tactics) {
        std::snprintf(line, sizeof line, "%d %d 0 0 0 0 0 0 0 0 ", tactic.disabled, tactic.side);
        out += line;
        // A nameless line would be dropped on reading and shift every column
        // line after it to the wrong tactic.
        ++number;
        out += text::sjisFromUtf8(tactic.name.empty()
                                      ? strategy_labels::defaultTacticName(kModeLong, number)
                                      : tactic.name);
        out += '\n';
    }
    out += kReserveSection;
    out += "\n0 0 0 0 0 0 0 0 0 0\n";
    const std::pair<std::string_view, TacticTab> columnSections[] = {
        {kBuySection, TacticTab::Buy},
        {kSellSection, TacticTab::Sell},
        {kStopSection, TacticTab::Stop}};
    for (const auto& [header, tab] : columnSections) {
        out += header;
        out += '\n';
        for (const Tactic& tactic : strategy.tactics)
            out += columnLine(tactic.columns(tab));
    }
    out += kSplitSection;
    std::snprintf(line, sizeof line, "\n%d %d %d %d 0 0 0 0 0 0\n", strategy.split.method,
                  strategy.split.amount, strategy.split.step, strategy.split.capsule);
    out += line;
    return out;
}

StrategyReading parseStrategyFile(std::string_view bytes) {
    StrategyReading reading;
    Strategy& strategy = reading.strategy;
    Section section = Section::None;
    std::size_t lineInSection = 0;
    fileio::forEachLine(bytes, [&](std::string_view line) {
        line = withoutReturns(line);
        if (!line.empty() && line.front() == '[') {
            const Section opened = sectionOf(line);
            // Nothing counts before the type section opens the file.
            if (section == Section::None && opened != Section::Type) return;
            section = opened;
            lineInSection = 0;
            return;
        }
        const bool columnSection =
            section == Section::Buy || section == Section::Sell || section == Section::Stop;
        if (line.empty() && !columnSection) return;
        const std::size_t index = lineInSection++;
        std::string_view rest = line;
        switch (section) {
            case Section::Type:
                strategy.tradingMode = static_cast<uint8_t>(parseLeadingInt32(nextField(rest)));
                break;
            case Section::Tactics:
                parseTacticLine(line, strategy);
                break;
            case Section::Buy:
            case Section::Sell:
            case Section::Stop:
                if (index < strategy.tactics.size()) {
                    const TacticTab tab = section == Section::Buy    ? TacticTab::Buy
                                          : section == Section::Sell ? TacticTab::Sell
                                                                     : TacticTab::Stop;
                    parseColumnLine(line, strategy.tactics[index].columns(tab),
                                    reading.droppedConditions);
                }
                break;
            case Section::Split:
                strategy.split.method = static_cast<uint8_t>(parseLeadingInt32(nextField(rest)));
                strategy.split.amount = parseLeadingInt32(nextField(rest));
                strategy.split.step = parseLeadingInt32(nextField(rest));
                strategy.split.capsule = static_cast<uint8_t>(parseLeadingInt32(nextField(rest)));
                break;
            default:
                break;
        }
    });
    return reading;
}

std::optional<StrategyReading> readStrategyFile(const std::string& path) {
    auto bytes = fileio::readFile(path);
    if (!bytes) return std::nullopt;
    return parseStrategyFile(*bytes);
}

bool writeStrategyFile(const std::string& path, const Strategy& strategy) {
    return fileio::writeFileAtomic(path, formatStrategyFile(strategy));
}

std::optional<StrategyReading> loadStrategy(const std::string& folder, int number) {
    return readStrategyFile(fileio::joinPath(folder, strategyFileName(number)));
}

bool saveStrategy(const std::string& folder, int number, const Strategy& strategy) {
    return writeStrategyFile(fileio::joinPath(folder, strategyFileName(number)), strategy);
}

std::vector<std::string> parseStrategyNames(std::string_view sjisBytes) {
    std::vector<std::string> names;
    fileio::forEachLine(sjisBytes, [&](std::string_view line) {
        line = withoutReturns(line);
        line = withoutReturns(line.substr(0, text::sjisCutLength(line, kMaxStrategyNameBytes)));
        names.push_back(text::utf8FromSjis(line));
    });
    return names;
}

std::vector<std::string> readStrategyNames(const std::string& folder) {
    auto bytes = fileio::readFile(fileio::joinPath(folder, kStrategyListFileName));
    if (!bytes) return {};
    return parseStrategyNames(*bytes);
}

bool writeStrategyNames(const std::string& folder, const std::vector<std::string>& names) {
    std::string bytes;
    for (const std::string& name : names) {
        bytes += text::sjisFromUtf8(name);
        bytes += '\n';
    }
    return fileio::writeFileAtomic(fileio::joinPath(folder, kStrategyListFileName), bytes);
}

std::vector<std::string> strategySelectorItems(const std::string& folder) {
    std::vector<std::string> items{"（戦略なし）"};
    for (std::string& name : readStrategyNames(folder))
        items.push_back(std::move(name));
    return items;
}

}  // namespace tav
