#pragma once

#include <optional>
#include <string>

namespace tav {

enum class MessageIcon { Warning, Stop };
enum class Answer { Yes, No, Cancel };

// Everything the engine says to or asks of the user. Texts are UTF-8.
class Prompter {
public:
    virtual ~Prompter() = default;
    virtual void message(const std::string& text, MessageIcon icon) = 0;
    virtual bool askYesNo(const std::string& text) = 0;
    virtual Answer askYesNoCancel(const std::string& text) = 0;
    // One-line input; nullopt when the user cancels.
    virtual std::optional<std::string> askText(const std::string& title, const std::string& label,
                                               const std::string& preset) = 0;
    virtual void progress(int percent) = 0;
    virtual void status(const std::string& text) = 0;
};

}  // namespace tav
