#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/linux/curl_http.h"
#include "platform/linux/lhasa_lzh.h"
#include "support/recording_prompter.h"
#include "workspace/workspace.h"

namespace tav::test {

class RecordingShell : public Shell {
public:
    bool open(const std::string& pathOrUrl) override {
        opened.push_back(pathOrUrl);
        return true;
    }
    bool startInstance(const std::vector<std::string>& arguments) override {
        started.push_back(arguments);
        return true;
    }
    std::vector<std::string> opened;
    std::vector<std::vector<std::string>> started;
};

class FixedClock : public Clock {
public:
    LocalDate today() override { return date; }
    LocalDate date{2024, 6, 14};
};

class FixedClipboard : public Clipboard {
public:
    std::optional<std::string> text() override { return contents; }
    std::optional<std::string> contents;
};

// The platform of an engine test: a recording prompter, the real HTTP client
// and LZH extractor, and fakes for the desktop shell, the clock and the clipboard.
struct TestPlatform {
    RecordingPrompter prompter;
    CurlHttp http;
    LhasaLzh lzh;
    RecordingShell shell;
    FixedClock clock;
    FixedClipboard clipboard;

    Platform platform() { return Platform{prompter, http, lzh, shell, clock, clipboard}; }
};

}  // namespace tav::test
