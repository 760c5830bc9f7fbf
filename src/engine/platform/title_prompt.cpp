#include "platform/title_prompt.h"

#include "core/text.h"

namespace tav {

std::optional<std::string> askListTitle(Prompter& prompter, std::string_view dialogTitle,
                                        std::string_view label, const std::string& preset,
                                        std::size_t maxSjisBytes) {
    auto input = prompter.askText(std::string(dialogTitle), std::string(label), preset);
    if (!input || input->empty()) return std::nullopt;
    auto refuse = [&](std::string_view reason) -> std::optional<std::string> {
        prompter.message(std::string(label) + std::string(reason), MessageIcon::Stop);
        return std::nullopt;
    };
    if (input->find_first_of("\r\n") != std::string::npos) return refuse("に改行は使えません。");
    auto encoded = text::sjisFromUtf8Strict(*input);
    if (!encoded) return refuse("に使用できない文字が含まれています。");
    if (encoded->size() > maxSjisBytes) return refuse("が長すぎます。");
    return input;
}

void tellCannotWrite(Prompter& prompter, std::string_view fileName) {
    prompter.message("[" + std::string(fileName) + "]　に書き込めませんでした。",
                     MessageIcon::Stop);
}

}  // namespace tav
