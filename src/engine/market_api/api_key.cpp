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
    if (xdgConfigHome && !xdgConfigHome->empty()) return fileio::joinPath(*xdgConfigHome, "tavrento");
    if (home && !home->empty()) return fileio::joinPath(fileio::joinPath(*home, ".config"), "tavrento");
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
    int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) {
        lookup.message = noKeyMessage(path);
        return lookup;
    }
    struct stat info {};
    std::string bytes;
    bool exposed = ::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) ||
                   (info.st_mode & (S_IRWXG | S_IRWXO)) != 0;
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
    std::string_view firstLine = std::string_view(bytes).substr(0, bytes.find('\n'));
    lookup.key = std::string(trimmed(firstLine));
    if (lookup.key.empty()) lookup.message = noKeyMessage(path);
    return lookup;
}

ApiKeyLookup currentApiKey() {
    return findApiKey(environment(kApiKeyVariable.data()), currentUserConfigFolder());
}

bool storeApiKey(const std::string& configFolder, std::string_view key) {
    key = trimmed(key);
    if (configFolder.empty() || key.empty() || key.size() > kMaxKeyBytes) return false;
    std::error_code error;
    std::filesystem::create_directories(configFolder, error);
    std::string path = fileio::joinPath(configFolder, kApiKeyFileName);
    std::string temporary = path + ".tmp";
    ::unlink(temporary.c_str());
    // Created owner-only, so the key is never readable by others, not even for a moment.
    int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) return false;
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

}  // namespace tav
