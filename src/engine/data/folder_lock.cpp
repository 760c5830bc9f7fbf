#include "data/folder_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

#include "core/file_io.h"

namespace tav {

FolderLock::FolderLock(const std::string& folder) {
    fd_ = ::open(fileio::joinPath(folder, kFileName).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd_ < 0) return;
    held_ = ::flock(fd_, LOCK_EX | LOCK_NB) == 0;
    busy_ = !held_ && errno == EWOULDBLOCK;
}

std::string FolderLock::refusalMessage(const std::string& folder) const {
    if (heldElsewhere()) return kFolderInUseMessage;
    return "[" + folder + "]　に書き込めません。\n\nデータを保存する操作はできません。";
}

FolderLock::~FolderLock() {
    if (fd_ < 0) return;
    if (held_) ::flock(fd_, LOCK_UN);
    ::close(fd_);
}

}  // namespace tav
