#pragma once

#include <QPointer>
#include <QWidget>
#include <functional>

#include "platform/prompter.h"

namespace tav::desktop {

// Message boxes and input dialogs over the main window. Progress and status
// text go to handlers the window installs (its progress bar and status line).
class QtPrompter : public Prompter {
public:
    explicit QtPrompter(QWidget* parent = nullptr) : parent_(parent) {}

    void setParent(QWidget* parent) { parent_ = parent; }
    std::function<void(int)> onProgress;
    std::function<void(const std::string&)> onStatus;

    void message(const std::string& text, MessageIcon icon) override;
    using Prompter::askYesNo;
    using Prompter::askYesNoCancel;
    bool askYesNo(const std::string& text, QuestionKind kind) override;
    Answer askYesNoCancel(const std::string& text, QuestionKind kind) override;
    std::optional<std::string> askText(const std::string& title, const std::string& label,
                                       const std::string& preset) override;
    void progress(int percent) override;
    void status(const std::string& text) override;

private:
    QPointer<QWidget> parent_;
};

}  // namespace tav::desktop
