#include "updates/day_import.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
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
// False when the path exists but is not a readable regular file. The opens
// here do not wait: a FIFO in Data/ would otherwise block until a writer came.
bool inspect(const std::string& path, FilePlan& plan, std::string& lastDate) {
    int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
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
    int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    bool ok = (!plan.needsLineEnd || writeAll(fd, "\n")) && writeAll(fd, plan.text);
    return (::close(fd) == 0) && ok;
}

uint64_t checksum(std::string_view bytes) {
    uint64_t hash = 14695981039346656037ull;  // FNV-1a
    for (unsigned char c : bytes) {
        hash ^= c;
        hash *= 1099511628211ull;
    }
    return hash;
}

// Bytes [from, to) of the file, or nullopt when they cannot all be read.
std::optional<std::string> readRange(int fd, off_t from, off_t to) {
    std::string bytes(static_cast<std::size_t>(std::max<off_t>(to - from, 0)), '\0');
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t got = ::pread(fd, bytes.data() + done, bytes.size() - done,
                              from + static_cast<off_t>(done));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return std::nullopt;
        done += static_cast<std::size_t>(got);
    }
    return bytes;
}

// What the journal knows of one file.
struct JournalEntry {
    std::string name;
    off_t size = -1;        // before the import; -1: the file did not exist
    uint64_t inode = 0;     // 0: not recorded (a new file)
    uint64_t tailSum = 0;   // of the kTailBytes before `size`
    off_t addedLength = 0;  // bytes the import appends
    uint64_t addedSum = 0;
};

uint64_t tailSumOf(int fd, off_t size) {
    auto tail = readRange(fd, std::max<off_t>(0, size - kTailBytes), size);
    return tail ? checksum(*tail) : 0;
}

// Whether the file at path is this import's work on the journalled file:
// the same file, the bytes before the import unchanged, and nothing but
// (part of) the append after them. Sets `current` to its size.
bool stillOurs(const std::string& path, const JournalEntry& entry, off_t& current) {
    int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat info {};
    bool ours = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    off_t before = std::max<off_t>(entry.size, 0);
    current = info.st_size;
    ours = ours && current >= before && current <= before + entry.addedLength;
    if (ours && entry.size >= 0)
        ours = info.st_ino == entry.inode && tailSumOf(fd, entry.size) == entry.tailSum;
    if (ours && current == before + entry.addedLength) {
        auto added = readRange(fd, before, current);
        ours = added && checksum(*added) == entry.addedSum;
    }
    ::close(fd);
    return ours;
}

// Takes the import back from one file: truncated to its old size, or removed
// when the import created it. A file that changed since stays as it is.
void rollBack(const ProgramFolder& folder, const JournalEntry& entry) {
    std::string path = folder.dataPath(entry.name);
    off_t current = 0;
    if (!stillOurs(path, entry, current)) return;
    if (entry.size < 0)
        ::unlink(path.c_str());
    else if (current > entry.size)
        ::truncate(path.c_str(), entry.size);
}

JournalEntry entryOf(const ProgramFolder& folder, const FilePlan& plan) {
    JournalEntry entry;
    entry.name = plan.name;
    entry.size = plan.size;
    std::string added = plan.needsLineEnd ? "\n" + plan.text : plan.text;
    entry.addedLength = static_cast<off_t>(added.size());
    entry.addedSum = checksum(added);
    if (plan.size >= 0) {
        int fd = ::open(folder.dataPath(plan.name).c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        struct stat info {};
        if (fd >= 0 && ::fstat(fd, &info) == 0) {
            entry.inode = info.st_ino;
            entry.tailSum = tailSumOf(fd, plan.size);
        }
        if (fd >= 0) ::close(fd);
    }
    return entry;
}

std::string journalText(const std::vector<JournalEntry>& entries) {
    std::string text;
    for (const JournalEntry& entry : entries) {
        text += entry.name;
        for (uint64_t value :
             {static_cast<uint64_t>(entry.size), entry.inode, entry.tailSum,
              static_cast<uint64_t>(entry.addedLength), entry.addedSum}) {
            text += ',';
            text += std::to_string(value);
        }
        text += '\n';
    }
    return text;
}

std::optional<uint64_t> parseUnsigned(std::string_view text) {
    uint64_t value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

// The entries of a journal; lines that are not whole entries are left out,
// so nothing is cut on their account.
std::vector<JournalEntry> readJournal(const ProgramFolder& folder) {
    std::vector<JournalEntry> entries;
    auto journal = fileio::readFile(journalPath(folder));
    if (!journal) return entries;
    fileio::forEachLine(*journal, [&](std::string_view line) {
        std::array<std::string_view, 6> fields;
        if (splitFields(line, ',', fields) != fields.size()) return;
        JournalEntry entry;
        entry.name = std::string(fields[0]);
        // Only plain data-file names: the journal is read back as paths.
        if (entry.name.empty() || entry.name.find('/') != std::string::npos ||
            entry.name.starts_with("."))
            return;
        std::array<uint64_t, 5> values{};
        for (std::size_t i = 0; i < values.size(); ++i) {
            auto value = parseUnsigned(fields[i + 1]);
            if (!value) return;
            values[i] = *value;
        }
        entry.size = static_cast<off_t>(values[0]);
        entry.inode = values[1];
        entry.tailSum = values[2];
        entry.addedLength = static_cast<off_t>(values[3]);
        entry.addedSum = values[4];
        if (entry.size < -1 || entry.addedLength < 0) return;
        entries.push_back(std::move(entry));
    });
    return entries;
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
        plan.name = codeText(code) + ".txt";
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
    std::vector<JournalEntry> entries;
    entries.reserve(plans.size());
    for (const FilePlan& plan : plans) entries.push_back(entryOf(folder, plan));
    if (!fileio::writeFileAtomic(journalPath(folder), journalText(entries))) {
        result.failedPath = journalPath(folder);
        return result;
    }
    for (std::size_t i = 0; i < plans.size(); ++i) {
        const FilePlan& plan = plans[i];
        if (onFile) onFile(plan.code);
        if (!appendText(folder.dataPath(plan.name), plan)) {
            result.failedPath = folder.dataPath(plan.name);
            for (std::size_t k = 0; k <= i; ++k) rollBack(folder, entries[k]);
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
    if (!fileio::fileExists(journalPath(folder))) return false;
    for (const JournalEntry& entry : readJournal(folder)) rollBack(folder, entry);
    ::unlink(journalPath(folder).c_str());
    return true;
}

std::optional<long long> sizeBeforeImport(const ProgramFolder& folder, std::string_view name) {
    if (!fileio::fileExists(journalPath(folder))) return std::nullopt;
    for (const JournalEntry& entry : readJournal(folder)) {
        off_t current = 0;
        if (entry.name == name && stillOurs(folder.dataPath(name), entry, current))
            return std::max<off_t>(entry.size, 0);
    }
    return std::nullopt;
}

}  // namespace tav
