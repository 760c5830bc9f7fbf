#pragma once

#include <cstdio>

#include "platform/prompter.h"

namespace tav::cli {

// Messages and questions on the terminal. Messages go to stderr with their
// icon as a tag. Questions are answered "yes" with --yes; otherwise they are
// read from stdin when it is a terminal, and answered "no" when it is not.
class TerminalPrompter : public Prompter {
public:
    explicit TerminalPrompter(bool assumeYes) : assumeYes_(assumeYes) {}

    void message(const std::string& text, MessageIcon icon) override;
    using Prompter::askYesNo;
    using Prompter::askYesNoCancel;
    bool askYesNo(const std::string& text, QuestionKind kind) override;
    Answer askYesNoCancel(const std::string& text, QuestionKind kind) override;
    std::optional<std::string> askText(const std::string& title, const std::string& label,
                                       const std::string& preset) override;
    void progress(int percent) override;
    void status(const std::string& text) override;

    // Scripted answers for askText, used before reading the terminal.
    std::optional<std::string> presetInput;
    // How many messages and questions were shown so far.
    int toldCount() const { return told_; }

private:
    bool assumeYes_;
    int lastPercent_ = -1;
    int told_ = 0;
};

}  // namespace tav::cli
