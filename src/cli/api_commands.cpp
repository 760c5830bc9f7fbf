#include "api_commands.h"

#include <termios.h>
#include <unistd.h>

#include <iostream>

#include "market_api/api_key.h"
#include "workspace/market_api.h"

namespace tav::cli {

namespace {

constexpr const char* kUsage =
    "usage: api-key set|test|remove [--plan free|light|standard|premium]";

// One line from standard input, not echoed when it is a terminal.
std::optional<std::string> readKeyLine() {
    const bool terminal = ::isatty(STDIN_FILENO);
    termios saved{};
    if (terminal) {
        std::cerr << "APIキー: " << std::flush;
        if (::tcgetattr(STDIN_FILENO, &saved) == 0) {
            termios quiet = saved;
            quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
            ::tcsetattr(STDIN_FILENO, TCSANOW, &quiet);
        }
    }
    std::string line;
    bool read = static_cast<bool>(std::getline(std::cin, line));
    if (terminal) {
        ::tcsetattr(STDIN_FILENO, TCSANOW, &saved);
        std::cerr << '\n';
    }
    if (!read && line.empty()) return std::nullopt;
    return line;
}

}  // namespace

bool applyApiPlanOption(CommandContext& context) {
    auto name = context.line.option("plan");
    if (!name) return true;
    auto plan = parseApiPlan(*name);
    if (!plan) {
        usageError("--plan must be free, light, standard or premium");
        return false;
    }
    if (!storeApiPlanName(currentUserConfigFolder(), apiPlanName(*plan))) {
        std::cerr << "tavrento-cli: cannot store the plan in " << currentUserConfigFolder() << '\n';
        return false;
    }
    return true;
}

int runApiKey(CommandContext& context) {
    const auto& words = context.line.words;
    if (words.size() != 2) return usageError(kUsage);
    if (!applyApiPlanOption(context)) return kExitUsage;
    const std::string folder = currentUserConfigFolder();
    if (words[1] == "set") {
        auto key = readKeyLine();
        if (!key || !storeApiKey(folder, *key)) {
            std::cerr << "tavrento-cli: no key stored (one line of visible characters expected on "
                         "standard input)\n";
            return kExitFailed;
        }
        std::cout << "APIキーを保存しました (" << folder << "/" << kApiKeyFileName
                  << ", モード600)\n";
        return kExitOk;
    }
    if (words[1] == "remove") {
        if (!removeApiKey(folder)) {
            std::cerr << "tavrento-cli: cannot remove " << folder << "/" << kApiKeyFileName << '\n';
            return kExitFailed;
        }
        std::cout << "APIキーを削除しました\n";
        return kExitOk;
    }
    if (words[1] == "test") {
        ApiAccess access = apiAccess(context.workspace);
        ApiConnectionTest result = testApiConnection(access);
        (result.ok ? std::cout : std::cerr) << result.text << '\n';
        return exitCode(result.ok);
    }
    return usageError(kUsage);
}

}  // namespace tav::cli
