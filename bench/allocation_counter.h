#pragma once

// Every allocation through the global operator new in a benchmark program is
// counted, so a benchmark can report how many its measured work made.
namespace tav::bench {

long allocationCount();

}  // namespace tav::bench
