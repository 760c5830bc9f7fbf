#include "window/startup_options.h"

#include <charconv>

namespace tav::desktop {

namespace {

std::optional<StockCode> startCode(const std::string& word) {
    if (auto code = tav::parseCode(word); code && isAlphanumericCode(*code)) return code;
    StockCode code = 0;
    const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), code);
    if (error != std::errc() || end != word.data() + word.size() || code <= 0) return std::nullopt;
    return code;
}

}  // namespace

StartupOptions parseStartupOptions(const std::vector<std::string>& arguments) {
    StartupOptions options;
    for (std::size_t index = 0; index < arguments.size(); ++index) {
        const std::string& word = arguments[index];
        const auto value = [&](std::optional<std::string>& into) {
            if (index + 1 >= arguments.size()) {
                options.error = word + " needs a value";
                return;
            }
            into = arguments[++index];
        };
        if (word == "--folder") {
            value(options.folder);
        } else if (word.starts_with("--folder=")) {
            options.folder = word.substr(9);
        } else if (word == "--screenshot") {
            value(options.screenshot);
        } else if (word == "--help" || word == "-h") {
            options.help = true;
        } else if (word.starts_with("-")) {
            // Qt consumes its own options before us; anything else is a mistake.
            options.error = "unknown option " + word;
        } else if (!options.code) {
            options.code = startCode(word);
        }
        if (!options.error.empty()) break;
    }
    return options;
}

}  // namespace tav::desktop
