#include "watchlist_runs/level_blocks.h"

#include <algorithm>
#include <utility>

#include "core/file_io.h"
#include "core/text.h"
#include "data/program_folder.h"

namespace tav {

namespace {

constexpr std::size_t kColumnWidth = 22;
constexpr std::size_t kValueOffset = 11;
constexpr std::size_t kHeaderWidth = 132;
constexpr std::size_t kNameBytes = 10;

// Level names as the single-security list has them, and their column labels.
constexpr std::pair<std::string_view, std::string_view> kLabels[] = {
    {"HBOP", "HBOP----->"},     {"S2", "S2------->"},       {"S1", "S1------->"},
    {"PIVOT", "PIVOT---->"},    {"B1", "B1------->"},       {"B2", "B2------->"},
    {"LBOP", "LBOP----->"},     {"長期MA", "長期MA>>>>"},   {"中期MA", "中期MA>>>>"},
    {"短期MA", "短期MA>>>>"},   {"転換線", "転換線...."},   {"基準線", "基準線...."},
    {"雲1", "雲1～～～>"},      {"雲2", "雲2～～～>"},      {"HL高値", "HL高値"},
    {"HL安値", "HL安値"},       {"前日高値", "前日高値＞"}, {"前日安値", "前日安値＞"},
    {"当日高値", "当日高値＞"}, {"当日安値", "当日安値＞"}, {"当日始値", "当日始値≫"},
    {"現在値", "【現在値】"},   {"当日終値", "当日終値≫"},
};

// Writes Shift-JIS bytes into a line of spaces; never past its end.
void place(std::string& line, std::size_t column, std::string_view bytes) {
    if (column >= line.size()) return;
    const std::size_t room = line.size() - column;
    line.replace(column, std::min(room, bytes.size()), bytes.substr(0, room));
}

void appendBlock(std::string& out, std::span<const LevelColumn> block, int blockSize) {
    std::string header(kHeaderWidth, ' ');
    for (std::size_t k = 0; k < block.size(); ++k) {
        const std::string title =
            codeText(block[k].code) + " " + cutSjisName(block[k].name, kNameBytes);
        place(header, kColumnWidth * k, title);
    }
    out += header;
    out += "\n\n";

    const std::size_t rowWidth = kColumnWidth * static_cast<std::size_t>(blockSize);
    const char* rowEnd = blockSize == 6 ? "\n\n" : "\n";
    for (int j = 0; j < kLevelCount; ++j) {
        std::string row(rowWidth, ' ');
        for (std::size_t k = 0; k < block.size(); ++k) {
            const LevelEntry& entry = block[k].levels[static_cast<std::size_t>(j)];
            place(row, kColumnWidth * k, text::sjisFromUtf8(columnLabel(entry.name)));
            if (entry.value)
                place(row, kColumnWidth * k + kValueOffset, std::to_string(*entry.value));
        }
        out += row;
        out += rowEnd;
    }
    out += '\n';
}

}  // namespace

std::string_view columnLabel(std::string_view levelName) {
    for (const auto& [name, label] : kLabels)
        if (name == levelName) return label;
    return levelName;
}

std::string cutSjisName(std::string_view utf8Name, std::size_t maxBytes) {
    std::string sjis = text::sjisFromUtf8(utf8Name);
    sjis.resize(text::sjisCutLength(sjis, maxBytes));
    return sjis;
}

std::string layerBlocksText(std::span<const LevelColumn> columns, int blockSize) {
    blockSize = blockSize == 6 ? 6 : 5;
    std::string out;
    for (std::size_t first = 0; first < columns.size(); first += static_cast<std::size_t>(blockSize)) {
        const std::size_t count = std::min(columns.size() - first, static_cast<std::size_t>(blockSize));
        appendBlock(out, columns.subspan(first, count), blockSize);
    }
    return out;
}

std::optional<std::string> writeLayerBlocks(const ProgramFolder& folder,
                                            std::span<const LevelColumn> columns, int blockSize) {
    const std::string path = folder.path(kLayerFileName);
    if (!fileio::writeFileAtomic(path, layerBlocksText(columns, blockSize))) return std::nullopt;
    return path;
}

}  // namespace tav
