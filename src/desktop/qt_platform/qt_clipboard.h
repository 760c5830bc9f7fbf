#pragma once

#include "platform/clipboard.h"

namespace tav::desktop {

// The system clipboard's text.
class QtClipboard : public Clipboard {
  public:
    std::optional<std::string> text() override;
};

}  // namespace tav::desktop
