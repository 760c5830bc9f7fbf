#include "data/archive_download.h"

#include <stdlib.h>

#include <filesystem>

#include "core/file_io.h"

namespace tav {

namespace {

// Removes a temporary extraction folder and everything in it.
struct ScopedFolder {
    std::string path;
    ~ScopedFolder() {
        if (path.empty()) return;
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
};

}  // namespace

std::string_view downloadFailureText(HttpStatus status) {
    switch (status) {
        case HttpStatus::Ok:
            return {};
        case HttpStatus::CannotConnect:
            return "インターネットに接続できません。";
        case HttpStatus::HttpError:
        case HttpStatus::CannotWrite:
            return "ネット上のファイルが見つかりません。";
        case HttpStatus::ReadFailed:
            return "ダウンロードが途中で切れました。";
        case HttpStatus::TimedOut:
            return "ダウンロードが制限時間内に終わりませんでした。";
        case HttpStatus::TooLarge:
            return "ダウンロードするファイルが大きすぎます。";
    }
    return "ネット上のファイルが見つかりません。";
}

ArchiveEntry readArchiveEntry(Lzh& lzh, const std::string& archivePath,
                              const std::string& workFolder, std::string_view entryName,
                              std::uint64_t maxBytes) {
    ArchiveEntry entry;
    std::string pattern = fileio::joinPath(workFolder, ".extract-XXXXXX");
    ScopedFolder folder;
    if (!::mkdtemp(pattern.data())) {
        entry.status = ArchiveEntryStatus::CannotWrite;
        return entry;
    }
    folder.path = pattern;
    LzhResult extracted = lzh.extractEntry(archivePath, folder.path, entryName, maxBytes);
    if (!extracted.ok) {
        entry.status =
            extracted.tooLarge ? ArchiveEntryStatus::TooLarge : ArchiveEntryStatus::Damaged;
        return entry;
    }
    if (extracted.files.empty()) {
        entry.status = ArchiveEntryStatus::Missing;
        return entry;
    }
    auto bytes = fileio::readFile(fileio::joinPath(folder.path, extracted.files.front()));
    if (!bytes) {
        entry.status = ArchiveEntryStatus::CannotWrite;
        return entry;
    }
    entry.status = ArchiveEntryStatus::Ok;
    entry.bytes = std::move(*bytes);
    return entry;
}

}  // namespace tav
