#include "cli_support.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <vector>

#include "support/temp_folder.h"

namespace tav::test {

CliResult runCli(const std::vector<std::string>& arguments, const std::string& input,
                 const std::function<void(int pid)>& meanwhile) {
    return runProgram(TAV_CLI_PATH, arguments, input, meanwhile);
}

CliResult runProgram(const std::string& program, const std::vector<std::string>& arguments,
                     const std::string& input, const std::function<void(int pid)>& meanwhile) {
    TempFolder io;
    std::string inPath = (io / "in").string();
    std::string outPath = (io / "out").string();
    std::string errPath = (io / "err").string();
    writeFile(inPath, input);
    pid_t pid = ::fork();
    if (pid == 0) {
        int in = ::open(inPath.c_str(), O_RDONLY);
        int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ::dup2(in, 0);
        ::dup2(out, 1);
        ::dup2(err, 2);
        std::vector<char*> argv;
        std::string name = program;
        argv.push_back(name.data());
        std::vector<std::string> copies = arguments;
        for (auto& word : copies) argv.push_back(word.data());
        argv.push_back(nullptr);
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    if (meanwhile) meanwhile(pid);
    int status = 0;
    ::waitpid(pid, &status, 0);
    CliResult result;
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.out = readFile(outPath);
    result.err = readFile(errPath);
    return result;
}

}  // namespace tav::test
