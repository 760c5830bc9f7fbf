#pragma once

#include <httplib.h>

#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "core/text.h"

// Hand-made quote-site pages in the layouts the parsers read, and a server on
// 127.0.0.1 that serves them and records every request.
namespace tav::test {

// UTF-8 to EUC-JP, as the sites send their pages.
inline std::string euc(std::string_view utf8) {
    std::string sjis = text::sjisFromUtf8(utf8);
    std::string out;
    for (std::size_t i = 0; i < sjis.size(); ++i) {
        auto c = static_cast<unsigned char>(sjis[i]);
        if (c >= 0xA1 && c <= 0xDF) {
            out += '\x8E';
            out += static_cast<char>(c);
        } else if (text::isSjisLeadByte(c) && i + 1 < sjis.size()) {
            unsigned s1 = c;
            unsigned s2 = static_cast<unsigned char>(sjis[++i]);
            unsigned row = (s1 <= 0x9F ? s1 - 0x70 : s1 - 0xB0) * 2;
            if (s2 < 0x9F) {
                row -= 1;
                s2 -= s2 > 0x7F ? 0x20 : 0x1F;
            } else {
                s2 -= 0x7E;
            }
            out += static_cast<char>(row + 0x80);
            out += static_cast<char>(s2 + 0x80);
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

inline std::string sjis(std::string_view utf8) {
    return text::sjisFromUtf8(utf8);
}

struct PageRow {
    std::string date;  // as the site writes it
    std::string open, high, low, close, volume;
    std::string extra;  // appended to the row line (split texts)
};

// Yahoo! Japan price table, UTF-8.
inline std::string yahooJapanPage(const std::vector<PageRow>& rows, bool further) {
    std::string page = "<html><body>\n<table>\n";
    page +=
        "<tr bgcolor=\"#dcdcdc\"><th>日付</th><th>始値</th><th>高値</th><th>安値</th><th>終値</th>"
        "<th>出来高</th><th>調整後終値*</th></tr>\n<tr\n";
    for (const PageRow& row : rows) {
        page += "align=right bgcolor=\"#ffffff\"><td><small>" + row.date +
                "</small></td><td><small>" + row.open + "</small></td><td><small>" + row.high +
                "</small></td><td><small>" + row.low + "</small></td><td><small><b>" + row.close +
                "</b></small></td><td><small>" + row.volume + "</small></td><td><small>" +
                row.close + "</small></td>" + row.extra + "</tr><tr\n";
    }
    page += further ? "></table><a href=\"/t?next\">次の50件</a>\n" : "></table>\n";
    return page + "</body></html>\n";
}

// Infoseek stock history, UTF-8. Rows: date cell "2005/03/15", then close,
// open, high, low, volume.
inline std::string infoseekPage(const std::vector<PageRow>& rows, bool further) {
    std::string page = "<html>\n<table>\n  <tr>\n    <th>日付</th>\n    <th>出来高</th>\n  </tr>\n";
    for (const PageRow& row : rows) {
        page += "            <tr align=\"right\" bgcolor=\"#ffffff\">\n";
        page += "              <td align=\"center\">" + row.date + "</td>\n";
        for (const std::string* cell : {&row.close, &row.open, &row.high, &row.low, &row.volume})
            page += "              <td>" + *cell + "</td>\n";
        page += "            </tr>\n";
    }
    page += "    </table>\n";
    for (int i = 1; i <= 7; ++i)
        page += "<p>line " + std::to_string(i) + "</p>\n";
    page += further ? "<a href=\"/MnStock/mn_slast.html?st=50\">next</a>\n" : "<p>end</p>\n";
    return page + "</html>\n";
}

inline std::string forexPage(const std::vector<PageRow>& rows, bool further) {
    std::string page = "<html>\n<table>\n<tr>\n<th>日付</th>\n<th>安値</th>\n</tr>\n";
    for (const PageRow& row : rows) {
        page += "<tr align=\"right\" bgcolor=\"#ffffff\">\n";
        page += "<td align=\"center\">" + row.date + "</td>\n";
        for (const std::string* cell : {&row.close, &row.open, &row.high, &row.low, &row.volume})
            page += "<td>" + *cell + "</td>\n";
        page += "</tr>\n";
    }
    page += "</table>\n<p>notes</p>\n-- pages --\n";
    page += further ? "<a href=\"/MnForex/fxlast.html?st=50\">next</a>\n" : "<p>end</p>\n";
    return page + "</html>\n";
}

// Yahoo Finance US: the whole table on the header's line.
inline std::string yahooUsPage(const std::vector<PageRow>& rows, bool further) {
    std::string page = "<html>\n<table><tr><th>Date</th><th>Open</th><th>Adj Close*</th></tr>";
    for (const PageRow& row : rows) {
        page += "<tr><td class=\"yfnc_tabledata1\" nowrap align=\"right\">" + row.date + "</td>";
        for (const std::string* cell : {&row.open, &row.high, &row.low, &row.close, &row.volume})
            page += "<td class=\"yfnc_tabledata1\" align=\"right\">" + *cell + "</td>";
        page += "<td class=\"yfnc_tabledata1\" align=\"right\">" + row.close + "</td></tr>";
    }
    page += "</table>\n";
    page += std::string("<a href=\"/q/hp?s=X&z=66&y=") + (further ? "66" : "999999") +
            "\">Next</a>\n</html>\n";
    return page;
}

// A server on 127.0.0.1 that answers every GET with the handler's reply and
// records each request's path and query.
class QuoteServer {
  public:
    using Handler = std::function<void(const httplib::Request&, httplib::Response&)>;

    explicit QuoteServer(Handler handler) : handler_(std::move(handler)) {
        server_.Get(".*", [this](const httplib::Request& request, httplib::Response& response) {
            {
                std::lock_guard<std::mutex> lock(mutex_);
                targets_.push_back(request.target);
            }
            handler_(request, response);
        });
        port_ = server_.bind_to_any_port("127.0.0.1");
        thread_ = std::thread([this] { server_.listen_after_bind(); });
        while (!server_.is_running())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ~QuoteServer() {
        server_.stop();
        thread_.join();
    }

    std::string host() const { return "http://127.0.0.1:" + std::to_string(port_); }
    std::vector<std::string> targets() {
        std::lock_guard<std::mutex> lock(mutex_);
        return targets_;
    }

  private:
    Handler handler_;
    httplib::Server server_;
    int port_ = 0;
    std::thread thread_;
    std::mutex mutex_;
    std::vector<std::string> targets_;
};

}  // namespace tav::test
