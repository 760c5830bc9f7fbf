#pragma once

#include <string>

namespace tav {

struct LocalDate {
    int year = 0;
    int month = 0;
    int day = 0;
};

// Today's local date (tests pin it).
class Clock {
public:
    virtual ~Clock() = default;
    virtual LocalDate today() = 0;
};

}  // namespace tav
