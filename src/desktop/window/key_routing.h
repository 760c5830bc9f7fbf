#pragma once

#include <optional>

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

// The typed security code: four digits make a code, anything else is ignored.
class CodeEntry {
  public:
    // Appends a typed character; returns the code on the fourth digit and
    // clears the buffer.
    std::optional<int> type(char character);
    void clear() { length_ = 0; }
    int length() const { return length_; }

  private:
    char digits_[4] = {};
    int length_ = 0;
};

}  // namespace tav::desktop
