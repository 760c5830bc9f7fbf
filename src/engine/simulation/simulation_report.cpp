#include "simulation/simulation_report.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "core/file_io.h"
#include "core/text.h"
#include "simulation/number_formats.h"

namespace tav {

namespace {

// Bytes a cell of column c may fill.
std::size_t columnRoom(std::size_t c) {
    const std::size_t start = static_cast<std::size_t>(kResultColumns[c].reportStart);
    if (c + 1 == kResultColumns.size()) return kReportLineBytes - start;
    return static_cast<std::size_t>(kResultColumns[c + 1].reportStart) - start - 1;
}

void place(std::string& line, std::size_t c, std::string_view utf8, std::size_t maxBytes) {
    const std::string sjis = text::sjisFromUtf8(utf8);
    const std::size_t length = text::sjisCutLength(sjis, std::min(maxBytes, columnRoom(c)));
    line.replace(static_cast<std::size_t>(kResultColumns[c].reportStart), length, sjis, 0, length);
}

}  // namespace

std::string formatReport(std::string_view strategyName, int64_t capital,
                         std::span<const ResultRow> rows) {
    std::string out = text::sjisFromUtf8("シミュレーション結果     ");
    out += text::sjisFromUtf8(strategyName);
    out += text::sjisFromUtf8("     当初資金     ");
    out += amountText(capital);
    out += "\n\n";
    std::string line(kReportLineBytes, ' ');
    for (std::size_t c = 0; c < kResultColumns.size(); ++c)
        place(line, c, kResultColumns[c].header,
              static_cast<std::size_t>(kResultColumns[c].reportHeaderBytes));
    out += line;
    out += '\n';
    for (const ResultRow& row : rows) {
        line.assign(kReportLineBytes, ' ');
        const auto cells = resultCells(row, capital);
        for (std::size_t c = 0; c < cells.size(); ++c)
            place(line, c, cells[c], kReportLineBytes);
        out += line;
        out += '\n';
    }
    return out;
}

bool writeReport(const std::string& folder, const std::string& fileName,
                 std::string_view strategyName, int64_t capital, std::span<const ResultRow> rows,
                 Prompter& prompter) {
    const std::string path = fileio::joinPath(folder, fileName);
    errno = 0;
    if (fileio::writeFileAtomic(path, formatReport(strategyName, capital, rows))) return true;
    const int error = errno;
    std::string text = "レポートを書き込めません。\n\n" + path;
    if (error != 0) text += "\n" + std::string(std::strerror(error));
    prompter.message(text, MessageIcon::Stop);
    return false;
}

bool confirmResultDialog(const ResultDialogChoice& choice, std::string_view strategyName,
                         int64_t capital, std::span<const ResultRow> rows, Prompter& prompter) {
    if (choice.outputWatchlist != 0 && choice.outputWatchlist == choice.inputWatchlist) {
        prompter.message("入力先と出力先が同じです。", MessageIcon::Warning);
        return false;
    }
    if (!choice.writeReport || choice.reportFileName.empty()) return true;
    return writeReport(choice.reportFolder, choice.reportFileName, strategyName, capital, rows,
                       prompter);
}

std::string reportNameOf(const OptionsRecord& options) {
    const auto& name = options.reportName;
    return std::string(name.data(), strnlen(name.data(), name.size()));
}

bool storeReportName(OptionsRecord& options, std::string_view name) {
    if (name.size() >= options.reportName.size() || name.find('\0') != std::string_view::npos)
        return false;
    options.reportName.fill('\0');
    std::copy(name.begin(), name.end(), options.reportName.begin());
    return true;
}

}  // namespace tav
