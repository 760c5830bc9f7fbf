#pragma once

#include <cstdint>

namespace tav {

// The trading unit (呼値) for a close: 1 up to 2,000, 5 up to 3,000, 10 up to
// 30,000, 50 up to 50,000, 100 up to 100,000, 1,000 up to 1,000,000, 10,000
// above.
int32_t tickSizeForClose(int32_t close);

// Rounds a value to a multiple of the tick of `close`: down when the remainder
// is below half a tick (integer halving), else up; a value on a tick is
// returned unchanged.
int32_t roundToTickForClose(int32_t value, int32_t close);

}  // namespace tav
