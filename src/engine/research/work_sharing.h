#pragma once

#include <cstddef>
#include <vector>

namespace tav {

// The processes that share a research run. Each one runs its share of the
// work items and all of them exchange what they ran, so that every process
// ends with the same complete results and goes on identically. The engine
// sees only this; how the bytes travel (MPI in the command-line tool) is the
// caller's. Without one, a process runs everything alone.
class WorkSharing {
  public:
    virtual ~WorkSharing() = default;
    // This process, from 0 to size() - 1.
    virtual int rank() const = 0;
    virtual int size() const = 0;
    // Gives this process's bytes and returns every process's, by rank (its own
    // included). Every process calls it the same number of times, in the same
    // order, and none returns before all have called.
    virtual std::vector<std::vector<std::byte>> allGather(std::vector<std::byte> mine) = 0;
};

}  // namespace tav
