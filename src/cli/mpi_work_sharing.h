#pragma once

#include <memory>

#include "cli_context.h"

namespace tav::cli {

// The MPI processes of the job (MPI_COMM_WORLD) sharing a research run. Only
// in a build with MPI.
class MpiWorkSharing final : public SharedProcesses {
  public:
    MpiWorkSharing();
    int rank() const override { return rank_; }
    int size() const override { return size_; }
    std::vector<std::vector<std::byte>> allGather(std::vector<std::byte> mine) override;
    [[noreturn]] void abortAll(int status) override;

  private:
    int rank_ = 0;
    int size_ = 1;
};

// Starts MPI when the process was started by an MPI launcher (mpirun sets
// OMPI_COMM_WORLD_SIZE or PMIX_RANK) and ends it when it goes; a process
// started alone never initialises MPI and runs as before. The processes other
// than rank 0 write nothing: their standard output and error go to /dev/null.
class MpiSession {
  public:
    MpiSession(int& argc, char**& argv);
    ~MpiSession();
    MpiSession(const MpiSession&) = delete;
    MpiSession& operator=(const MpiSession&) = delete;

    // The processes of the job, when more than one shares it.
    SharedProcesses* sharing() {
        return sharing_ && sharing_->size() > 1 ? sharing_.get() : nullptr;
    }

  private:
    bool started_ = false;
    std::unique_ptr<MpiWorkSharing> sharing_;
};

}  // namespace tav::cli
