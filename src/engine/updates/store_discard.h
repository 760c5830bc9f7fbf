#pragma once

#include <optional>
#include <string>
#include <vector>

#include "data/program_folder.h"

// "破棄": the daily files are rebuilt from the daily archives. They are moved
// aside first and deleted only once the rebuild has succeeded; otherwise they
// come back. Series no archive carries (the US indices and currency pairs)
// are never touched.
namespace tav {

struct SetAsideFiles {
    std::string folder;              // under "Source"
    std::vector<std::string> names;  // file names as they were in "Data"
};

// True for the daily files of codes 1000-9999 that the archives rebuild.
// Alphanumeric codes ("130A.txt") are left alone: the older archives never
// carry them, so a rebuild from those would lose them.
bool rebuiltFromArchives(std::string_view fileName);

// Moves those files into a new folder under "Source". nullopt (nothing
// moved) when that fails.
std::optional<SetAsideFiles> setAsideDailyFiles(const ProgramFolder& folder);

// Puts the files back: the files a failed rebuild wrote in their place are
// removed first. True when every file is back.
bool restoreDailyFiles(const ProgramFolder& folder, const SetAsideFiles& files);

// Deletes the files set aside, after a successful rebuild.
void dropDailyFiles(const SetAsideFiles& files);

}  // namespace tav
