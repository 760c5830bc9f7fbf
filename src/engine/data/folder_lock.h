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
    // Not held because another process holds it, rather than because the
    // lock file could not be created or locked (a folder that cannot be
    // written).
    bool heldElsewhere() const { return busy_; }
    // What an edit refused for want of the lock is told: another instance
    // only when there really is one.
    std::string refusalMessage(const std::string& folder) const;

private:
    int fd_ = -1;
    bool held_ = false;
    bool busy_ = false;
};

}  // namespace tav
