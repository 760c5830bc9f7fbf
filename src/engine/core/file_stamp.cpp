#include "core/file_stamp.h"

#include <system_error>

namespace tav {

FileStamp FileStamp::of(const std::string& path) {
    std::error_code error;
    FileStamp stamp;
    stamp.size = std::filesystem::file_size(path, error);
    if (error) return {};
    stamp.modified = std::filesystem::last_write_time(path, error);
    if (error) return {};
    stamp.exists = true;
    return stamp;
}

bool FileStamps::current() const {
    for (const auto& [path, stamp] : files_)
        if (FileStamp::of(path) != stamp) return false;
    return true;
}

}  // namespace tav
