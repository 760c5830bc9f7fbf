#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace tav {

enum class HttpStatus {
    Ok,             // a success answer (2xx) was read whole
    CannotConnect,  // the address could not be opened (no connection, bad address)
    TooLarge,       // the response did not fit the buffer; body holds its first maxBytes
    ReadFailed,     // the connection failed in the middle of the response
    CannotWrite,    // getToFile: the target file could not be created or written
    HttpError,      // the server answered with another status (httpCode); body holds its page
    TimedOut,       // the transfer was still running when its overall deadline passed
};

struct HttpResponse {
    HttpStatus status = HttpStatus::CannotConnect;
    long httpCode = 0;  // 0 when no response was received
    std::string body;
    // The answer's Retry-After header as sent (empty when it had none).
    std::string retryAfter;
};

// Extra request headers, "name" and "value" (credentials among them: an
// implementation never logs them).
using HttpHeaders = std::vector<std::pair<std::string, std::string>>;

struct HttpRequestOptions {
    // Off: a redirect is answered as it came (HttpError with its 3xx code), so
    // that credentials in the headers never travel to another address.
    bool followRedirects = true;
};

// HTTP GET. Every request sends the user agent "Agent". Every transfer ends
// by a deadline of the implementation's, whatever the server does.
class Http {
public:
    virtual ~Http() = default;
    // Reads the response into a buffer of at most maxBytes.
    virtual HttpResponse get(const std::string& url, std::size_t maxBytes) = 0;
    // The same with extra request headers.
    virtual HttpResponse get(const std::string& url, std::size_t maxBytes,
                             const HttpHeaders& headers) = 0;
    // The same with the request's options.
    virtual HttpResponse get(const std::string& url, std::size_t maxBytes,
                             const HttpHeaders& headers, const HttpRequestOptions& options) = 0;
    // Streams a success answer into a file of at most maxBytes. The file is
    // created (or truncated) at the first byte of that answer, so CannotConnect
    // and HttpError leave whatever was at path; a failure after that removes
    // the partial file.
    virtual HttpStatus getToFile(const std::string& url, const std::string& path,
                                 std::uint64_t maxBytes) = 0;
};

}  // namespace tav
