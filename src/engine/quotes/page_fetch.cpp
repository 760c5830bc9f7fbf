#include "quotes/page_fetch.h"

#include "core/text.h"

namespace tav {

std::optional<std::string> fetchPage(QuoteContext& context, const std::string& url) {
    HttpResponse response = context.http.get(url, kPageBufferSize);
    if (response.status == HttpStatus::TooLarge ||
        (response.status == HttpStatus::Ok && response.body.size() >= kPageBufferSize)) {
        context.prompter.message("バッファオーバーフロー。", MessageIcon::Warning);
        return std::nullopt;
    }
    if (response.status != HttpStatus::Ok) {
        // A transfer that breaks off is a failed page, never a short one.
        context.failure = context.useInfoseek ? "infoseekのページを開けません。"
                                                    : "ＹＡＨＯＯのページを開けません。";
        return std::nullopt;
    }
    return text::sjisFromEucJp(response.body);
}

}  // namespace tav
