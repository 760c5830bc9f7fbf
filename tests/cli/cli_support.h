#pragma once

#include <functional>
#include <string>
#include <vector>

namespace tav::test {

struct CliResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Runs tavrento-cli with the arguments (each passed as one word) and stdin from
// the given text; captures both output streams. `meanwhile` is called with the
// child's process id while it runs (to signal it). The exit code is -1 when a
// signal ended the child.
CliResult runCli(const std::vector<std::string>& arguments, const std::string& input = "",
                 const std::function<void(int pid)>& meanwhile = {});

// The same for any program (a launcher given tavrento-cli among its arguments).
CliResult runProgram(const std::string& program, const std::vector<std::string>& arguments,
                     const std::string& input = "",
                     const std::function<void(int pid)>& meanwhile = {});

}  // namespace tav::test
