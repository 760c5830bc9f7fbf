#pragma once

#include <QGuiApplication>

namespace tav::desktop {

// Shift or Ctrl held while choosing an entry: the file behind it also opens
// in the desktop's handler.
inline bool alternateHeld() {
    return (QGuiApplication::keyboardModifiers() & (Qt::ShiftModifier | Qt::ControlModifier)) != 0;
}

}  // namespace tav::desktop
