#include "data/folder_setup.h"

#include <sys/stat.h>

#include <string>

#include "core/file_io.h"
#include "core/text.h"

namespace tav {

bool createFolderLayout(const ProgramFolder& folder) {
    bool ok = true;
    ::mkdir(folder.root().c_str(), 0777);
    for (const char* name : {"Source", "Data", "Config", "Line"}) {
        std::string path = folder.path(name);
        if (fileio::directoryExists(path)) continue;
        if (::mkdir(path.c_str(), 0777) != 0) ok = false;
    }
    return ok;
}

std::string fullWidthNumber(int number) {
    // Full-width digits are U+FF10 + digit: EF BC 90 + digit in UTF-8.
    std::string text;
    for (char digit : std::to_string(number)) {
        text += "\xEF\xBC";
        text += static_cast<char>(0x90 + (digit - '0'));
    }
    return text;
}

bool createTitleFile(const ProgramFolder& folder, std::string_view fileName, std::string_view prefix) {
    std::string path = folder.path(fileName);
    if (fileio::fileExists(path)) return true;
    std::string titles;
    for (int number = 1; number <= 10; ++number) {
        titles += prefix;
        titles += fullWidthNumber(number);
        titles += '\n';
    }
    return fileio::writeFileAtomic(path, text::sjisFromUtf8(titles));
}

}  // namespace tav
