#pragma once

#include <string>
#include <vector>

namespace tav {

// The desktop's default handlers.
class Shell {
public:
    virtual ~Shell() = default;
    // Opens a file or web address with the default application.
    virtual bool open(const std::string& pathOrUrl) = 0;
    // Starts another instance of this program with the given arguments.
    virtual bool startInstance(const std::vector<std::string>& arguments) = 0;
};

}  // namespace tav
