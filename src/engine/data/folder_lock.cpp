#include "data/folder_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "core/file_io.h"

namespace tav {

FolderLock::FolderLock(const std::string& folder) {
    fd_ = ::open(fileio::joinPath(folder, kFileName).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd_ >= 0) held_ = ::flock(fd_, LOCK_EX | LOCK_NB) == 0;
}

FolderLock::~FolderLock() {
    if (fd_ < 0) return;
    if (held_) ::flock(fd_, LOCK_UN);
    ::close(fd_);
}

}  // namespace tav
