#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tav {

// The folder that holds every file of the system: the master list, the
// settings, the watchlists and rule files, and the Source, Data, Config and
// Line folders.
class ProgramFolder {
public:
    explicit ProgramFolder(std::string root);

    const std::string& root() const { return root_; }
    // root + "/" + relative.
    std::string path(std::string_view relative) const;
    std::string dataPath(std::string_view name) const;
    std::string sourcePath(std::string_view name) const;
    std::string configPath(std::string_view name) const;
    std::string linePath(std::string_view name) const;

private:
    std::string root_;
};

// Where the program folder is: the explicit folder (--folder), else
// $TAVRENTO_HOME, else the executable's folder when it holds "Stock.lst" (a
// portable install), else $XDG_DATA_HOME/tavrento (~/.local/share/tavrento).
struct FolderLocation {
    std::optional<std::string> explicitFolder;
    std::optional<std::string> tavrentoHome;
    std::string executableFolder;
    std::optional<std::string> xdgDataHome;
    std::optional<std::string> home;
};
std::string locateProgramFolder(const FolderLocation& where);

// The location inputs of this process (environment and /proc/self/exe).
FolderLocation currentFolderLocation(std::optional<std::string> explicitFolder);

}  // namespace tav
