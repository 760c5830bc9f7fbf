#pragma once

#include <optional>
#include <string>
#include <string_view>

// The key of the exchange's data API. It comes from the environment or from a
// file only its owner can read, in the user's config folder (never the
// program folder, which is shared and copied around); it is never printed,
// logged or written anywhere by the program.
namespace tav {

inline constexpr std::string_view kApiKeyVariable = "TAVRENTO_JQUANTS_KEY";
inline constexpr std::string_view kApiKeyFileName = "jquants.key";

// $XDG_CONFIG_HOME/tavrento, else $HOME/.config/tavrento; empty when neither is set.
std::string userConfigFolder(std::optional<std::string> xdgConfigHome,
                             std::optional<std::string> home);
// The same from this process's environment.
std::string currentUserConfigFolder();

struct ApiKeyLookup {
    std::string key;      // empty when none was found
    std::string message;  // why not (shown to the user), empty on success
};

// The environment's value when set and not blank, else the key file's first
// line. A key file that group or others may read is refused: the key would
// no longer be the user's alone.
ApiKeyLookup findApiKey(std::optional<std::string> environmentValue,
                        const std::string& configFolder);
// The same from this process's environment and config folder.
ApiKeyLookup currentApiKey();

// Writes the key file (mode 0600 from its creation, replacing an older one).
bool storeApiKey(const std::string& configFolder, std::string_view key);

}  // namespace tav
