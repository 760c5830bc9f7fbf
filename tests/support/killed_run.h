#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "core/rename_journal.h"

namespace tav::test {

// Runs `operation` in a child process whose file steps (each rename, write,
// append and removal) stop dead right after the n-th one, as a kill -9 would:
// no undo, no destructor, nothing flushed. Finished when the operation took
// fewer steps; Crashed when the child died any other way.
enum class ChildRun { Killed, Finished, Crashed };
inline ChildRun killedAfterStep(int n, const std::function<void(const FileOps&)>& operation) {
    constexpr int kKilled = 77;
    constexpr int kFinished = 78;
    std::fflush(nullptr);
    const pid_t child = ::fork();
    if (child == 0) {
        const FileOps plain = FileOps::plain();
        auto steps = std::make_shared<int>(0);
        auto stop = [steps, n] {
            if (++*steps == n) ::_exit(kKilled);
        };
        FileOps ops;
        ops.rename = [plain, stop](const std::string& from, const std::string& to) {
            const bool ok = plain.rename(from, to);
            stop();
            return ok;
        };
        ops.write = [plain, stop](const std::string& path, std::string_view bytes) {
            const bool ok = plain.write(path, bytes);
            stop();
            return ok;
        };
        ops.append = [plain, stop](const std::string& path, std::string_view bytes) {
            const bool ok = plain.append(path, bytes);
            stop();
            return ok;
        };
        ops.remove = [plain, stop](const std::string& path) {
            const bool ok = plain.remove(path);
            stop();
            return ok;
        };
        operation(ops);
        ::_exit(kFinished);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    if (!WIFEXITED(status)) return ChildRun::Crashed;
    if (WEXITSTATUS(status) == kKilled) return ChildRun::Killed;
    return WEXITSTATUS(status) == kFinished ? ChildRun::Finished : ChildRun::Crashed;
}

}  // namespace tav::test
