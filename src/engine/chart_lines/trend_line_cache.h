#pragma once

#include <optional>
#include <string>
#include <vector>

#include "chart_lines/trend_line_file.h"
#include "core/file_stamp.h"

namespace tav {

// The trend lines of one file kept in memory, so that painting does not read
// the disk. The file is read again when another file is asked for, when its
// size or modification time differs from the last read (another program or
// window changed it), or after a change made through here.
class TrendLineCache {
  public:
    const std::vector<TrendLine>& lines(const std::string& path);

    // The file operations of trend_line_file.h; each leaves the copy to be
    // read again.
    bool append(const std::string& path, const TrendLine& line);
    bool deleteNewest(const std::string& path);
    bool deleteAll(const std::string& path);

  private:
    bool written(const std::string& path, bool ok);

    std::string path_;
    std::optional<FileStamp> stamp_;  // none: read on the next request
    std::vector<TrendLine> lines_;
};

}  // namespace tav
