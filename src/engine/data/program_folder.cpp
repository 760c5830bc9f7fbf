#include "data/program_folder.h"

#include <cstdlib>
#include <filesystem>

#include "core/file_io.h"

namespace tav {

ProgramFolder::ProgramFolder(std::string root) : root_(std::move(root)) {
    while (root_.size() > 1 && root_.back() == '/') root_.pop_back();
}

std::string ProgramFolder::path(std::string_view relative) const {
    return fileio::joinPath(root_, relative);
}

std::string ProgramFolder::dataPath(std::string_view name) const {
    return fileio::joinPath(path("Data"), name);
}

std::string ProgramFolder::sourcePath(std::string_view name) const {
    return fileio::joinPath(path("Source"), name);
}

std::string ProgramFolder::configPath(std::string_view name) const {
    return fileio::joinPath(path("Config"), name);
}

std::string ProgramFolder::linePath(std::string_view name) const {
    return fileio::joinPath(path("Line"), name);
}

std::string locateProgramFolder(const FolderLocation& where) {
    auto nonEmpty = [](const std::optional<std::string>& value) {
        return value.has_value() && !value->empty();
    };
    if (nonEmpty(where.explicitFolder)) return *where.explicitFolder;
    if (nonEmpty(where.tavrentoHome)) return *where.tavrentoHome;
    if (!where.executableFolder.empty() &&
        fileio::fileExists(fileio::joinPath(where.executableFolder, "Stock.lst")))
        return where.executableFolder;
    if (nonEmpty(where.xdgDataHome)) return fileio::joinPath(*where.xdgDataHome, "tavrento");
    std::string home = nonEmpty(where.home) ? *where.home : std::string(".");
    return fileio::joinPath(home, ".local/share/tavrento");
}

FolderLocation currentFolderLocation(std::optional<std::string> explicitFolder) {
    auto env = [](const char* name) -> std::optional<std::string> {
        const char* value = std::getenv(name);
        if (!value) return std::nullopt;
        return std::string(value);
    };
    FolderLocation where;
    where.explicitFolder = std::move(explicitFolder);
    where.tavrentoHome = env("TAVRENTO_HOME");
    std::error_code error;
    auto exe = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error) where.executableFolder = exe.parent_path().string();
    where.xdgDataHome = env("XDG_DATA_HOME");
    where.home = env("HOME");
    return where;
}

}  // namespace tav
