#include "updates/store_discard.h"

#include <stdlib.h>

#include <filesystem>

#include "core/fields.h"
#include "core/stock_code.h"

namespace tav {

namespace fs = std::filesystem;

namespace {

// The rebuilt files now in "Data", listed before any of them is moved.
std::vector<std::string> rebuiltFiles(const ProgramFolder& folder) {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder.path("Data"), error)) {
        std::string name = entry.path().filename().string();
        if (entry.is_regular_file(error) && rebuiltFromArchives(name)) names.push_back(name);
    }
    return names;
}

}  // namespace

bool rebuiltFromArchives(std::string_view fileName) {
    if (fileName.size() != 8 || !fileName.ends_with(".txt")) return false;
    for (char c : fileName.substr(0, 4))
        if (c < '0' || c > '9') return false;
    StockCode code = parseLeadingInt32(fileName.substr(0, 4));
    if (code < 1000) return false;
    SecurityKind kind = securityKind(code);
    return kind == SecurityKind::JapaneseStock || kind == SecurityKind::JapaneseIndex;
}

std::optional<SetAsideFiles> setAsideDailyFiles(const ProgramFolder& folder) {
    SetAsideFiles files;
    std::string pattern = folder.sourcePath("Discarded.XXXXXX");
    if (!::mkdtemp(pattern.data())) return std::nullopt;
    files.folder = pattern;
    std::error_code error;
    for (const std::string& name : rebuiltFiles(folder)) {
        fs::rename(folder.dataPath(name), fs::path(files.folder) / name, error);
        if (error) {
            restoreDailyFiles(folder, files);
            return std::nullopt;
        }
        files.names.push_back(name);
    }
    return files;
}

bool restoreDailyFiles(const ProgramFolder& folder, const SetAsideFiles& files) {
    std::error_code error;
    for (const std::string& name : rebuiltFiles(folder))
        fs::remove(folder.dataPath(name), error);
    bool ok = true;
    for (const std::string& name : files.names) {
        fs::rename(fs::path(files.folder) / name, folder.dataPath(name), error);
        if (error) ok = false;
    }
    if (ok) fs::remove(files.folder, error);
    return ok;
}

void dropDailyFiles(const SetAsideFiles& files) {
    std::error_code error;
    fs::remove_all(files.folder, error);
}

}  // namespace tav
