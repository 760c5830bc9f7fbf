#include "qt_platform/unattended_prompter.h"

#include <cstdio>

namespace tav::desktop {

void UnattendedPrompter::message(const std::string& text, MessageIcon icon) {
    std::fprintf(stderr, "tavrento: %s%s\n", icon == MessageIcon::Stop ? "error: " : "",
                 text.c_str());
}

bool UnattendedPrompter::askYesNo(const std::string& text, QuestionKind) {
    std::fprintf(stderr, "tavrento: %s -> yes\n", text.c_str());
    return true;
}

Answer UnattendedPrompter::askYesNoCancel(const std::string& text, QuestionKind) {
    std::fprintf(stderr, "tavrento: %s -> yes\n", text.c_str());
    return Answer::Yes;
}

std::optional<std::string> UnattendedPrompter::askText(const std::string& title, const std::string&,
                                                       const std::string& preset) {
    std::fprintf(stderr, "tavrento: %s -> %s\n", title.c_str(), preset.c_str());
    return preset;
}

}  // namespace tav::desktop
