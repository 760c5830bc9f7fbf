#include "platform/linux/lhasa_lzh.h"

#include <fcntl.h>
#include <lhasa.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/text.h"

namespace tav {

namespace {

constexpr char kDirectoryMethod[] = "-lhd-";

// The archive's CRC-16 (reflected polynomial 0xA001, initial value 0).
constexpr std::array<std::uint16_t, 256> makeCrcTable() {
    std::array<std::uint16_t, 256> table{};
    for (unsigned i = 0; i < 256; ++i) {
        std::uint16_t crc = static_cast<std::uint16_t>(i);
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc & 1) ? static_cast<std::uint16_t>((crc >> 1) ^ 0xA001)
                            : static_cast<std::uint16_t>(crc >> 1);
        }
        table[i] = crc;
    }
    return table;
}

constexpr auto kCrcTable = makeCrcTable();

std::uint16_t updateCrc(std::uint16_t crc, const std::uint8_t* data, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) {
        crc = static_cast<std::uint16_t>(kCrcTable[(crc ^ data[i]) & 0xFF] ^ (crc >> 8));
    }
    return crc;
}

// Input for lhasa that tracks the read position, so that a clean end of the
// archive can be told apart from a cut or damaged header (lhasa reports both
// as "no more files").
struct Source {
    int fd = -1;
    std::uint64_t position = 0;
};

int sourceRead(void* handle, void* buffer, std::size_t size) {
    auto* source = static_cast<Source*>(handle);
    if (size > INT_MAX) size = INT_MAX;
    std::size_t done = 0;
    while (done < size) {
        ssize_t n = ::read(source->fd, static_cast<char*>(buffer) + done, size - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return done > 0 ? static_cast<int>(done) : -1;
        if (n == 0) break;
        done += static_cast<std::size_t>(n);
    }
    source->position += done;
    return static_cast<int>(done);
}

// Without a skip function lhasa skips by reading, which loops forever at the
// end of a truncated file.
int sourceSkip(void* handle, std::size_t bytes) {
    auto* source = static_cast<Source*>(handle);
    off_t position = ::lseek(source->fd, static_cast<off_t>(bytes), SEEK_CUR);
    if (position < 0) return 0;
    source->position = static_cast<std::uint64_t>(position);
    return 1;
}

const LHAInputStreamType kSourceType = {sourceRead, sourceSkip, nullptr};

std::uint32_t readLittleEndian(const std::uint8_t* p, std::size_t bytes) {
    std::uint32_t value = 0;
    for (std::size_t i = bytes; i > 0; --i)
        value = (value << 8) | p[i - 1];
    return value;
}

// The entry's name exactly as stored. lhasa's own path and filename are
// rewritten (backslashes turned into '/', all-capital names folded to lower
// case), which breaks Shift-JIS names whose second byte is 0x5C or a letter.
std::string storedName(const LHAFileHeader& header) {
    const std::uint8_t* raw = header.raw_data;
    const std::size_t length = header.raw_data_len;
    std::string name;
    bool found = false;
    std::size_t extensions = 0;
    std::size_t fieldSize = 2;
    switch (header.header_level) {
        case 0:
        case 1:
            if (length >= 22 && 22u + raw[21] <= length) {
                name.assign(reinterpret_cast<const char*>(raw) + 22, raw[21]);
                found = true;
            }
            extensions = header.header_level == 1 ? raw[0] : length;
            break;
        case 2:
            extensions = 24;
            break;
        case 3:
            extensions = 28;
            fieldSize = 4;
            break;
        default:
            extensions = length;
            break;
    }
    // Extended headers: size, type, data; type 1 holds the file name.
    std::size_t offset = extensions;
    while (offset + fieldSize <= length) {
        std::size_t size = readLittleEndian(raw + offset, fieldSize);
        if (size == 0 || size < fieldSize + 1 || size > length - offset) break;
        if (raw[offset + fieldSize] == 0x01 && size > fieldSize + 1) {
            name.assign(reinterpret_cast<const char*>(raw) + offset + fieldSize + 1,
                        size - fieldSize - 1);
            found = true;
        }
        offset += size;
    }
    if (!found) {
        if (header.path) name = header.path;
        if (header.filename) name += header.filename;
    }
    return name;
}

constexpr bool isSjisTrailByte(unsigned char c) {
    return (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFC);
}

// The last component of a stored name: after the last '/', '\' (unless it is
// the second byte of a Shift-JIS character) or 0xFF (the separator in stored
// directory names). Empty for ".", ".." and names ending in a separator.
std::string plainName(std::string_view stored) {
    stored = stored.substr(0, stored.find('\0'));
    std::size_t start = 0;
    for (std::size_t i = 0; i < stored.size(); ++i) {
        auto c = static_cast<unsigned char>(stored[i]);
        if (text::isSjisLeadByte(c) && i + 1 < stored.size() &&
            isSjisTrailByte(static_cast<unsigned char>(stored[i + 1]))) {
            ++i;
        } else if (c == '/' || c == '\\' || c == 0xFF) {
            start = i + 1;
        }
    }
    std::string name(stored.substr(start));
    if (name == "." || name == "..") name.clear();
    return name;
}

bool sameNameIgnoringAsciiCase(std::string_view a, std::string_view b) {
    auto fold = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [&](char x, char y) { return fold(x) == fold(y); });
}

bool writeAll(int fd, const std::uint8_t* data, std::size_t size) {
    while (size > 0) {
        ssize_t written = ::write(fd, data, size);
        if (written < 0 && errno == EINTR) continue;
        if (written < 0) return false;
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

// A new file in folder under a hidden name of its own; umask applies.
int createTemporary(const std::string& folder, std::string& path) {
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        path = folder + "/.lzh-" + std::to_string(::getpid()) + "-" +
               std::to_string(counter.fetch_add(1));
        int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

// Decodes the current entry into a temporary file and renames it to name once
// length and CRC match; on any failure nothing is left behind.
bool writeEntry(LHAReader* reader, const LHAFileHeader& header, const std::string& folder,
                const std::string& name, std::string& error) {
    std::string temporary;
    int fd = createTemporary(folder, temporary);
    if (fd < 0) {
        error = "cannot create a file in " + folder + ": " + std::strerror(errno);
        return false;
    }
    std::vector<std::uint8_t> buffer(64 * 1024);
    std::uint16_t crc = 0;
    std::uint64_t total = 0;
    bool ok = true;
    for (;;) {
        std::size_t n = lha_reader_read(reader, buffer.data(), buffer.size());
        if (n == 0) break;
        crc = updateCrc(crc, buffer.data(), n);
        total += n;
        // The decoder is bounded by the stored length; never trust it to be.
        if (total > header.length) {
            error = "damaged entry (longer than stored): " + name;
            ok = false;
            break;
        }
        if (!writeAll(fd, buffer.data(), n)) {
            error = "cannot write " + name + ": " + std::strerror(errno);
            ok = false;
            break;
        }
    }
    if (ok && (total != header.length || crc != header.crc)) {
        error = "damaged entry (CRC or length mismatch): " + name;
        ok = false;
    }
    if (::close(fd) != 0 && ok) {
        error = "cannot write " + name + ": " + std::strerror(errno);
        ok = false;
    }
    if (ok && ::rename(temporary.c_str(), (folder + "/" + name).c_str()) != 0) {
        error = "cannot create " + name + ": " + std::strerror(errno);
        ok = false;
    }
    if (!ok) ::unlink(temporary.c_str());
    return ok;
}

struct ReaderDeleter {
    void operator()(LHAReader* reader) const { lha_reader_free(reader); }
};

struct StreamDeleter {
    void operator()(LHAInputStream* stream) const { lha_input_stream_free(stream); }
};

struct FdCloser {
    int fd;
    ~FdCloser() {
        if (fd >= 0) ::close(fd);
    }
};

}  // namespace

LhasaLzh::LhasaLzh(std::uint64_t maxEntryBytes) : maxEntryBytes_(maxEntryBytes) {}

LzhResult LhasaLzh::extract(const std::string& archivePath, const std::string& folder) {
    return run(archivePath, folder, Selection{});
}

LzhResult LhasaLzh::extractEntry(const std::string& archivePath, const std::string& folder,
                                 std::string_view entryName, std::uint64_t maxBytes) {
    if (entryName.empty()) {
        LzhResult result;
        result.error = "no entry name";
        return result;
    }
    return run(archivePath, folder, Selection{entryName, maxBytes});
}

LzhResult LhasaLzh::run(const std::string& archivePath, const std::string& folder,
                        const Selection& selection) {
    LzhResult result;
    Source source;
    // Not waiting in the open: a FIFO in its place is refused below, not read.
    source.fd = ::open(archivePath.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    FdCloser closer{source.fd};
    if (source.fd < 0) {
        result.error = "cannot open " + archivePath + ": " + std::strerror(errno);
        return result;
    }
    struct stat info {};
    if (::fstat(source.fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        result.error = "not a file: " + archivePath;
        return result;
    }
    const auto archiveSize = static_cast<std::uint64_t>(info.st_size);

    // The reader must go before the stream it reads.
    std::unique_ptr<LHAInputStream, StreamDeleter> stream(
        lha_input_stream_new(&kSourceType, &source));
    if (!stream) {
        result.error = "out of memory";
        return result;
    }
    std::unique_ptr<LHAReader, ReaderDeleter> reader(lha_reader_new(stream.get()));
    if (!reader) {
        result.error = "out of memory";
        return result;
    }
    lha_reader_set_dir_policy(reader.get(), LHA_READER_DIR_PLAIN);

    int entries = 0;
    std::uint64_t nextHeader = 0;
    std::uint64_t written = 0;
    for (;;) {
        LHAFileHeader* header = lha_reader_next_file(reader.get());
        if (!header) break;
        ++entries;
        nextHeader = source.position + header->compressed_length;
        if (std::strcmp(header->compress_method, kDirectoryMethod) == 0) continue;
        std::string name = plainName(storedName(*header));
        if (name.empty()) continue;
        if (!selection.name.empty()) {
            if (!sameNameIgnoringAsciiCase(name, selection.name)) continue;
            name = selection.name;
        }
        // Judged by the stored length before decoding: a few bytes of
        // compressed data can claim gigabytes.
        if (header->length > maxEntryBytes_ || header->length > selection.maxTotalBytes - written) {
            result.error = "entry too large: " + name;
            result.tooLarge = true;
            return result;
        }
        if (!lha_decoder_for_name(header->compress_method)) {
            result.error =
                std::string("unsupported compression ") + header->compress_method + ": " + name;
            return result;
        }
        if (!writeEntry(reader.get(), *header, folder, name, result.error)) return result;
        written += header->length;
        // A later entry with the same plain name replaced the earlier file.
        if (std::find(result.files.begin(), result.files.end(), name) == result.files.end()) {
            result.files.push_back(name);
        }
    }

    if (entries == 0) {
        result.error = "not an LZH archive: " + archivePath;
        return result;
    }
    // The archive ends right after the last entry, or with a zero byte there
    // that does not start a header (a level-2 header size can begin with one).
    bool cleanEnd = nextHeader == archiveSize;
    if (!cleanEnd && nextHeader < archiveSize) {
        unsigned char next[7] = {1};
        ssize_t n = ::pread(source.fd, next, sizeof next, static_cast<off_t>(nextHeader));
        bool header = n == static_cast<ssize_t>(sizeof next) && next[2] == '-' && next[6] == '-';
        cleanEnd = n > 0 && next[0] == 0 && !header;
    }
    if (!cleanEnd) {
        result.error = "truncated or damaged archive: " + archivePath;
        return result;
    }
    result.ok = true;
    return result;
}

}  // namespace tav
