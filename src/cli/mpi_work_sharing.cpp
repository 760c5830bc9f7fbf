#include "mpi_work_sharing.h"

#include <fcntl.h>
#include <mpi.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace tav::cli {

namespace {

// A broadcast carries at most this many bytes at once (MPI counts are int).
constexpr std::size_t kChunk = std::size_t{1} << 30;

bool startedByLauncher() {
    return std::getenv("OMPI_COMM_WORLD_SIZE") != nullptr || std::getenv("PMIX_RANK") != nullptr;
}

}  // namespace

MpiWorkSharing::MpiWorkSharing() {
    MPI_Comm_rank(MPI_COMM_WORLD, &rank_);
    MPI_Comm_size(MPI_COMM_WORLD, &size_);
}

std::vector<std::vector<std::byte>> MpiWorkSharing::allGather(std::vector<std::byte> mine) {
    std::vector<uint64_t> sizes(static_cast<std::size_t>(size_));
    const uint64_t own = mine.size();
    MPI_Allgather(&own, 1, MPI_UINT64_T, sizes.data(), 1, MPI_UINT64_T, MPI_COMM_WORLD);
    std::vector<std::vector<std::byte>> all(static_cast<std::size_t>(size_));
    all[static_cast<std::size_t>(rank_)] = std::move(mine);
    // Each process's bytes in turn, from it to all the others.
    for (int root = 0; root < size_; ++root) {
        std::vector<std::byte>& bytes = all[static_cast<std::size_t>(root)];
        bytes.resize(sizes[static_cast<std::size_t>(root)]);
        for (std::size_t at = 0; at < bytes.size(); at += kChunk) {
            const auto count = static_cast<int>(std::min(kChunk, bytes.size() - at));
            MPI_Bcast(bytes.data() + at, count, MPI_BYTE, root, MPI_COMM_WORLD);
        }
    }
    return all;
}

void MpiWorkSharing::abortAll(int status) {
    MPI_Abort(MPI_COMM_WORLD, status);
    std::_Exit(status);  // MPI_Abort does not come back
}

MpiSession::MpiSession(int& argc, char**& argv) {
    // MPI_Init in a process started alone makes OpenMPI start its runtime, half
    // a second for nothing: only a launched process joins a job.
    if (!startedByLauncher()) return;
    int provided = 0;
    // Only the thread that runs the command talks to the other processes.
    MPI_Init_thread(&argc, &argv, MPI_THREAD_FUNNELED, &provided);
    started_ = true;
    sharing_ = std::make_unique<MpiWorkSharing>();
    if (sharing_->rank() != 0) {
        const int null = ::open("/dev/null", O_WRONLY);
        if (null >= 0) {
            ::dup2(null, STDOUT_FILENO);
            ::dup2(null, STDERR_FILENO);
            ::close(null);
        }
    }
}

MpiSession::~MpiSession() {
    if (started_) MPI_Finalize();
}

}  // namespace tav::cli
