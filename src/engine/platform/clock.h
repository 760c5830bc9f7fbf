#pragma once

#include "core/local_date.h"

namespace tav {

// Today's local date (tests pin it).
class Clock {
public:
    virtual ~Clock() = default;
    virtual LocalDate today() = 0;
};

}  // namespace tav
