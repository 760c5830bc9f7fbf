#pragma once

#include "platform/prompter.h"

namespace tav::desktop {

// For scripted runs without a user (the screenshot of the demo): messages
// go to standard error, questions are answered Yes and inputs take their
// preset, as a user pressing Enter throughout would.
class UnattendedPrompter : public Prompter {
  public:
    void message(const std::string& text, MessageIcon icon) override;
    using Prompter::askYesNo;
    using Prompter::askYesNoCancel;
    bool askYesNo(const std::string& text, QuestionKind kind) override;
    Answer askYesNoCancel(const std::string& text, QuestionKind kind) override;
    std::optional<std::string> askText(const std::string& title, const std::string& label,
                                       const std::string& preset) override;
    void progress(int) override {}
    void status(const std::string&) override {}
};

}  // namespace tav::desktop
