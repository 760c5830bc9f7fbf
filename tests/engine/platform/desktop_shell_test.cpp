#include "platform/linux/desktop_shell.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "support/temp_folder.h"

namespace tav {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// The started program runs on its own; wait a while for what it writes.
std::string waitForFile(const fs::path& path) {
    for (auto start = std::chrono::steady_clock::now();
         std::chrono::steady_clock::now() - start < 10s; std::this_thread::sleep_for(20ms)) {
        if (fs::exists(path)) return test::readFile(path);
    }
    return "(nothing written)";
}

TEST(DesktopShellTest, OpenPassesTheTargetVerbatim) {
    test::TempFolder folder;
    fs::path log = folder / "opened.txt";
    test::writeFile(
        folder / "xdg-open",
        "#!/bin/sh\nprintf '%s|' \"$@\" > \"$0.part\" && mv \"$0.part\" '" + log.string() + "'\n");
    fs::permissions(folder / "xdg-open", fs::perms::owner_all);
    const std::string oldPath = std::getenv("PATH") ? std::getenv("PATH") : "/usr/bin:/bin";
    setenv("PATH", (folder.str() + ":" + oldPath).c_str(), 1);

    DesktopShell shell;
    const std::string target = "/tmp/a b;$(touch pwned)'\"*.csv";
    EXPECT_TRUE(shell.open(target));
    EXPECT_EQ(waitForFile(log), target + "|");
    fs::remove(log);
    EXPECT_TRUE(shell.open("-report.html"));  // never an option
    EXPECT_EQ(waitForFile(log), "./-report.html|");
    EXPECT_FALSE(shell.open(""));

    setenv("PATH", (folder / "empty").c_str(), 1);
    EXPECT_FALSE(shell.open("https://example.invalid/"));
    setenv("PATH", oldPath.c_str(), 1);
    EXPECT_FALSE(fs::exists("pwned"));
}

}  // namespace
}  // namespace tav
