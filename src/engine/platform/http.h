#pragma once

#include <cstddef>
#include <string>

namespace tav {

enum class HttpStatus {
    Ok,             // the whole response was read (any HTTP status code)
    CannotConnect,  // the address could not be opened (no connection, bad address)
    TooLarge,       // the response did not fit the buffer; body holds its first maxBytes
    ReadFailed,     // the connection failed in the middle of the response
    CannotWrite,    // getToFile: the target file could not be created or written
};

struct HttpResponse {
    HttpStatus status = HttpStatus::CannotConnect;
    long httpCode = 0;  // 0 when no response was received
    std::string body;
};

// HTTP GET. Every request sends the user agent "Agent".
class Http {
public:
    virtual ~Http() = default;
    // Reads the response into a buffer of at most maxBytes.
    virtual HttpResponse get(const std::string& url, std::size_t maxBytes) = 0;
    // Streams the response into a file (created or truncated). On any failure
    // other than CannotConnect the partial file is removed.
    virtual HttpStatus getToFile(const std::string& url, const std::string& path) = 0;
};

}  // namespace tav
