#include "core/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <vector>

namespace tav::fileio {

namespace {

bool writeAll(int fd, std::string_view bytes) {
    const char* data = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        ssize_t written = ::write(fd, data, left);
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += written;
        left -= static_cast<std::size_t>(written);
    }
    return true;
}

// Opens path only when it is a regular file. A FIFO, a device or a socket
// dropped into the folder would block the open or the reads (or never end),
// so the open does not wait and anything but a regular file is refused.
int openRegular(const std::string& path, int flags, struct stat& info) {
    int fd = ::open(path.c_str(), flags | O_NONBLOCK | O_CLOEXEC, 0666);
    if (fd < 0) return -1;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) ||
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

}  // namespace

std::optional<std::string> readFile(const std::string& path) {
    struct stat info {};
    int fd = openRegular(path, O_RDONLY, info);
    if (fd < 0) return std::nullopt;
    // Read straight into the result, sized from the file: a file that keeps
    // its size takes one read and the read that finds its end (the spare byte
    // spares a regrowth before it); one that grows or reports no size regrows.
    std::string bytes(info.st_size > 0 ? static_cast<std::size_t>(info.st_size) + 1 : 4096, '\0');
    std::size_t used = 0;
    for (;;) {
        if (used == bytes.size()) bytes.resize(bytes.size() * 2);
        ssize_t got = ::read(fd, bytes.data() + used, bytes.size() - used);
        if (got < 0) {
            if (errno == EINTR) continue;
            ::close(fd);
            return std::nullopt;
        }
        if (got == 0) break;
        used += static_cast<std::size_t>(got);
    }
    ::close(fd);
    bytes.resize(used);
    return bytes;
}

bool writeFileAtomic(const std::string& path, std::string_view bytes) {
    std::string temp = path + ".tmp-XXXXXX";
    int fd = ::mkstemp(temp.data());
    if (fd < 0) return false;
    // Keep the permissions a plainly created file would get.
    mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
    bool ok = writeAll(fd, bytes) && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    if (ok && ::rename(temp.c_str(), path.c_str()) == 0) return true;
    ::unlink(temp.c_str());
    return false;
}

bool isAtomicTemporary(std::string_view fileName) {
    constexpr std::string_view kMark = ".tmp-";
    constexpr std::size_t kSuffix = kMark.size() + 6;
    return fileName.size() > kSuffix &&
           fileName.substr(fileName.size() - kSuffix, kMark.size()) == kMark;
}

int removeAtomicTemporaries(const std::string& folder) {
    int removed = 0;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        if (!entry.is_regular_file(error) || !isAtomicTemporary(entry.path().filename().string()))
            continue;
        if (std::filesystem::remove(entry.path(), error)) ++removed;
    }
    return removed;
}

bool appendToFile(const std::string& path, std::string_view bytes) {
    struct stat info {};
    int fd = openRegular(path, O_RDWR | O_APPEND | O_CREAT, info);
    if (fd < 0) return false;
    bool ok = true;
    off_t size = ::lseek(fd, 0, SEEK_END);
    if (size > 0) {
        char last = '\n';
        if (::pread(fd, &last, 1, size - 1) == 1 && last != '\n') ok = writeAll(fd, "\n");
    }
    ok = ok && writeAll(fd, bytes);
    ok = (::close(fd) == 0) && ok;
    return ok;
}

bool copyFileAtomic(const std::string& from, const std::string& to) {
    auto bytes = readFile(from);
    return bytes && writeFileAtomic(to, *bytes);
}

bool fileExists(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool directoryExists(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool removeFileIfPresent(const std::string& path) {
    return ::unlink(path.c_str()) == 0 || errno == ENOENT;
}

std::string joinPath(std::string_view folder, std::string_view name) {
    std::string path(folder);
    if (!path.empty() && path.back() != '/') path += '/';
    path += name;
    return path;
}

}  // namespace tav::fileio
