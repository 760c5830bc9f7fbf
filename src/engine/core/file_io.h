#pragma once

#include <optional>
#include <string>
#include <string_view>

// File access with the safety rules of the program folder: whole-file
// rewrites are atomic (temporary file in the same folder, flushed, renamed over
// the target), appends never glue a new line onto an unterminated last line.
namespace tav::fileio {

// The whole file, or nullopt when it cannot be opened or read, or is not a
// regular file (a FIFO or a device is never opened for reading).
std::optional<std::string> readFile(const std::string& path);

// Replaces path with bytes atomically. On failure the old file is untouched
// and no temporary file is left behind.
bool writeFileAtomic(const std::string& path, std::string_view bytes);

// The temporary files writeFileAtomic leaves when the program is killed
// between creating and renaming one: "<name>.tmp-XXXXXX".
bool isAtomicTemporary(std::string_view fileName);

// Removes those files from the folder (not its subfolders); returns how many.
int removeAtomicTemporaries(const std::string& folder);

// Appends bytes to path (created when missing). When the file is not empty and
// does not end in "\n", a "\n" is written first. False for anything but a
// regular file.
bool appendToFile(const std::string& path, std::string_view bytes);

// Copies from over to, atomically.
bool copyFileAtomic(const std::string& from, const std::string& to);

bool fileExists(const std::string& path);
bool directoryExists(const std::string& path);

// Removes path; true when it is gone (or never was).
bool removeFileIfPresent(const std::string& path);

// Joins a folder and a relative name with "/".
std::string joinPath(std::string_view folder, std::string_view name);

// Calls onLine for each line of text without its "\n" (a "\r" before it is kept,
// as the readers' number conversion ignores it). A last line without "\n"
// counts as a line.
template <typename OnLine>
void forEachLine(std::string_view text, OnLine&& onLine) {
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        onLine(text.substr(start, end - start));
        start = end + 1;
    }
}

}  // namespace tav::fileio
