#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "platform/prompter.h"

namespace tav::test {

// A Prompter that records every call and answers from a script. Questions with
// no scripted answer are answered "yes" (inputs: cancelled).
class RecordingPrompter : public Prompter {
public:
    struct Call {
        std::string kind;  // "message", "yesno", "yesnocancel", "input", "status"
        std::string text;
        MessageIcon icon = MessageIcon::Warning;
        QuestionKind question = QuestionKind::Ordinary;
    };

    void message(const std::string& text, MessageIcon icon) override;
    using Prompter::askYesNo;
    using Prompter::askYesNoCancel;
    bool askYesNo(const std::string& text, QuestionKind kind) override;
    Answer askYesNoCancel(const std::string& text, QuestionKind kind) override;
    std::optional<std::string> askText(const std::string& title, const std::string& label,
                                       const std::string& preset) override;
    void progress(int percent) override;
    void status(const std::string& text) override;

    std::deque<Answer> answers;                     // for askYesNo / askYesNoCancel, in order
    std::deque<std::optional<std::string>> inputs;  // for askText, in order
    std::vector<Call> calls;
    std::vector<int> progressValues;

    // Texts of the message boxes shown, in order.
    std::vector<std::string> messages() const;
    // Texts of the questions asked, in order.
    std::vector<std::string> questions() const;
};

}  // namespace tav::test
