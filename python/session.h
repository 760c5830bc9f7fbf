#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/period_mode.h"
#include "platform/clipboard.h"
#include "platform/linux/curl_http.h"
#include "platform/linux/desktop_shell.h"
#include "platform/linux/lhasa_lzh.h"
#include "platform/linux/system_clock.h"
#include "platform/prompter.h"
#include "workspace/workspace.h"

namespace tav::python {

// A failure the engine reported; Python sees it as tavrento.Error with the
// same text the command-line tool prints (without its "tavrento-cli: ").
class EngineError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Answers every question "no" (like the command-line tool without a terminal)
// and keeps what the engine told, so that a failure can carry it.
class QuietPrompter : public Prompter {
  public:
    void message(const std::string& text, MessageIcon) override { told.push_back(text); }
    bool askYesNo(const std::string&, QuestionKind) override { return false; }
    Answer askYesNoCancel(const std::string&, QuestionKind) override { return Answer::No; }
    std::optional<std::string> askText(const std::string&, const std::string&,
                                       const std::string&) override {
        return std::nullopt;
    }
    void progress(int) override {}
    void status(const std::string& text) override { statusText = text; }

    std::vector<std::string> told;
    std::string statusText;
};

class NoClipboard : public Clipboard {
  public:
    std::optional<std::string> text() override { return std::nullopt; }
};

// One call's workspace over the program folder, set up as the command-line
// tool sets up its own: the folder's settings, the given period, accumulate
// mode, and nothing the window last chose written back. Each call has its
// own, so calls on several threads never share one.
class Session {
  public:
    Session(const std::string& root, PeriodMode period);
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    Workspace& workspace() { return workspace_; }
    QuietPrompter& prompter() { return prompter_; }

    // Loads the stored series of `code` and recomputes it (without the chart's
    // strategy run); throws "no stored series for CODE" when there is none.
    void loadAndRecompute(StockCode code);
    // Throws what the engine told since the session began, else `fallback`.
    [[noreturn]] void fail(const std::string& fallback) const;

  private:
    QuietPrompter prompter_;
    CurlHttp http_;
    LhasaLzh lzh_;
    DesktopShell shell_;
    SystemClock clock_;
    NoClipboard clipboard_;
    Workspace workspace_;
};

}  // namespace tav::python
