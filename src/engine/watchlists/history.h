#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/stock_code.h"
#include "data/program_folder.h"
#include "platform/prompter.h"

namespace tav {

// The securities shown most recently, newest first, in "History.lst" ("code
// name" per line). The file never holds more than length() lines: longer
// files (edited by hand, or kept from a larger length) are read and rewritten
// as their first length() lines.
//
// Codes are the code before the first space of a line, as everywhere a line's
// code is read. For the usual "code name" lines of four-character codes this is
// the same as reading the first four characters; US stocks (10000-19999) come
// back as their full five-digit code.
class History {
  public:
    static constexpr int kDefaultLength = 20;
    static constexpr int kMinLength = 5;
    static constexpr int kMaxLength = 50;

    explicit History(ProgramFolder folder) : folder_(std::move(folder)) {}

    int length() const { return length_; }
    // The stored setting, as read with the options; the file is left alone.
    void setLengthSetting(int length);
    // A changed setting: the file is cut to the new length at once when it
    // holds more lines. Lengths outside 5-50 are brought into that range.
    bool setHistoryLength(int length);

    // Puts the code at the top (its master-list name with it), keeping at most
    // length() lines. Resets the navigation cursor. Does nothing while
    // recording is suspended.
    bool recordHistory(StockCode code);

    // Asks, then empties "History.lst". True when emptied.
    bool clearHistory(Prompter& prompter);

    int historyCount() const;
    // Code of line index (0 = newest); 0 when there is no such line or it has
    // no code.
    StockCode historyCode(int index) const;
    // The lines as shown in the history menu.
    std::vector<std::string> historyLines() const;

    // Step to the next older or newer line and display its code through the
    // callback, with recording suspended meanwhile. Returns the code shown.
    std::optional<StockCode> historyBack(const std::function<void(StockCode)>& display);
    std::optional<StockCode> historyForward(const std::function<void(StockCode)>& display);

    int cursor() const { return cursor_; }
    bool recordingSuspended() const { return suspended_; }

  private:
    std::string path() const;
    std::optional<StockCode> showAtCursor(const std::function<void(StockCode)>& display);

    ProgramFolder folder_;
    int length_ = kDefaultLength;
    int cursor_ = 0;
    bool suspended_ = false;
};

}  // namespace tav
