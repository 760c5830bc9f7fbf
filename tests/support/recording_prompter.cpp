#include "support/recording_prompter.h"

namespace tav::test {

void RecordingPrompter::message(const std::string& text, MessageIcon icon) {
    calls.push_back({"message", text, icon});
}

bool RecordingPrompter::askYesNo(const std::string& text, QuestionKind kind) {
    calls.push_back({"yesno", text, MessageIcon::Warning, kind});
    if (answers.empty()) return true;
    Answer answer = answers.front();
    answers.pop_front();
    return answer == Answer::Yes;
}

Answer RecordingPrompter::askYesNoCancel(const std::string& text, QuestionKind kind) {
    calls.push_back({"yesnocancel", text, MessageIcon::Warning, kind});
    if (answers.empty()) return Answer::Yes;
    Answer answer = answers.front();
    answers.pop_front();
    return answer;
}

std::optional<std::string> RecordingPrompter::askText(const std::string& title,
                                                      const std::string& label,
                                                      const std::string& preset) {
    calls.push_back({"input", title + "|" + label + "|" + preset});
    if (inputs.empty()) return std::nullopt;
    auto input = inputs.front();
    inputs.pop_front();
    return input;
}

void RecordingPrompter::progress(int percent) { progressValues.push_back(percent); }

void RecordingPrompter::status(const std::string& text) { calls.push_back({"status", text}); }

std::vector<std::string> RecordingPrompter::messages() const {
    std::vector<std::string> texts;
    for (const auto& call : calls)
        if (call.kind == "message") texts.push_back(call.text);
    return texts;
}

std::vector<std::string> RecordingPrompter::questions() const {
    std::vector<std::string> texts;
    for (const auto& call : calls)
        if (call.kind == "yesno" || call.kind == "yesnocancel") texts.push_back(call.text);
    return texts;
}

}  // namespace tav::test
