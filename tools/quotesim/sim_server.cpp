#include "sim_server.h"

#include <chrono>

#include "api_pages.h"

#include "site_router.h"
#include "site_symbols.h"

namespace tav::quotesim {

namespace {

constexpr std::string_view kFaultPrefix = "/fault/";

void pause(long milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(std::max(0L, milliseconds)));
}

// The page index a price-history query asks for.
int pageIndex(std::string_view path, const httplib::Params& params) {
    if (isApiPath(path)) return apiRowOffset(params) / kApiPageRows;
    auto offset = [&](const char* key) {
        auto found = params.find(key);
        return found == params.end() ? 0 : static_cast<int>(leadingNumber(found->second));
    };
    if (path == "/t") return offset("y") / 50;
    if (path == "/q/hp") return offset("y") / 66;
    return offset("st") / 50;
}

// Filler lines at the end, which no reader looks at, up to exactly size bytes.
void padTo(std::string& body, std::size_t size) {
    constexpr std::string_view kLine = "<!-- padding -->\n";
    while (body.size() + kLine.size() <= size)
        body += kLine;
    body.append(size > body.size() ? size - body.size() : 0, '\n');
}

std::string queryText(const httplib::Params& params) {
    std::string query;
    for (const auto& [key, value] : params)
        query += (query.empty() ? "" : "&") + key + "=" + value;
    return query;
}

}  // namespace

std::optional<Fault> parseFault(std::string_view text) {
    Fault fault;
    if (auto at = text.find('@'); at != std::string_view::npos) {
        std::string_view page = text.substr(at + 1);
        if (page.empty() || page.find_first_not_of("0123456789") != std::string_view::npos)
            return std::nullopt;
        fault.fromPage = static_cast<int>(leadingNumber(page));
        text = text.substr(0, at);
    }
    std::string_view argument;
    if (auto dash = text.find('-'); dash != std::string_view::npos) {
        argument = text.substr(dash + 1);
        text = text.substr(0, dash);
        if (argument.empty() || argument.find_first_not_of("0123456789") != std::string_view::npos)
            return std::nullopt;
        fault.argument = static_cast<long>(leadingNumber(argument));
    }
    struct Name {
        std::string_view name;
        Fault::Kind kind;
        bool needsArgument;
    };
    static constexpr Name kNames[] = {
        {"notfound", Fault::Kind::NotFound, false}, {"slow", Fault::Kind::Slow, true},
        {"stall", Fault::Kind::Stall, true},        {"truncate", Fault::Kind::Truncate, false},
        {"size", Fault::Kind::Size, true},          {"drip", Fault::Kind::Drip, true},
        {"status", Fault::Kind::Status, true},      {"bomb", Fault::Kind::Bomb, true},
        {"upper", Fault::Kind::Upper, false},       {"busy", Fault::Kind::Busy, true},
        {"baddate", Fault::Kind::BadDate, false},   {"redirect", Fault::Kind::Redirect, true}};
    for (const Name& name : kNames) {
        if (name.name != text) continue;
        if (name.needsArgument == argument.empty()) return std::nullopt;
        bool statusLine = fault.argument >= 100 && fault.argument <= 599;
        if (name.kind == Fault::Kind::Status && !statusLine) return std::nullopt;
        fault.kind = name.kind;
        return fault;
    }
    return std::nullopt;
}

SimServer::SimServer(const Market& market, ServerOptions options)
    : market_(market), options_(std::move(options)) {
    server_.Get(".*", [this](const httplib::Request& request, httplib::Response& response) {
        handle(request, response);
    });
}

SimServer::~SimServer() {
    stop();
    if (thread_.joinable()) thread_.join();
}

int SimServer::bind(int port) {
    if (port == 0) {
        port_ = server_.bind_to_any_port("127.0.0.1");
    } else {
        port_ = server_.bind_to_port("127.0.0.1", port) ? port : -1;
    }
    return port_;
}

void SimServer::listen() {
    if (port_ > 0) server_.listen_after_bind();
}

int SimServer::start(int port) {
    if (bind(port) < 0) return -1;
    thread_ = std::thread([this] { listen(); });
    for (int waited = 0; !server_.is_running(); ++waited) {
        if (waited == 5000) return -1;  // listening never began
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return port_;
}

void SimServer::stop() {
    stopping_ = true;
    server_.stop();
}

std::vector<std::string> SimServer::requests() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
}

std::vector<std::string> SimServer::apiKeysSeen() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return apiKeysSeen_;
}

void SimServer::handle(const httplib::Request& request, httplib::Response& response) {
    std::string line = request.target;
    if (line.empty()) {
        line = request.path;
        if (!request.params.empty()) line += "?" + queryText(request.params);
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        requests_.push_back(line);
        apiKeysSeen_.push_back(request.get_header_value("x-api-key"));
        if (options_.log) *options_.log << "GET " << line << std::endl;
    }

    std::string_view path = request.path;
    std::optional<Fault> fault = options_.fault;
    if (path.substr(0, kFaultPrefix.size()) == kFaultPrefix) {
        std::string_view rest = path.substr(kFaultPrefix.size());
        std::size_t slash = rest.find('/');
        fault = parseFault(rest.substr(0, slash));
        path = slash == std::string_view::npos ? std::string_view("/") : rest.substr(slash);
    }
    if (fault && pageIndex(path, request.params) < fault->fromPage) fault.reset();

    ArchiveStyle archiveStyle;
    if (fault && fault->kind == Fault::Kind::Bomb)
        archiveStyle.bombMiB = static_cast<uint32_t>(std::min(fault->argument, 4095L));
    if (fault && fault->kind == Fault::Kind::Upper) archiveStyle.upperCaseNames = true;
    SiteResponse page;
    if (isApiPath(path)) {
        bool busy = false;
        if (fault && fault->kind == Fault::Kind::Busy) {
            std::lock_guard<std::mutex> lock(mutex_);
            busy = ++busyAnswers_[fault->argument] <= fault->argument;
        }
        if (options_.apiRequestsPerMinute > 0) {
            std::lock_guard<std::mutex> lock(mutex_);
            auto now = std::chrono::steady_clock::now();
            std::erase_if(apiAnswered_, [&](auto at) { return now - at >= std::chrono::minutes(1); });
            if (static_cast<int>(apiAnswered_.size()) >= options_.apiRequestsPerMinute)
                busy = true;
            else
                apiAnswered_.push_back(now);
        }
        if (request.get_header_value("x-api-key").empty() ||
            (!options_.apiKey.empty() && request.get_header_value("x-api-key") != options_.apiKey)) {
            page = apiError(403, "The incoming key is invalid or expired.");
        } else if (fault && fault->kind == Fault::Kind::Redirect) {
            page = apiError(302, "Found");
            std::string query = queryText(request.params);
            response.set_header("Location", "http://127.0.0.1:" + std::to_string(fault->argument) +
                                                std::string(path) + (query.empty() ? "" : "?" + query));
        } else if (busy) {
            // No Retry-After: the real API promises none.
            page = apiError(429, "Too Many Requests");
        } else {
            page = apiResponse(market_, path, request.params,
                               fault && fault->kind == Fault::Kind::BadDate,
                               ApiPlanRules{options_.apiPlan});
        }
    } else if (fault && fault->kind == Fault::Kind::NotFound) {
        page = respond(market_, "/fault/notfound", {});
    } else {
        page = respond(market_, path, request.params, archiveStyle);
    }
    response.status = page.status;
    if (fault) {
        switch (fault->kind) {
            case Fault::Kind::Busy:
            case Fault::Kind::Redirect:
            case Fault::Kind::BadDate:
            case Fault::Kind::NotFound:
            case Fault::Kind::Bomb:
            case Fault::Kind::Upper:
                break;
            case Fault::Kind::Status:
                response.status = static_cast<int>(fault->argument);
                break;
            case Fault::Kind::Slow:
                pause(fault->argument);
                break;
            case Fault::Kind::Size:
                padTo(page.body, static_cast<std::size_t>(fault->argument));
                break;
            case Fault::Kind::Drip: {
                auto body = std::make_shared<std::string>(std::move(page.body));
                long milliseconds = fault->argument;
                response.set_content_provider(
                    body->size(), page.contentType,
                    [this, body, milliseconds](size_t offset, size_t, httplib::DataSink& sink) {
                        if (stopping_) return false;
                        pause(milliseconds);
                        return sink.write(body->data() + offset, 1);
                    });
                break;
            }
            case Fault::Kind::Stall:
            case Fault::Kind::Truncate: {
                auto body = std::make_shared<std::string>(std::move(page.body));
                std::size_t half = body->size() / 2;
                bool stall = fault->kind == Fault::Kind::Stall;
                long milliseconds = fault->argument;
                response.set_content_provider(
                    body->size(), page.contentType,
                    [body, half, stall, milliseconds](size_t offset, size_t,
                                                      httplib::DataSink& sink) {
                        if (offset < half) return sink.write(body->data() + offset, half - offset);
                        if (!stall) return false;  // the connection closes short of its length
                        if (offset == half) pause(milliseconds);
                        return sink.write(body->data() + offset, body->size() - offset);
                    });
                break;
            }
        }
    }
    bool provided =
        fault && (fault->kind == Fault::Kind::Stall || fault->kind == Fault::Kind::Truncate ||
                  fault->kind == Fault::Kind::Drip);
    if (!provided) response.set_content(page.body, page.contentType);

    if (options_.refuseAfter > 0 && ++answered_ >= options_.refuseAfter) server_.stop();
}

}  // namespace tav::quotesim
