#include "terminal_prompter.h"

#include <unistd.h>

#include <iostream>

namespace tav::cli {

namespace {

bool interactive() { return ::isatty(STDIN_FILENO) == 1; }

std::string readAnswerLine() {
    std::string line;
    if (!std::getline(std::cin, line)) return {};
    return line;
}

}  // namespace

void TerminalPrompter::message(const std::string& text, MessageIcon icon) {
    ++told_;
    if (lastPercent_ >= 0) {
        std::cerr << '\n';
        lastPercent_ = -1;
    }
    std::cerr << (icon == MessageIcon::Stop ? "[error] " : "[notice] ") << text << '\n';
}

bool TerminalPrompter::askYesNo(const std::string& text, QuestionKind kind) {
    return askYesNoCancel(text, kind) == Answer::Yes;
}

Answer TerminalPrompter::askYesNoCancel(const std::string& text, QuestionKind) {
    ++told_;
    std::cerr << "[question] " << text << '\n';
    if (assumeYes_) {
        std::cerr << "  -> yes (--yes)\n";
        return Answer::Yes;
    }
    if (!interactive()) {
        std::cerr << "  -> no (no terminal; pass --yes to agree)\n";
        return Answer::No;
    }
    std::cerr << "  [y]es / [n]o / [c]ancel: " << std::flush;
    std::string answer = readAnswerLine();
    if (!answer.empty() && (answer[0] == 'y' || answer[0] == 'Y')) return Answer::Yes;
    if (!answer.empty() && (answer[0] == 'c' || answer[0] == 'C')) return Answer::Cancel;
    return Answer::No;
}

std::optional<std::string> TerminalPrompter::askText(const std::string& title,
                                                     const std::string& label,
                                                     const std::string& preset) {
    std::cerr << "[input] " << title << ": " << label << '\n';
    if (presetInput) {
        std::string value = *presetInput;
        presetInput.reset();
        std::cerr << "  -> " << value << '\n';
        return value;
    }
    if (!interactive()) {
        if (assumeYes_) {
            std::cerr << "  -> " << preset << " (--yes)\n";
            return preset;
        }
        std::cerr << "  -> cancelled (no terminal)\n";
        return std::nullopt;
    }
    std::cerr << "  [" << preset << "]: " << std::flush;
    std::string value;
    if (!std::getline(std::cin, value)) return std::nullopt;
    return value.empty() ? preset : value;
}

void TerminalPrompter::progress(int percent) {
    if (!::isatty(STDERR_FILENO) || percent == lastPercent_) return;
    lastPercent_ = percent;
    std::cerr << "\r  " << percent << "%" << std::flush;
}

void TerminalPrompter::status(const std::string& text) {
    if (text.empty() || !::isatty(STDERR_FILENO)) return;
    std::cerr << "\r" << text << std::flush;
    lastPercent_ = 0;
}

}  // namespace tav::cli
