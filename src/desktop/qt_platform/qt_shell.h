#pragma once

#include <functional>
#include <string>

#include "platform/shell.h"

namespace tav::desktop {

// Files and addresses go to the desktop's handlers; another instance is this
// executable started detached.
class QtShell : public Shell {
  public:
    // Told when nothing could open a file or address, so that the user learns
    // of it (with what was to be opened) instead of nothing happening.
    std::function<void(const std::string& message)> onFailure;

    static std::string failureMessage(const std::string& pathOrUrl);
    bool open(const std::string& pathOrUrl) override;
    bool startInstance(const std::vector<std::string>& arguments) override;
};

}  // namespace tav::desktop
