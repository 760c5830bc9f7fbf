#include "chart_lines/trend_line_cache.h"

namespace tav {

const std::vector<TrendLine>& TrendLineCache::lines(const std::string& path) {
    // The stamp is taken before reading: a change made during the read shows
    // as a newer stamp next time.
    const FileStamp now = FileStamp::of(path);
    if (path == path_ && stamp_ == now) return lines_;
    path_ = path;
    stamp_ = now;
    lines_ = now.exists ? readTrendLines(path) : std::vector<TrendLine>{};
    return lines_;
}

bool TrendLineCache::written(const std::string& path, bool ok) {
    // Our own write may keep size and time (a coarse clock): never trust the stamp.
    if (path == path_) stamp_.reset();
    return ok;
}

bool TrendLineCache::append(const std::string& path, const TrendLine& line) {
    return written(path, appendTrendLine(path, line));
}

bool TrendLineCache::deleteNewest(const std::string& path) {
    return written(path, deleteNewestTrendLine(path));
}

bool TrendLineCache::deleteAll(const std::string& path) {
    return written(path, deleteAllTrendLines(path));
}

}  // namespace tav
