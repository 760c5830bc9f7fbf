#pragma once

#include <optional>
#include <string>

namespace tav {

class Clipboard {
public:
    virtual ~Clipboard() = default;
    // The clipboard text (UTF-8), nullopt when it holds none.
    virtual std::optional<std::string> text() = 0;
};

}  // namespace tav
