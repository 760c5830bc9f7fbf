#pragma once

#include <optional>

#include "core/stock_code.h"

namespace tav::desktop {

// A key press as the window sees it: the Qt key, and whether it came from
// the numeric keypad and with Ctrl held.
struct KeyPress {
    int key = 0;
    bool keypad = false;
    bool control = false;
};

// The command a key gives, and whether it asks for the alternative action
// (the previous screen or overlay instead of the next).
struct KeyCommand {
    int command = 0;
    bool alternate = false;
    friend bool operator==(const KeyCommand&, const KeyCommand&) = default;
};

// The keys table of the main window. Digits are not here: they go to the
// typed-code buffer.
std::optional<KeyCommand> commandForKey(const KeyPress& press);

// The typed security code: four characters make a code, digits or, after a
// first digit, letters ("130A", lower case taken as capitals); anything else
// is ignored.
class CodeEntry {
  public:
    // Appends a typed character; returns the code on the fourth character and
    // clears the buffer (nothing for four characters that name no code).
    std::optional<StockCode> type(char character);
    // Whether the character would be taken now.
    bool takes(char character) const;
    void clear() { length_ = 0; }
    int length() const { return length_; }

  private:
    char characters_[4] = {};
    int length_ = 0;
};

}  // namespace tav::desktop
