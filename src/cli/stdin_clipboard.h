#pragma once

#include <iostream>
#include <iterator>

#include "platform/clipboard.h"

namespace tav::cli {

// On the command line the "clipboard" is whatever is piped into the tool.
class StdinClipboard : public Clipboard {
public:
    std::optional<std::string> text() override {
        std::string all((std::istreambuf_iterator<char>(std::cin)), std::istreambuf_iterator<char>());
        if (all.empty()) return std::nullopt;
        return all;
    }
};

}  // namespace tav::cli
