#pragma once

#include <chrono>

#include "platform/http.h"

namespace tav {

// Http on libcurl. Proxies come from the environment (http_proxy, https_proxy,
// no_proxy); up to five redirects are followed; only http and https are used.
class CurlHttp : public Http {
  public:
    struct Timeouts {
        std::chrono::milliseconds connect{15000};
        // A transfer that moves less than lowSpeedBytesPerSecond on average over
        // lowSpeedTime is abandoned, so a stalled server cannot hang the program.
        // The floor is well above a byte now and then: a server that drips keeps
        // a connection open but never delivers a page, and a batch would wait
        // for the overall deadline on every security.
        long lowSpeedBytesPerSecond = 1024;
        std::chrono::milliseconds lowSpeedTime{20000};
        // Whatever the server does, no transfer (redirects included) runs
        // longer: one that keeps a byte trickling in passes the speed check.
        std::chrono::milliseconds total{120000};
    };

    CurlHttp();
    explicit CurlHttp(const Timeouts& timeouts);

    HttpResponse get(const std::string& url, std::size_t maxBytes) override;
    HttpResponse get(const std::string& url, std::size_t maxBytes,
                     const HttpHeaders& headers) override;
    HttpResponse get(const std::string& url, std::size_t maxBytes, const HttpHeaders& headers,
                     const HttpRequestOptions& options) override;
    HttpStatus getToFile(const std::string& url, const std::string& path,
                         std::uint64_t maxBytes) override;

  private:
    Timeouts timeouts_;
};

}  // namespace tav
