#pragma once

#include "platform/shell.h"

namespace tav::desktop {

// Files and addresses go to the desktop's handlers; another instance is this
// executable started detached.
class QtShell : public Shell {
  public:
    bool open(const std::string& pathOrUrl) override;
    bool startInstance(const std::vector<std::string>& arguments) override;
};

}  // namespace tav::desktop
