#pragma once

#include <string>
#include <vector>

namespace tav::test {

struct CliResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Runs tavrento-cli with the arguments (each passed as one word) and stdin from
// the given text; captures both output streams.
CliResult runCli(const std::vector<std::string>& arguments, const std::string& input = "");

}  // namespace tav::test
