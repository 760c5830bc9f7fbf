#include "market_api/api_key.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "core/file_io.h"

namespace tav {

namespace {

constexpr std::size_t kMaxKeyBytes = 4096;

std::optional<std::string> environment(const char* name) {
    const char* value = std::getenv(name);
    if (!value || !*value) return std::nullopt;
    return std::string(value);
}

std::string_view trimmed(std::string_view text) {
    auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) return {};
    auto last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

std::string noKeyMessage(const std::string& path) {
    return "データAPIのキーがありません。\n\n環境変数 " + std::string(kApiKeyVariable) +
           " に設定するか、" + path + " (モード600) に保存してください。";
}

}  // namespace

std::string userConfigFolder(std::optional<std::string> xdgConfigHome,
                             std::optional<std::string> home) {
    if (xdgConfigHome && !xdgConfigHome->empty())
        return fileio::joinPath(*xdgConfigHome, "tavrento");
    if (home && !home->empty())
        return fileio::joinPath(fileio::joinPath(*home, ".config"), "tavrento");
    return {};
}

std::string currentUserConfigFolder() {
    return userConfigFolder(environment("XDG_CONFIG_HOME"), environment("HOME"));
}

ApiKeyLookup findApiKey(std::optional<std::string> environmentValue,
                        const std::string& configFolder) {
    ApiKeyLookup lookup;
    if (environmentValue) {
        std::string_view key = trimmed(*environmentValue);
        if (!key.empty()) {
            lookup.key = std::string(key);
            return lookup;
        }
    }
    std::string path = configFolder.empty() ? std::string(kApiKeyFileName)
                                            : fileio::joinPath(configFolder, kApiKeyFileName);
    if (configFolder.empty()) {
        lookup.message = noKeyMessage("~/.config/tavrento/" + std::string(kApiKeyFileName));
        return lookup;
    }
    // Non-blocking, so that a FIFO in its place cannot hang the open.
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        lookup.message = errno == ENOENT
                             ? noKeyMessage(path)
                             : path + " を読めません。\n\nファイルの権限を確認してください。";
        return lookup;
    }
    struct stat info {};
    std::string bytes;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        lookup.message = path + " は通常のファイルではないため使いません。";
        return lookup;
    }
    bool exposed = (info.st_mode & (S_IRWXG | S_IRWXO)) != 0;
    if (!exposed) {
        char buffer[512];
        ssize_t got = 0;
        while (bytes.size() < kMaxKeyBytes && (got = ::read(fd, buffer, sizeof buffer)) > 0)
            bytes.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(fd);
    if (exposed) {
        lookup.message = path +
                         " は本人以外も読める状態のため使いません。\n\n"
                         "chmod 600 でモードを600にしてください。";
        return lookup;
    }
    std::string_view content = bytes;
    if (content.starts_with("\xEF\xBB\xBF")) content.remove_prefix(3);
    content = trimmed(content);
    std::string_view firstLine = content.substr(0, content.find('\n'));
    lookup.key = std::string(trimmed(firstLine));
    if (lookup.key.empty()) lookup.message = noKeyMessage(path);
    return lookup;
}

ApiKeyLookup currentApiKey() {
    auto value = environment(kApiKeyVariable.data());
    if (!value || trimmed(*value).empty()) value = environment(kExchangeKeyVariable.data());
    return findApiKey(value, currentUserConfigFolder());
}

bool storeApiKey(const std::string& configFolder, std::string_view key) {
    if (key.starts_with("\xEF\xBB\xBF")) key.remove_prefix(3);
    key = trimmed(key);
    // A key is one line of visible characters.
    for (char c : key)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) return false;
    if (configFolder.empty() || key.empty() || key.size() > kMaxKeyBytes) return false;
    std::error_code error;
    std::filesystem::create_directories(configFolder, error);
    std::string path = fileio::joinPath(configFolder, kApiKeyFileName);
    std::string temporary = path + ".tmp";
    ::unlink(temporary.c_str());
    // Created owner-only, so the key is never readable by others, not even for a moment.
    int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    ::fchmod(fd, 0600);  // whatever the umask left
    std::string line = std::string(key) + "\n";
    bool written = ::write(fd, line.data(), line.size()) == static_cast<ssize_t>(line.size());
    written = ::fsync(fd) == 0 && written;
    written = ::close(fd) == 0 && written;
    if (!written || std::rename(temporary.c_str(), path.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    return true;
}

bool removeApiKey(const std::string& configFolder) {
    if (configFolder.empty()) return true;
    std::string path = fileio::joinPath(configFolder, kApiKeyFileName);
    return ::unlink(path.c_str()) == 0 || errno == ENOENT;
}

bool hasStoredApiKey(const std::string& configFolder) {
    if (configFolder.empty()) return false;
    struct stat info {};
    return ::stat(fileio::joinPath(configFolder, kApiKeyFileName).c_str(), &info) == 0 &&
           S_ISREG(info.st_mode) && info.st_size > 0;
}

std::string storedApiPlanName(const std::string& configFolder) {
    if (configFolder.empty()) return {};
    auto bytes = fileio::readFile(fileio::joinPath(configFolder, kApiPlanFileName));
    if (!bytes || bytes->size() > 64) return {};
    return std::string(trimmed(*bytes));
}

bool storeApiPlanName(const std::string& configFolder, std::string_view name) {
    if (configFolder.empty()) return false;
    std::error_code error;
    std::filesystem::create_directories(configFolder, error);
    return fileio::writeFileAtomic(fileio::joinPath(configFolder, kApiPlanFileName),
                                   std::string(name) + "\n");
}

}  // namespace tav
