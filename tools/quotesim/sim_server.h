#pragma once

#include <httplib.h>

#include <atomic>
#include <chrono>
#include <map>
#include <mutex>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "market.h"

namespace tav::quotesim {

// A fault to inject into responses, written "KIND[-ARG][@PAGE]":
//   notfound      the not-found page with status 404
//   slow-MS       the page after a pause of MS milliseconds
//   stall-MS      half the page, a pause of MS milliseconds, the rest
//   truncate      half the page under a Content-Length of the whole, then the
//                 connection closes (a read that fails mid-page)
//   size-BYTES    the page padded at its end to BYTES bytes (65536 and more
//                 overflow the readers' page buffer)
//   drip-MS       the page one byte at a time, MS milliseconds apart
//   status-CODE   the page under the HTTP status CODE
//   bomb-MIB      an archive bomb in place of an archive: entries decoding to
//                 MIB MiB each, the last under the real entry's name
//   upper         archives whose entry names are in capitals ("20050315.CSV")
//   busy-N        the data API answers the first N requests that carry this
//                 fault (counted apart for each N) with 429, without Retry-After
//                 as the real API does
//   redirect-PORT the data API answers 302 to the same path and query on
//                 127.0.0.1:PORT (another server)
//   baddate       the data API's rows carry an impossible date
// "@PAGE" limits the fault to pages from that index on (the row offset of the
// query y= or st= divided by the rows per page), so a fetch can fail on its
// third page after two good ones.
struct Fault {
    enum class Kind { NotFound, Slow, Stall, Truncate, Size, Drip, Status, Bomb, Upper, Busy, BadDate, Redirect };
    Kind kind = Kind::NotFound;
    long argument = 0;
    int fromPage = 0;
};
std::optional<Fault> parseFault(std::string_view text);

struct ServerOptions {
    std::optional<Fault> fault;  // applied to every request
    // Stop listening once this many requests have been answered (0: never):
    // later connections are refused.
    int refuseAfter = 0;
    std::ostream* log = nullptr;  // one line per request when set
    // The data API's key: requests under "/v2" without it in x-api-key get 403.
    std::string apiKey = {};
    // The key's plan ("free", "light", "standard", "premium"; empty: no limits
    // of a plan): the dates and indices it covers.
    std::string apiPlan = {};
    // Requests a minute the data API answers before 429 (0: no limit).
    int apiRequestsPerMinute = 0;
};

// The sites on 127.0.0.1. A path that starts with "/fault/FAULT" gets that
// fault and is otherwise served as the rest of the path, so pointing one
// endpoint at "http://127.0.0.1:PORT/fault/truncate" breaks just that site.
class SimServer {
  public:
    SimServer(const Market& market, ServerOptions options);
    ~SimServer();
    SimServer(const SimServer&) = delete;
    SimServer& operator=(const SimServer&) = delete;

    // Binds 127.0.0.1:port (0 picks a free port); the port, or -1.
    int bind(int port);
    // Serves until stop(); returns at once when not bound.
    void listen();
    // bind and listen on a thread of its own (for tests); the port, or -1.
    int start(int port = 0);
    void stop();

    int port() const { return port_; }
    std::string host() const { return "http://127.0.0.1:" + std::to_string(port_); }
    // Every request so far as sent ("path?query"), in arrival order.
    std::vector<std::string> requests() const;
    // The x-api-key header of every request so far ("" when it had none).
    std::vector<std::string> apiKeysSeen() const;

  private:
    void handle(const httplib::Request& request, httplib::Response& response);

    const Market& market_;
    ServerOptions options_;
    httplib::Server server_;
    int port_ = -1;
    std::thread thread_;
    mutable std::mutex mutex_;
    std::vector<std::string> requests_;
    std::atomic<int> answered_{0};
    std::map<long, int> busyAnswers_;  // requests that met busy-N, by N
    std::vector<std::string> apiKeysSeen_;
    std::vector<std::chrono::steady_clock::time_point> apiAnswered_;  // within the last minute
    std::atomic<bool> stopping_{false};  // ends the responses that drip
};

}  // namespace tav::quotesim
