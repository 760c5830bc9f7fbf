#pragma once

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace tav {

// What a long run over many items reports and listens to. The progress
// callback is called on the thread that started the run, never on a worker,
// so a caller may touch its own state from it. Cancelling is asked from any
// thread; the run then stops taking items and returns nothing.
struct RunControl {
    std::function<void(int done, int total)> progress;
    std::atomic<bool> cancelRequested{false};

    void cancel() { cancelRequested.store(true, std::memory_order_relaxed); }
    bool cancelled() const { return cancelRequested.load(std::memory_order_relaxed); }
};

// The number of workers to use for `requested` (0: one per core).
inline int workerCount(int requested) {
    if (requested > 0) return requested;
    const unsigned cores = std::thread::hardware_concurrency();
    return cores == 0 ? 1 : static_cast<int>(cores);
}

// Runs work(state, i) for every i in 0 ... count - 1 on `threads` workers and
// gives the results in index order, so the outcome is the same for any number
// of threads. Each worker makes one State with makeState() and reuses it for
// every item it takes (a loaded security, scratch buffers), so memory grows
// with the workers, not with the items. Items are handed out one at a time
// through an atomic index: a slow item never holds up the others.
// Nothing when the run was cancelled. An exception thrown by work ends the
// run and is thrown again here, after every worker has stopped.
template <class Result, class State, class MakeState, class Work>
std::optional<std::vector<Result>> orderedParallelMap(int count, int threads, MakeState makeState,
                                                      Work work, RunControl& control) {
    std::vector<Result> results(static_cast<std::size_t>(std::max(count, 0)));
    const int workers = std::clamp(workerCount(threads), 1, std::max(count, 1));
    auto report = [&](int done) {
        if (control.progress) control.progress(done, count);
    };

    if (workers == 1) {
        State state = makeState();
        for (int i = 0; i < count; ++i) {
            if (control.cancelled()) return std::nullopt;
            results[static_cast<std::size_t>(i)] = work(state, i);
            report(i + 1);
        }
        return control.cancelled() ? std::nullopt : std::optional(std::move(results));
    }

    std::atomic<int> next{0};
    std::atomic<bool> failed{false};
    std::exception_ptr failure;
    std::mutex mutex;
    std::condition_variable changed;
    int done = 0;
    int running = workers;

    auto body = [&] {
        try {
            State state = makeState();
            for (;;) {
                if (control.cancelled() || failed.load(std::memory_order_relaxed)) break;
                const int i = next.fetch_add(1, std::memory_order_relaxed);
                if (i >= count) break;
                results[static_cast<std::size_t>(i)] = work(state, i);
                std::lock_guard lock(mutex);
                ++done;
                changed.notify_one();
            }
        } catch (...) {
            std::lock_guard lock(mutex);
            if (!failure) failure = std::current_exception();
            failed.store(true, std::memory_order_relaxed);
        }
        std::lock_guard lock(mutex);
        --running;
        changed.notify_one();
    };

    {
        std::vector<std::jthread> pool;
        pool.reserve(static_cast<std::size_t>(workers));
        for (int w = 0; w < workers; ++w) pool.emplace_back(body);
        // Progress is told from this thread, at most every few milliseconds.
        int told = 0;
        std::unique_lock lock(mutex);
        while (running > 0) {
            changed.wait_for(lock, std::chrono::milliseconds(50));
            if (done != told) {
                told = done;
                lock.unlock();
                report(told);
                lock.lock();
            }
        }
        if (done != told) {
            lock.unlock();
            report(done);
        }
    }
    if (failure) std::rethrow_exception(failure);
    if (control.cancelled()) return std::nullopt;
    return results;
}

}  // namespace tav
