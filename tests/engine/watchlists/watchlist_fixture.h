#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/text.h"
#include "data/program_folder.h"
#include "support/recording_prompter.h"
#include "support/temp_folder.h"
#include "support/test_platform.h"
#include "watchlists/watchlists.h"

namespace tav::test {

// A program folder with a small master list and ten titled watchlists.
class WatchlistFolder : public ::testing::Test {
  protected:
    void SetUp() override {
        writeSjis("Stock.lst",
                  "7203,トヨタ自動車,東証1部,100,-\n"
                  "6758,ソニー,東証1部,100,-\n"
                  "9984,ソフトバンク,-,100,-\n"
                  "4689,ヤフー,0,100,-\n"
                  "2121,ミクシィ,マザーズ,1,-\n"
                  "10001,Apple,東証,1,AAPL\n");
        std::string titles;
        for (int n = 1; n <= 10; ++n)
            titles += "注目銘柄" + std::to_string(n) + "\n";
        writeSjis("Focus.inf", titles);
    }

    void writeSjis(const std::string& name, const std::string& utf8) {
        writeFile(temp / name, text::sjisFromUtf8(utf8));
    }
    std::string readUtf8(const std::string& name) {
        return text::utf8FromSjis(readFile(temp / name));
    }
    bool exists(const std::string& name) { return std::filesystem::exists(temp / name); }

    std::vector<std::string> shown(const Watchlists& lists) {
        std::vector<std::string> texts;
        for (const WatchlistEntry& entry : lists.entries())
            texts.push_back(entry.text);
        return texts;
    }

    TempFolder temp;
    ProgramFolder folder{temp.str()};
    RecordingPrompter prompter;
};

}  // namespace tav::test
