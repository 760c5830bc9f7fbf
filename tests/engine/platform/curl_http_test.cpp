#include "platform/linux/curl_http.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <httplib.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "support/temp_folder.h"

namespace tav {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

// Sets or unsets an environment variable for the life of the object.
class ScopedEnv {
  public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        if (value) {
            setenv(name, value, 1);
        } else {
            unsetenv(name);
        }
    }
    ~ScopedEnv() {
        if (old_) {
            setenv(name_, old_->c_str(), 1);
        } else {
            unsetenv(name_);
        }
    }

  private:
    const char* name_;
    std::optional<std::string> old_;
};

// A listening socket on 127.0.0.1 that answers one connection with a fixed
// reply, then either closes or holds the connection until the client leaves.
class RawServer {
  public:
    RawServer(std::string reply, bool hold) {
        listener_ = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            listen(listener_, 4) != 0 ||
            getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
            ADD_FAILURE() << "cannot listen on 127.0.0.1";
            return;
        }
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this, reply = std::move(reply), hold] { serve(reply, hold); });
    }
    ~RawServer() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
        close(listener_);
    }

    std::string url(const std::string& path = "/") const {
        return "http://127.0.0.1:" + std::to_string(port_) + path;
    }
    std::string request() {
        std::lock_guard<std::mutex> lock(mutex_);
        return request_;
    }

  private:
    // Waits for fd to become readable; false once the server is stopping.
    bool waitReadable(int fd) {
        pollfd p{fd, POLLIN, 0};
        while (!stop_) {
            if (poll(&p, 1, 50) > 0) return true;
        }
        return false;
    }

    void serve(const std::string& reply, bool hold) {
        if (!waitReadable(listener_)) return;
        int connection = accept(listener_, nullptr, nullptr);
        if (connection < 0) return;
        std::string received;
        char buffer[4096];
        while (received.find("\r\n\r\n") == std::string::npos && waitReadable(connection)) {
            ssize_t n = recv(connection, buffer, sizeof buffer, 0);
            if (n <= 0) break;
            received.append(buffer, static_cast<std::size_t>(n));
        }
        {
            std::lock_guard<std::mutex> lock(mutex_);
            request_ = received;
        }
        if (!reply.empty()) send(connection, reply.data(), reply.size(), MSG_NOSIGNAL);
        while (hold && waitReadable(connection)) {
            if (recv(connection, buffer, sizeof buffer, 0) <= 0) break;
        }
        close(connection);
    }

    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    std::thread thread_;
    std::mutex mutex_;
    std::string request_;
};

std::string pattern(std::size_t size) {
    std::string text;
    for (std::size_t i = 0; i < size; ++i)
        text += static_cast<char>('a' + i * 7 % 26);
    return text;
}

class CurlHttpTest : public ::testing::Test {
  protected:
    void SetUp() override {
        server_.Get("/ok", [](const httplib::Request&, httplib::Response& res) {
            res.set_content("hello body", "text/plain");
        });
        server_.Get("/missing", [](const httplib::Request&, httplib::Response& res) {
            res.status = 404;
            res.set_content("no such page", "text/html");
        });
        server_.Get("/big", [](const httplib::Request&, httplib::Response& res) {
            res.set_content(pattern(100000), "application/octet-stream");
        });
        server_.Get("/empty", [](const httplib::Request&, httplib::Response& res) {
            res.set_content("", "text/plain");
        });
        server_.Get("/agent", [](const httplib::Request& req, httplib::Response& res) {
            res.set_content(req.get_header_value("User-Agent"), "text/plain");
        });
        server_.Get("/moved", [](const httplib::Request&, httplib::Response& res) {
            res.set_redirect("/ok");
        });
        server_.Get("/loop", [](const httplib::Request&, httplib::Response& res) {
            res.set_redirect("/loop");
        });
        port_ = server_.bind_to_any_port("127.0.0.1");
        ASSERT_GT(port_, 0);
        thread_ = std::thread([this] { server_.listen_after_bind(); });
        // stop() is ignored until the server runs.
        for (int i = 0; i < 5000 && !server_.is_running(); ++i)
            std::this_thread::sleep_for(1ms);
        ASSERT_TRUE(server_.is_running());
    }
    void TearDown() override {
        server_.stop();
        if (thread_.joinable()) thread_.join();
    }

    std::string url(const std::string& path) const {
        return "http://127.0.0.1:" + std::to_string(port_) + path;
    }

    // Keeps a proxy configured on the machine away from the local servers.
    ScopedEnv noProxy_{"no_proxy", "127.0.0.1"};
    ScopedEnv httpProxy_{"http_proxy", nullptr};
    ScopedEnv httpProxyUpper_{"HTTP_PROXY", nullptr};
    httplib::Server server_;
    std::thread thread_;
    int port_ = 0;
    CurlHttp http_{CurlHttp::Timeouts{2000ms, 1, 500ms}};
};

TEST_F(CurlHttpTest, OnlyASuccessAnswerIsOk) {
    HttpResponse ok = http_.get(url("/ok"), 1000);
    EXPECT_EQ(ok.status, HttpStatus::Ok);
    EXPECT_EQ(ok.httpCode, 200);
    EXPECT_EQ(ok.body, "hello body");

    // The error page still comes, for callers that recognise a server's page.
    HttpResponse missing = http_.get(url("/missing"), 1000);
    EXPECT_EQ(missing.status, HttpStatus::HttpError);
    EXPECT_EQ(missing.httpCode, 404);
    EXPECT_EQ(missing.body, "no such page");
    EXPECT_EQ(http_.get(url("/missing"), 4).status, HttpStatus::HttpError);
}

TEST_F(CurlHttpTest, SendsTheAgentAndFollowsBoundedRedirects) {
    EXPECT_EQ(http_.get(url("/agent"), 100).body, "Agent");

    HttpResponse moved = http_.get(url("/moved"), 1000);
    EXPECT_EQ(moved.status, HttpStatus::Ok);
    EXPECT_EQ(moved.httpCode, 200);
    EXPECT_EQ(moved.body, "hello body");

    EXPECT_EQ(http_.get(url("/loop"), 1000).status, HttpStatus::CannotConnect);
}

TEST_F(CurlHttpTest, BodyLargerThanTheBufferKeepsItsExactPrefix) {
    HttpResponse cut = http_.get(url("/big"), 4096);
    EXPECT_EQ(cut.status, HttpStatus::TooLarge);
    EXPECT_EQ(cut.httpCode, 200);
    EXPECT_EQ(cut.body, pattern(100000).substr(0, 4096));

    HttpResponse exact = http_.get(url("/big"), 100000);
    EXPECT_EQ(exact.status, HttpStatus::Ok);
    EXPECT_EQ(exact.body, pattern(100000));

    EXPECT_EQ(http_.get(url("/ok"), 0).status, HttpStatus::TooLarge);
    EXPECT_EQ(http_.get(url("/empty"), 0).status, HttpStatus::Ok);
}

TEST_F(CurlHttpTest, AddressesThatCannotBeOpened) {
    std::string refused = RawServer("", false).url();  // nothing listens there any more
    for (const std::string& bad :
         {refused, std::string("not a url"), std::string("http://"),
          std::string("file:///etc/passwd"), "ftp://127.0.0.1:" + std::to_string(port_) + "/"}) {
        SCOPED_TRACE(bad);
        HttpResponse response = http_.get(bad, 1000);
        EXPECT_EQ(response.status, HttpStatus::CannotConnect);
        EXPECT_EQ(response.httpCode, 0);
        EXPECT_EQ(response.body, "");
    }
}

TEST_F(CurlHttpTest, BrokenAndStalledResponses) {
    {
        RawServer cut("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\nonly ten b", false);
        HttpResponse response = http_.get(cut.url(), 1000);
        EXPECT_EQ(response.status, HttpStatus::ReadFailed);
        EXPECT_EQ(response.httpCode, 200);
    }
    auto start = std::chrono::steady_clock::now();
    {
        RawServer stalled("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\nfirst", true);
        EXPECT_EQ(http_.get(stalled.url(), 1000).status, HttpStatus::ReadFailed);
    }
    {
        RawServer silent("", true);
        EXPECT_EQ(http_.get(silent.url(), 1000).status, HttpStatus::CannotConnect);
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
}

TEST_F(CurlHttpTest, ProxyComesFromTheEnvironment) {
    RawServer proxy("HTTP/1.1 200 OK\r\nContent-Length: 7\r\nConnection: close\r\n\r\nproxied",
                    false);
    ScopedEnv useProxy("http_proxy", proxy.url().c_str());
    ScopedEnv noException("no_proxy", nullptr);
    ScopedEnv noExceptionUpper("NO_PROXY", nullptr);
    HttpResponse response = http_.get("http://data.example.invalid/prices.txt", 1000);
    EXPECT_EQ(response.status, HttpStatus::Ok);
    EXPECT_EQ(response.body, "proxied");
    EXPECT_EQ(proxy.request().rfind("GET http://data.example.invalid/prices.txt HTTP/1.1\r\n", 0),
              0u)
        << proxy.request();
}

TEST_F(CurlHttpTest, GetToFileWritesTheWholeBody) {
    test::TempFolder folder;
    EXPECT_EQ(http_.getToFile(url("/big"), (folder / "big.bin").string(), 100000), HttpStatus::Ok);
    EXPECT_EQ(test::readFile(folder / "big.bin"), pattern(100000));

    test::writeFile(folder / "old.txt", "previous contents that are longer");
    EXPECT_EQ(http_.getToFile(url("/empty"), (folder / "old.txt").string(), 0), HttpStatus::Ok);
    EXPECT_TRUE(fs::exists(folder / "old.txt"));
    EXPECT_EQ(fs::file_size(folder / "old.txt"), 0u);
}

TEST_F(CurlHttpTest, GetToFileLeavesNoPartialFile) {
    test::TempFolder folder;
    RawServer server("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\nonly ten b", false);
    struct Case {
        std::string url;
        std::uint64_t maxBytes;
        HttpStatus status;
    } cases[] = {
        {"http://", 1000, HttpStatus::CannotConnect},
        {server.url(), 1000, HttpStatus::ReadFailed},
        {url("/missing"), 1000, HttpStatus::HttpError},
        {url("/big"), 99999, HttpStatus::TooLarge},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.url);
        EXPECT_EQ(http_.getToFile(c.url, (folder / "x.bin").string(), c.maxBytes), c.status);
        EXPECT_FALSE(fs::exists(folder / "x.bin"));
    }
    // An error page does not replace what was there.
    test::writeFile(folder / "old.txt", "kept");
    EXPECT_EQ(http_.getToFile(url("/missing"), (folder / "old.txt").string(), 1000),
              HttpStatus::HttpError);
    EXPECT_EQ(test::readFile(folder / "old.txt"), "kept");
    fs::remove(folder / "old.txt");

    EXPECT_EQ(http_.getToFile(url("/ok"), (folder / "no-such-folder" / "x.bin").string(), 1000),
              HttpStatus::CannotWrite);
    EXPECT_TRUE(fs::is_empty(folder.path()));
}

// A server that paces its bodies: /drip sends a byte a second, /steady 5 MiB
// in 64 KiB pieces over about four seconds.
class PacedServer {
  public:
    static constexpr std::size_t kSteadyBytes = 5 << 20;
    static constexpr std::size_t kPiece = 64 << 10;

    PacedServer() {
        server_.Get("/drip", [this](const httplib::Request&, httplib::Response& res) {
            res.set_content_provider(1000, "text/html",
                                     [this](size_t offset, size_t, httplib::DataSink& sink) {
                                         if (!pause(1000ms)) return false;
                                         return sink.write(&kBody[offset % 26], 1);
                                     });
        });
        server_.Get("/steady", [this](const httplib::Request&, httplib::Response& res) {
            res.set_content_provider(kSteadyBytes, "application/octet-stream",
                                     [this](size_t offset, size_t, httplib::DataSink& sink) {
                                         if (!pause(50ms)) return false;
                                         std::string piece =
                                             pattern(std::min(kPiece, kSteadyBytes - offset));
                                         return sink.write(piece.data(), piece.size());
                                     });
        });
        port_ = server_.bind_to_any_port("127.0.0.1");
        thread_ = std::thread([this] { server_.listen_after_bind(); });
        for (int i = 0; i < 5000 && !server_.is_running(); ++i)
            std::this_thread::sleep_for(1ms);
    }
    ~PacedServer() {
        stopping_ = true;
        server_.stop();
        if (thread_.joinable()) thread_.join();
    }
    std::string url(const std::string& path) const {
        return "http://127.0.0.1:" + std::to_string(port_) + path;
    }

  private:
    static constexpr char kBody[] = "abcdefghijklmnopqrstuvwxyz";

    // Sleeps in short steps so that stopping the server never waits long;
    // false once it is stopping.
    bool pause(std::chrono::milliseconds span) {
        for (auto slept = 0ms; slept < span && !stopping_; slept += 10ms)
            std::this_thread::sleep_for(10ms);
        return !stopping_;
    }

    httplib::Server server_;
    std::thread thread_;
    int port_ = 0;
    std::atomic<bool> stopping_{false};
};

TEST(CurlHttpSpeed, ADripEndsAtTheSpeedWindowWhileASteadyTransferCompletes) {
    ScopedEnv noProxy("no_proxy", "127.0.0.1");
    ScopedEnv httpProxy("http_proxy", nullptr);
    ScopedEnv httpProxyUpper("HTTP_PROXY", nullptr);
    PacedServer server;
    // The default speed floor and deadline, with the window shortened from its
    // default so that the test takes seconds.
    CurlHttp::Timeouts timeouts;
    EXPECT_EQ(timeouts.lowSpeedTime, 20s);
    timeouts.lowSpeedTime = 2s;
    CurlHttp http(timeouts);

    auto start = std::chrono::steady_clock::now();
    HttpResponse drip = http.get(server.url("/drip"), 65536);
    auto dripTime = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(drip.status, HttpStatus::ReadFailed);
    EXPECT_GE(dripTime, 2s);
    EXPECT_LT(dripTime, 5s);

    // Longer than the window, but never below the floor within it.
    test::TempFolder folder;
    start = std::chrono::steady_clock::now();
    EXPECT_EQ(http.getToFile(server.url("/steady"), (folder / "archive.lzh").string(),
                             PacedServer::kSteadyBytes),
              HttpStatus::Ok);
    EXPECT_GT(std::chrono::steady_clock::now() - start, 3s);
    EXPECT_EQ(fs::file_size(folder / "archive.lzh"), PacedServer::kSteadyBytes);
}

}  // namespace
}  // namespace tav
