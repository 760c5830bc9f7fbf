#pragma once

#include <string>

namespace tav {

// Told when an edit is refused because another instance holds the folder.
inline constexpr const char* kFolderInUseMessage =
    "このフォルダは別のTavrentoが使用中です。\n\nデータを保存する操作はできません。";

// An exclusive lock on the program folder, held for the life of the object.
// The first instance of the program gets it; a later one sees that it did not
// and opens the store read-only, so two instances never undo each other's writes.
class FolderLock {
public:
    static constexpr const char* kFileName = "Tavrento.lock";

    explicit FolderLock(const std::string& folder);
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    bool held() const { return fd_ >= 0 && held_; }

private:
    int fd_ = -1;
    bool held_ = false;
};

}  // namespace tav
