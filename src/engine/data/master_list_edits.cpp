#include "data/master_list_edits.h"

#include <cstdio>
#include <string_view>

#include "core/file_io.h"
#include "core/text.h"
#include "data/archive_download.h"
#include "data/stock_master.h"

namespace tav {

namespace {

constexpr std::string_view kOtherChoice = "その他";

std::string masterPath(const ProgramFolder& folder) { return folder.path(StockMaster::kFileName); }
std::string backupPath(const ProgramFolder& folder) {
    return folder.path(StockMaster::kBackupName);
}

// What went wrong with the archive, in the order the steps run.
std::string_view extractionFailureText(ArchiveEntryStatus status) {
    switch (status) {
        case ArchiveEntryStatus::Ok:
            return {};
        case ArchiveEntryStatus::Damaged:
            return "解凍処理に失敗しました。";
        case ArchiveEntryStatus::TooLarge:
            return "解凍後のファイルが大きすぎるため解凍を中止しました。";
        case ArchiveEntryStatus::Missing:
            return "ダウンロードしたファイルに銘柄情報リスト（Stock.lst）がありません。";
        case ArchiveEntryStatus::CannotWrite:
            break;
    }
    return "解凍したファイルを書き込めません。";
}

}  // namespace

bool addSecurity(const ProgramFolder& folder, Prompter& prompter, const AddSecurityRequest& request) {
    constexpr int kMarkets = static_cast<int>(std::size(kAddMarketChoices));
    constexpr int kUnits = static_cast<int>(std::size(kAddUnitChoices));
    if (request.code <= 0) {
        prompter.message("銘柄コードが正しくありません。", MessageIcon::Stop);
        return false;
    }
    StockMaster master(masterPath(folder));
    if (master.contains(request.code)) {
        prompter.message("この銘柄は銘柄情報リストに既に存在しています。", MessageIcon::Warning);
        return false;
    }
    if (request.name.empty()) {
        prompter.message("銘柄名が指定されていません。", MessageIcon::Stop);
        return false;
    }
    // A "," would split the name into further fields of the line.
    if (request.name.find(',') != std::string::npos) {
        prompter.message("銘柄名に「,」は使えません。", MessageIcon::Stop);
        return false;
    }
    auto sjisName = text::sjisFromUtf8Strict(request.name);
    if (!sjisName || sjisName->find('\n') != std::string::npos ||
        sjisName->find('\r') != std::string::npos) {
        prompter.message("銘柄名に使えない文字が含まれています。", MessageIcon::Stop);
        return false;
    }
    int marketIndex = request.marketIndex >= 0 && request.marketIndex < kMarkets ? request.marketIndex : 0;
    int unitIndex = request.unitIndex >= 0 && request.unitIndex < kUnits ? request.unitIndex : 0;

    std::string_view market = kAddMarketChoices[marketIndex];
    std::string marketText = market == kOtherChoice ? std::string("東証") : std::string(market);
    std::string_view unit = kAddUnitChoices[unitIndex];
    std::string unitText = unit == kOtherChoice ? std::string("-")
                                                : std::string(unit.substr(0, unit.find("株")));

    std::string line = codeText(request.code) + "," + *sjisName + "," +
                       text::sjisFromUtf8(marketText) + "," + unitText + ",-\n";
    if (!fileio::appendToFile(masterPath(folder), line)) return false;
    prompter.message("追加処理は正常に終了しました。", MessageIcon::Information);
    return true;
}

bool deleteSecurity(const ProgramFolder& folder, Prompter& prompter, StockCode code) {
    StockMaster master(masterPath(folder));
    SecurityInfo info;
    if (master.lookupSecurity(code, info) != LookupResult::Found) {
        prompter.message("この銘柄は銘柄情報リストに存在していません。", MessageIcon::Warning);
        return false;
    }
    char question[512];
    std::snprintf(question, sizeof question,
                  "銘柄情報リストから　[%s %s]　を削除します。\n\nいったん削除したら元に戻せませ"
                  "ん。\n\nよろしいですか？",
                  codeText(code).c_str(), info.name.c_str());
    if (!prompter.askYesNo(question, QuestionKind::Destructive)) return false;

    // Filter into a new file and rename it over the list, so a failure at any
    // step leaves the list as it was.
    auto bytes = fileio::readFile(masterPath(folder));
    bool ok = bytes.has_value() && fileio::writeFileAtomic(backupPath(folder), *bytes);
    if (ok) {
        std::string kept;
        kept.reserve(bytes->size());
        fileio::forEachLine(*bytes, [&](std::string_view line) {
            if (parseMasterLine(line).code == code) return;
            kept.append(line);
            kept.push_back('\n');
        });
        ok = fileio::writeFileAtomic(masterPath(folder), kept);
    }
    if (!ok) {
        prompter.message("削除処理に失敗しました。", MessageIcon::Stop);
        return false;
    }
    prompter.message("削除処理は正常に終了しました。", MessageIcon::Information);
    return true;
}

bool updateMasterFromArchive(const ProgramFolder& folder, const MasterUpdateTools& tools,
                             bool alternate) {
    if (alternate) {
        tools.shell.open(masterPath(folder));
        return false;
    }
    if (!tools.prompter.askYesNo(
            "銘柄情報リストをサイトからダウンロードして更新します。\n\nサイト上の変更は月に一度くら"
            "いの予定ですので、頻繁に行う必要はありません。\n\nよろしいですか？"))
        return false;

    std::string archivePath = folder.sourcePath("stock.lzh");
    HttpStatus downloaded = tools.http.getToFile(
        tools.endpoints.address(Endpoints::kMasterArchive), archivePath, tools.maxArchiveBytes);
    if (downloaded != HttpStatus::Ok) {
        tools.prompter.message(std::string(downloadFailureText(downloaded)), MessageIcon::Stop);
        return false;
    }
    if (!tools.prompter.askYesNo(
            "ダウンロードが完了しました。\n\n解凍してファイルを上書きします。\n\nよろしいですか？"))
        return false;

    // Only the entry "Stock.lst" is taken: nothing else the archive holds can
    // land in the program folder.
    ArchiveEntry newList = readArchiveEntry(tools.lzh, archivePath, folder.path("Source"),
                                            StockMaster::kFileName, tools.maxListBytes);
    if (newList.status != ArchiveEntryStatus::Ok) {
        tools.prompter.message(std::string(extractionFailureText(newList.status)),
                               MessageIcon::Stop);
        return false;
    }
    if (!isUsableMasterList(newList.bytes)) {
        tools.prompter.message("ダウンロードした銘柄情報リストの内容が正しくありません。",
                               MessageIcon::Stop);
        return false;
    }
    bool replaced = true;
    if (auto oldList = fileio::readFile(masterPath(folder)))
        replaced = fileio::writeFileAtomic(backupPath(folder), *oldList);
    replaced = replaced && fileio::writeFileAtomic(masterPath(folder), newList.bytes);
    if (!replaced) {
        tools.prompter.message("銘柄情報リストを書き込めませんでした。", MessageIcon::Stop);
        return false;
    }
    tools.prompter.message("更新処理を完了しました。", MessageIcon::Information);
    return true;
}

}  // namespace tav
