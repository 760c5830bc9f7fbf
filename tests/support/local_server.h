#pragma once

#include <httplib.h>

#include <map>
#include <mutex>
#include <string>
#include <thread>

namespace tav::test {

// An HTTP server on 127.0.0.1 at a port the system picks, serving fixed bodies
// by path; stopped when the object goes.
class LocalServer {
public:
    LocalServer() {
        server_.Get(".*", [this](const httplib::Request& request, httplib::Response& response) {
            std::lock_guard<std::mutex> lock(mutex_);
            ++hits_[request.path];
            auto found = bodies_.find(request.path);
            if (found == bodies_.end()) {
                response.status = 404;
                response.set_content("not found", "text/html");
                return;
            }
            response.set_content(found->second, "application/octet-stream");
        });
        port_ = server_.bind_to_any_port("127.0.0.1");
        thread_ = std::thread([this] { server_.listen_after_bind(); });
        while (!server_.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ~LocalServer() {
        server_.stop();
        thread_.join();
    }

    void serve(const std::string& path, std::string body) {
        std::lock_guard<std::mutex> lock(mutex_);
        bodies_[path] = std::move(body);
    }
    int hits(const std::string& path) {
        std::lock_guard<std::mutex> lock(mutex_);
        return hits_[path];
    }
    std::string url(const std::string& path) const {
        return "http://127.0.0.1:" + std::to_string(port_) + path;
    }
    std::string host() const { return "http://127.0.0.1:" + std::to_string(port_); }

private:
    httplib::Server server_;
    int port_ = 0;
    std::thread thread_;
    std::mutex mutex_;
    std::map<std::string, std::string> bodies_;
    std::map<std::string, int> hits_;
};

}  // namespace tav::test
