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
// The variable the exchange's own client reads, taken after ours.
inline constexpr std::string_view kExchangeKeyVariable = "JQUANTS_API_KEY";
inline constexpr std::string_view kApiKeyFileName = "jquants.key";
// The subscription plan beside the key ("free", "light", ...).
inline constexpr std::string_view kApiPlanFileName = "jquants.plan";

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
// line (a UTF-8 byte-order mark and surrounding blanks stripped). A symbolic
// link is followed and its target checked: anything but a regular file, or a
// file that group or others may read, is refused (the key would no longer
// be the user's alone).
ApiKeyLookup findApiKey(std::optional<std::string> environmentValue,
                        const std::string& configFolder);
// The same from this process's environment and config folder.
ApiKeyLookup currentApiKey();

// Writes the key file (mode 0600 from its creation, replacing an older one).
bool storeApiKey(const std::string& configFolder, std::string_view key);
// Removes the key file; true when none is left.
bool removeApiKey(const std::string& configFolder);
// Whether a key file is there (its content is never shown).
bool hasStoredApiKey(const std::string& configFolder);

// The plan stored beside the key; its name, empty when none is stored.
std::string storedApiPlanName(const std::string& configFolder);
bool storeApiPlanName(const std::string& configFolder, std::string_view name);

}  // namespace tav
