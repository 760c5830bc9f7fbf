#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "data/endpoints.h"
#include "platform/http.h"
#include "platform/prompter.h"

namespace tav {

// A page must fit this buffer with its terminating zero.
inline constexpr std::size_t kPageBufferSize = 65536;

// What the quote-site operations work with: the HTTP client, the prompter for
// progress and the overflow notice, the hosts and the QuoteSource setting.
// One context serves one operation: a page that fails leaves its text in
// `failure`, which the operation hands back to its caller.
struct QuoteContext {
    Http& http;
    Prompter& prompter;
    Endpoints endpoints;
    bool useInfoseek = false;
    std::string failure = {};
};

// Fetches a page and converts it from EUC-JP to Shift-JIS. A page that cannot
// be opened, or whose transfer breaks off, leaves the site's text in
// context.failure; a page of kPageBufferSize bytes or more shows
// "バッファオーバーフロー。". nullopt on any failure.
std::optional<std::string> fetchPage(QuoteContext& context, const std::string& url);

}  // namespace tav
