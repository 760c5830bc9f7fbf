#pragma once

#include "platform/clock.h"

namespace tav {

// The machine's local date.
class SystemClock : public Clock {
  public:
    LocalDate today() override;
};

}  // namespace tav
