#pragma once

#include "platform/shell.h"

namespace tav {

// Shell on the freedesktop tools. Programs are started detached (never waited
// for, never left as zombies) with their arguments passed verbatim, no shell.
class DesktopShell : public Shell {
  public:
    // Runs xdg-open.
    bool open(const std::string& pathOrUrl) override;
    // Runs /proc/self/exe.
    bool startInstance(const std::vector<std::string>& arguments) override;
};

}  // namespace tav
