#include "window/key_routing.h"

#include <Qt>
#include <string_view>

#include "window/command_ids.h"

namespace tav::desktop {

std::optional<KeyCommand> commandForKey(const KeyPress& press) {
    if (press.keypad) {
        switch (press.key) {
            case Qt::Key_Asterisk:
                return KeyCommand{cmd::NextScreen, true};
            case Qt::Key_Slash:
                return KeyCommand{cmd::NextScreen, false};
            case Qt::Key_Plus:
                return KeyCommand{cmd::NextOverlay, true};
            case Qt::Key_Minus:
                return KeyCommand{cmd::NextOverlay, false};
            default:
                break;
        }
    }
    if (press.control) {
        if (press.key == Qt::Key_F) return KeyCommand{cmd::Search};
        if (press.key == Qt::Key_M) return KeyCommand{cmd::FixPriceScale};
    }
    switch (press.key) {
        case Qt::Key_Backspace:
            return KeyCommand{cmd::InvertPanes};
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return KeyCommand{cmd::OpenDataFile};
        case Qt::Key_Escape:
            return KeyCommand{cmd::ToggleWatchlist};
        case Qt::Key_Space:
            return KeyCommand{cmd::NextPeriod};
        case Qt::Key_PageUp:
            return KeyCommand{cmd::PageBack};
        case Qt::Key_PageDown:
            return KeyCommand{cmd::PageForward};
        case Qt::Key_End:
            return KeyCommand{cmd::ToggleSplitter1};
        case Qt::Key_Home:
            return KeyCommand{cmd::Newest};
        case Qt::Key_Left:
            return KeyCommand{cmd::ScrollBack1};
        case Qt::Key_Right:
            return KeyCommand{cmd::ScrollForward1};
        case Qt::Key_Up:
            return KeyCommand{cmd::ScrollBack10};
        case Qt::Key_Down:
            return KeyCommand{cmd::ScrollForward10};
        case Qt::Key_Insert:
            return KeyCommand{cmd::ZoomIn};
        case Qt::Key_Delete:
            return KeyCommand{cmd::ZoomOut};
        case Qt::Key_F1:
            return KeyCommand{cmd::Help};
        case Qt::Key_F11:
            return KeyCommand{cmd::HistoryOlder};
        case Qt::Key_F12:
            return KeyCommand{cmd::HistoryNewer};
        default:
            return std::nullopt;
    }
}

bool CodeEntry::takes(char character) const {
    if (character >= '0' && character <= '9') return true;
    const bool letter = (character >= 'A' && character <= 'Z') || (character >= 'a' && character <= 'z');
    return letter && length_ > 0;
}

std::optional<StockCode> CodeEntry::type(char character) {
    if (!takes(character)) return std::nullopt;
    characters_[length_++] = character;
    if (length_ < 4) return std::nullopt;
    length_ = 0;
    const std::string_view typed(characters_, 4);
    if (typed.find_first_not_of("0123456789") != std::string_view::npos) return parseCode(typed);
    // Four digits are the code they read as, as they always were.
    StockCode code = 0;
    for (char digit : typed)
        code = code * 10 + (digit - '0');
    return code;
}

}  // namespace tav::desktop
