#pragma once

#include <string_view>

#include "data/program_folder.h"
#include "platform/prompter.h"

namespace tav {

// Creates "Source", "Data", "Config" and "Line" when missing. False when one
// of them cannot be created.
bool createFolderLayout(const ProgramFolder& folder);

// Creates a title file of ten numbered titles ("注目銘柄１" ... "注目銘柄１０")
// in Shift-JIS when it does not exist. prefix is UTF-8.
bool createTitleFile(const ProgramFolder& folder, std::string_view fileName, std::string_view prefix);

// The full-width number of a title (1 to 10): "１" ... "９", "１０".
std::string fullWidthNumber(int number);

}  // namespace tav
