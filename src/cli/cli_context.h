#pragma once

#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "conditions/condition.h"
#include "core/period_mode.h"
#include "research/work_sharing.h"
#include "terminal_prompter.h"
#include "workspace/workspace.h"

namespace tav::cli {

// Exit codes of the tool.
constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;  // the operation was refused or failed
constexpr int kExitUsage = 2;   // bad arguments or no such folder

// The parsed command line: global options and the command's own words.
struct CommandLine {
    std::optional<std::string> folder;
    bool assumeYes = false;
    std::optional<PeriodMode> period;
    std::vector<std::string> words;                            // command and positional arguments
    std::vector<std::pair<std::string, std::string>> options;  // --name value, in order

    std::optional<std::string> option(const std::string& name) const;
    bool flag(const std::string& name) const;
};

// The processes mpirun started with this one, when more than one: the
// engine's WorkSharing, and an end for all of them at once.
class SharedProcesses : public WorkSharing {
  public:
    // Ends every process of the job now, with `status`.
    [[noreturn]] virtual void abortAll(int status) = 0;
};

struct CommandContext {
    Workspace& workspace;
    TerminalPrompter& prompter;
    const CommandLine& line;
    // The processes started with this one by mpirun, when more than one; only
    // optimize shares its work.
    SharedProcesses* sharing = nullptr;
};

// Prints "tavrento-cli: message" to stderr and returns kExitUsage.
int usageError(const std::string& message);

// For a command whose forms read different options: true when the line gives
// none but `allowed` (and --help); otherwise a usage error naming the first
// other one, as an option foreign to `where`.
bool onlyOptions(const CommandLine& line, std::initializer_list<std::string_view> allowed,
                 const std::string& where);

inline int exitCode(bool ok) {
    return ok ? kExitOk : kExitFailed;
}

// The exit code of an edit. A refusal that showed nothing since `toldBefore`
// (the prompter's count when the edit began) is told here, so that no failure
// ends silently.
int editExitCode(const CommandContext& context, bool ok, int toldBefore);

// A whole decimal int (sign allowed), nothing else.
std::optional<int> parseInt(const std::string& text);

// Up to ten blank-separated 16-bit numbers, in record order; missing fields are 0.
std::optional<Condition> parseCondition(const std::string& text);

// A security code argument: a positive decimal number or an alphanumeric code.
std::optional<StockCode> parseCodeArgument(const std::string& text);

}  // namespace tav::cli
