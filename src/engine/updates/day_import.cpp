#include "updates/day_import.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <map>
#include <vector>

#include "core/fields.h"
#include "core/file_io.h"
#include "core/local_date.h"

namespace tav {

namespace {

// Enough of a file's end to hold its last line.
constexpr off_t kTailBytes = 1024;

struct FilePlan {
    StockCode code = 0;
    std::string name;  // in Data
    off_t size = -1;   // -1: the file did not exist
    bool needsLineEnd = false;
    std::string text;
};

std::string journalPath(const ProgramFolder& folder) {
    return folder.dataPath(kImportJournalName);
}

// Size, the date of the last non-empty line and whether a line end is missing.
// False when the path exists but is not a readable regular file.
bool inspect(const std::string& path, FilePlan& plan, std::string& lastDate) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return errno == ENOENT;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return false;
    }
    plan.size = info.st_size;
    off_t from = std::max<off_t>(0, info.st_size - kTailBytes);
    std::string tail(static_cast<std::size_t>(info.st_size - from), '\0');
    ssize_t got = tail.empty() ? 0 : ::pread(fd, tail.data(), tail.size(), from);
    ::close(fd);
    if (got < 0) return false;
    tail.resize(static_cast<std::size_t>(got));
    plan.needsLineEnd = !tail.empty() && tail.back() != '\n';
    while (!tail.empty() && (tail.back() == '\n' || tail.back() == '\r'))
        tail.pop_back();
    std::string_view last(tail);
    if (auto newline = last.rfind('\n'); newline != std::string_view::npos)
        last.remove_prefix(newline + 1);
    last = last.substr(0, last.find(','));
    // A last line without a date (edited by hand) orders nothing.
    LocalDate date;
    lastDate = parseDate8(last, date) ? std::string(last) : std::string();
    return true;
}

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

bool appendText(const std::string& path, const FilePlan& plan) {
    int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    bool ok = (!plan.needsLineEnd || writeAll(fd, "\n")) && writeAll(fd, plan.text);
    return (::close(fd) == 0) && ok;
}

// Truncates a file back to its journal size, or removes it when it was new.
void rollBack(const ProgramFolder& folder, std::string_view name, off_t size) {
    std::string path = folder.dataPath(name);
    if (size < 0) {
        ::unlink(path.c_str());
        return;
    }
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && info.st_size > size)
        ::truncate(path.c_str(), size);
}

std::string journalText(const std::vector<FilePlan>& plans) {
    std::string text;
    for (const FilePlan& plan : plans) {
        text += plan.name;
        text += ',';
        text += std::to_string(static_cast<long long>(plan.size));
        text += '\n';
    }
    return text;
}

}  // namespace

DayImportResult appendDayLines(const ProgramFolder& folder, std::span<const DayLine> lines,
                               const std::function<void(StockCode)>& onFile) {
    DayImportResult result;
    recoverInterruptedImport(folder);

    std::map<StockCode, std::vector<const DayLine*>> byCode;
    for (const DayLine& line : lines)
        byCode[line.code].push_back(&line);

    std::vector<FilePlan> plans;
    plans.reserve(byCode.size());
    for (const auto& [code, codeLines] : byCode) {
        FilePlan plan;
        plan.code = code;
        plan.name = std::to_string(code) + ".txt";
        std::string lastDate;
        if (!inspect(folder.dataPath(plan.name), plan, lastDate)) {
            result.failedPath = folder.dataPath(plan.name);
            return result;
        }
        for (const DayLine* line : codeLines) {
            if (!lastDate.empty() && line->date <= lastDate) {
                ++result.alreadyStored;
                continue;
            }
            plan.text += line->text;
            lastDate = line->date;
        }
        if (!plan.text.empty()) plans.push_back(std::move(plan));
    }
    // The store's clock moves last.
    std::stable_partition(plans.begin(), plans.end(),
                          [](const FilePlan& plan) { return plan.code != kDefaultCode; });

    if (plans.empty()) {
        result.ok = true;
        return result;
    }
    if (!fileio::writeFileAtomic(journalPath(folder), journalText(plans))) {
        result.failedPath = journalPath(folder);
        return result;
    }
    for (const FilePlan& plan : plans) {
        if (onFile) onFile(plan.code);
        if (!appendText(folder.dataPath(plan.name), plan)) {
            result.failedPath = folder.dataPath(plan.name);
            for (const FilePlan& written : plans) {
                rollBack(folder, written.name, written.size);
                if (&written == &plan) break;
            }
            ::unlink(journalPath(folder).c_str());
            result.filesWritten = 0;
            return result;
        }
        ++result.filesWritten;
    }
    ::unlink(journalPath(folder).c_str());
    result.ok = true;
    return result;
}

bool recoverInterruptedImport(const ProgramFolder& folder) {
    auto journal = fileio::readFile(journalPath(folder));
    if (!journal) return false;
    fileio::forEachLine(*journal, [&](std::string_view line) {
        auto comma = line.rfind(',');
        if (comma == std::string_view::npos) return;
        std::string_view name = line.substr(0, comma);
        // Only plain data-file names: the journal is read back as paths.
        if (name.empty() || name.find('/') != std::string_view::npos || name.starts_with("."))
            return;
        rollBack(folder, name, static_cast<off_t>(parseLeadingInt64(line.substr(comma + 1))));
    });
    ::unlink(journalPath(folder).c_str());
    return true;
}

}  // namespace tav
