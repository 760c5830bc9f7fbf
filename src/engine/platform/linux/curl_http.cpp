#include "platform/linux/curl_http.h"

#include <curl/curl.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <mutex>
#include <string_view>

namespace tav {

namespace {

void initCurlOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

using Clock = std::chrono::steady_clock;

// Where the body goes, told the status code of the answer it belongs to;
// returning false aborts the transfer.
using BodySink = std::function<bool(long httpCode, const char* data, std::size_t size)>;

bool isSuccess(long httpCode) {
    return httpCode >= 200 && httpCode < 300;
}

struct Transfer {
    BodySink sink;
    // A final (non-redirect) status line or body bytes arrived: a failure from
    // here on is a broken read, not a failed connection.
    bool responseStarted = false;
    long httpCode = 0;  // of the last status line; a followed redirect's body never arrives
    std::string retryAfter;  // of the last answer

    Clock::time_point deadline = Clock::time_point::max();
    bool deadlinePassed = false;

    // The speed check. libcurl's own averages over several seconds beyond its
    // limit, which makes short limits (in tests) imprecise.
    std::chrono::milliseconds lowSpeedTime{0};
    curl_off_t lowSpeedBytes = 0;  // needed within lowSpeedTime
    Clock::time_point windowStart = Clock::now();
    curl_off_t windowBytes = 0;
};

std::size_t onBody(char* data, std::size_t size, std::size_t count, void* user) {
    auto* transfer = static_cast<Transfer*>(user);
    std::size_t bytes = size * count;
    transfer->responseStarted = true;
    return transfer->sink(transfer->httpCode, data, bytes) ? bytes : 0;
}

std::size_t onHeader(char* data, std::size_t size, std::size_t count, void* user) {
    auto* transfer = static_cast<Transfer*>(user);
    std::size_t bytes = size * count;
    if (bytes > 5 && std::memcmp(data, "HTTP/", 5) == 0) {
        const char* space = static_cast<const char*>(std::memchr(data, ' ', bytes));
        long code = space ? std::strtol(space + 1, nullptr, 10) : 0;
        transfer->httpCode = code;
        transfer->retryAfter.clear();
        // Interim and redirect responses are followed by another request.
        if (code >= 200 && (code < 300 || code >= 400)) transfer->responseStarted = true;
        return bytes;
    }
    constexpr std::string_view kRetryAfter = "retry-after:";
    std::string_view line(data, bytes);
    if (line.size() > kRetryAfter.size() &&
        std::equal(kRetryAfter.begin(), kRetryAfter.end(), line.begin(), [](char a, char b) {
            return a == std::tolower(static_cast<unsigned char>(b));
        })) {
        std::string_view value = line.substr(kRetryAfter.size());
        auto first = value.find_first_not_of(" \t");
        auto last = value.find_last_not_of(" \t\r\n");
        transfer->retryAfter =
            first == std::string_view::npos ? std::string() : std::string(value.substr(first, last - first + 1));
    }
    return bytes;
}

int onProgress(void* user, curl_off_t, curl_off_t downloaded, curl_off_t, curl_off_t uploaded) {
    auto* transfer = static_cast<Transfer*>(user);
    auto now = Clock::now();
    if (now >= transfer->deadline) {
        transfer->deadlinePassed = true;
        return 1;
    }
    curl_off_t moved = downloaded + uploaded;
    if (moved - transfer->windowBytes >= transfer->lowSpeedBytes) {
        transfer->windowStart = now;
        transfer->windowBytes = moved;
        return 0;
    }
    return now - transfer->windowStart >= transfer->lowSpeedTime ? 1 : 0;
}

struct CurlDeleter {
    void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};

struct Outcome {
    CURLcode code = CURLE_FAILED_INIT;
    long httpCode = 0;
    bool responseStarted = false;
    bool timedOut = false;
    std::string retryAfter;
};

struct SlistDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

Outcome perform(const std::string& url, const CurlHttp::Timeouts& timeouts, BodySink sink,
                const HttpHeaders& headers = {}, const HttpRequestOptions& options = {}) {
    initCurlOnce();
    Outcome outcome;
    std::unique_ptr<CURL, CurlDeleter> handle(curl_easy_init());
    if (!handle) return outcome;
    CURL* h = handle.get();
    Transfer transfer;
    transfer.sink = std::move(sink);
    transfer.lowSpeedTime = timeouts.lowSpeedTime;
    transfer.deadline = Clock::now() + timeouts.total;
    transfer.lowSpeedBytes = std::max<curl_off_t>(
        1, timeouts.lowSpeedBytesPerSecond * timeouts.lowSpeedTime.count() / 1000);

    curl_easy_setopt(h, CURLOPT_URL, url.c_str());
    curl_easy_setopt(h, CURLOPT_USERAGENT, "Agent");
    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, options.followRedirects ? 1L : 0L);
    curl_easy_setopt(h, CURLOPT_MAXREDIRS, 5L);
#if LIBCURL_VERSION_NUM >= 0x075500
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
#else
    curl_easy_setopt(h, CURLOPT_PROTOCOLS, static_cast<long>(CURLPROTO_HTTP | CURLPROTO_HTTPS));
    curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS,
                     static_cast<long>(CURLPROTO_HTTP | CURLPROTO_HTTPS));
#endif
    // Name lookups time out without signals, which other threads may not expect.
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(timeouts.connect.count()));
    // libcurl's own overall limit ends a wait the progress check would only
    // see at its next call.
    curl_easy_setopt(h, CURLOPT_TIMEOUT_MS, static_cast<long>(timeouts.total.count()));
    curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, onProgress);
    curl_easy_setopt(h, CURLOPT_XFERINFODATA, &transfer);
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, onBody);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(h, CURLOPT_HEADERFUNCTION, onHeader);
    // A proxy's answer to CONNECT is not the response.
    curl_easy_setopt(h, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
    curl_easy_setopt(h, CURLOPT_HEADERDATA, &transfer);
    std::unique_ptr<curl_slist, SlistDeleter> headerList;
    for (const auto& [name, value] : headers) {
        std::string line = name + ": " + value;
        curl_slist* appended = curl_slist_append(headerList.get(), line.c_str());
        if (!appended) return outcome;
        headerList.release();
        headerList.reset(appended);
    }
    if (headerList) {
        curl_easy_setopt(h, CURLOPT_HTTPHEADER, headerList.get());
        // Headers that carry credentials go to the address asked for only.
        curl_easy_setopt(h, CURLOPT_UNRESTRICTED_AUTH, 0L);
    }

    outcome.code = curl_easy_perform(h);
    curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &outcome.httpCode);
    outcome.responseStarted = transfer.responseStarted;
    outcome.retryAfter = std::move(transfer.retryAfter);
    // CURLE_OPERATION_TIMEDOUT also ends a connection attempt that took too
    // long; once connected it is the deadline.
    curl_off_t connectTime = 0;
    curl_easy_getinfo(h, CURLINFO_CONNECT_TIME_T, &connectTime);
    bool connected = connectTime > 0 || transfer.responseStarted;
    outcome.timedOut =
        transfer.deadlinePassed || (outcome.code == CURLE_OPERATION_TIMEDOUT && connected);
    return outcome;
}

// The status of a transfer the sink did not abort.
HttpStatus statusOf(const Outcome& outcome) {
    if (outcome.timedOut) return HttpStatus::TimedOut;
    if (outcome.code == CURLE_OK)
        return isSuccess(outcome.httpCode) ? HttpStatus::Ok : HttpStatus::HttpError;
    return outcome.responseStarted ? HttpStatus::ReadFailed : HttpStatus::CannotConnect;
}

bool writeAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        ssize_t written = ::write(fd, data, size);
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

}  // namespace

CurlHttp::CurlHttp() : CurlHttp(Timeouts{}) {}

CurlHttp::CurlHttp(const Timeouts& timeouts) : timeouts_(timeouts) {}

HttpResponse CurlHttp::get(const std::string& url, std::size_t maxBytes) {
    return get(url, maxBytes, {});
}

HttpResponse CurlHttp::get(const std::string& url, std::size_t maxBytes,
                           const HttpHeaders& headers) {
    return get(url, maxBytes, headers, HttpRequestOptions{});
}

HttpResponse CurlHttp::get(const std::string& url, std::size_t maxBytes,
                           const HttpHeaders& headers, const HttpRequestOptions& options) {
    HttpResponse response;
    bool tooLarge = false;
    Outcome outcome = perform(url, timeouts_, [&](long, const char* data, std::size_t size) {
        std::size_t room = maxBytes - response.body.size();
        if (size > room) {
            response.body.append(data, room);
            tooLarge = true;
            return false;
        }
        response.body.append(data, size);
        return true;
    }, headers, options);
    if (!tooLarge) {
        response.status = statusOf(outcome);
    } else {
        response.status =
            isSuccess(outcome.httpCode) ? HttpStatus::TooLarge : HttpStatus::HttpError;
    }
    response.httpCode = response.status == HttpStatus::CannotConnect ? 0 : outcome.httpCode;
    response.retryAfter = std::move(outcome.retryAfter);
    return response;
}

HttpStatus CurlHttp::getToFile(const std::string& url, const std::string& path,
                               std::uint64_t maxBytes) {
    // The file is opened on the first body byte of a success answer, so a
    // failed connection or an error page leaves whatever was at path untouched.
    int fd = -1;
    std::uint64_t written = 0;
    bool writeFailed = false;
    bool tooLarge = false;
    bool errorAnswer = false;
    // Only a regular file is written: a FIFO in its place would block the open.
    auto openTarget = [&] {
        fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NONBLOCK | O_CLOEXEC, 0666);
        struct stat info {};
        if (fd >= 0 && (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))) {
            ::close(fd);
            fd = -1;
        }
        return fd >= 0;
    };
    Outcome outcome =
        perform(url, timeouts_, [&](long httpCode, const char* data, std::size_t size) {
            if (!isSuccess(httpCode)) {
                errorAnswer = true;
                return false;
            }
            if (size > maxBytes - written) {
                tooLarge = true;
                return false;
            }
            written += size;
            if ((fd < 0 && !openTarget()) || !writeAll(fd, data, size)) {
                writeFailed = true;
                return false;
            }
            return true;
        });
    HttpStatus status = writeFailed   ? HttpStatus::CannotWrite
                        : tooLarge    ? HttpStatus::TooLarge
                        : errorAnswer ? HttpStatus::HttpError
                                      : statusOf(outcome);
    if (status == HttpStatus::Ok && fd < 0 && !openTarget()) return HttpStatus::CannotWrite;
    if (fd >= 0) {
        if (::close(fd) != 0 && status == HttpStatus::Ok) status = HttpStatus::CannotWrite;
        if (status != HttpStatus::Ok) ::unlink(path.c_str());
    }
    return status;
}

}  // namespace tav
