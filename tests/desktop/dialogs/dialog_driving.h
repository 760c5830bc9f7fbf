#pragma once

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <cstdlib>
#include <functional>

namespace tav::test {

// Runs `act` on the modal dialog of type D as soon as it is open.
template <typename D>
void whenOpen(std::function<void(D&)> act) {
    QTimer::singleShot(0, [act] {
        if (auto* dialog = qobject_cast<D*>(QApplication::activeModalWidget())) act(*dialog);
    });
}

// Saves a picture of the widget when TAV_SCREENSHOTS names a folder, for a look by eye.
inline void shoot(QWidget& widget, const char* name) {
    if (const char* folder = std::getenv("TAV_SCREENSHOTS"))
        widget.grab().save(QString::fromUtf8(folder) + "/" + name + ".png");
}

}  // namespace tav::test
