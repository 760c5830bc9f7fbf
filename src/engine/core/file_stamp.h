#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace tav {

// What a file's directory entry says about it: enough to notice that another
// program rewrote it without reading it.
struct FileStamp {
    bool exists = false;
    std::uintmax_t size = 0;
    std::filesystem::file_time_type modified{};

    static FileStamp of(const std::string& path);
    friend bool operator==(const FileStamp&, const FileStamp&) = default;
};

// The stamps of the files one value held in memory was read from. Stamps are
// taken before reading, so a change made during the read shows next time.
class FileStamps {
  public:
    void add(const std::string& path) { files_.emplace_back(path, FileStamp::of(path)); }
    // Every file still has the stamp it had when it was read.
    bool current() const;

  private:
    std::vector<std::pair<std::string, FileStamp>> files_;
};

}  // namespace tav
