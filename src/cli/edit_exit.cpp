#include <iostream>

#include "cli_context.h"

namespace tav::cli {

int editExitCode(const CommandContext& context, bool ok, int toldBefore) {
    if (ok) return kExitOk;
    if (context.prompter.toldCount() == toldBefore) {
        std::string command;
        for (const std::string& word : context.line.words)
            command += (command.empty() ? "" : " ") + word;
        std::cerr << "[error] [" << command << "]　を実行できませんでした。\n";
    }
    return kExitFailed;
}

}  // namespace tav::cli
