#pragma once

#include <optional>
#include <string>

namespace tav {

// Information is for a finished operation; warnings and stops are for notices
// and errors.
enum class MessageIcon { Warning, Stop, Information };
enum class Answer { Yes, No, Cancel };
// A question whose "yes" destroys data (discards, deletes, initialises):
// the dialog offers "no" as its default answer.
enum class QuestionKind { Ordinary, Destructive };

// Everything the engine says to or asks of the user. Texts are UTF-8.
class Prompter {
public:
    virtual ~Prompter() = default;
    virtual void message(const std::string& text, MessageIcon icon) = 0;
    virtual bool askYesNo(const std::string& text, QuestionKind kind) = 0;
    virtual Answer askYesNoCancel(const std::string& text, QuestionKind kind) = 0;
    bool askYesNo(const std::string& text) { return askYesNo(text, QuestionKind::Ordinary); }
    Answer askYesNoCancel(const std::string& text) {
        return askYesNoCancel(text, QuestionKind::Ordinary);
    }
    // One-line input; nullopt when the user cancels.
    virtual std::optional<std::string> askText(const std::string& title, const std::string& label,
                                               const std::string& preset) = 0;
    virtual void progress(int percent) = 0;
    virtual void status(const std::string& text) = 0;
};

}  // namespace tav
