// Desktop tests need a QApplication; they run on the offscreen platform.
#include <gtest/gtest.h>

#include <QApplication>

#include "window/ui_font.h"
#include "window/ui_language.h"

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication application(argc, argv);
    // The application's font, so that pixel checks see what users see.
    tav::desktop::useJapaneseUiFont();
    // And its texts, so that the dialog checks see Japanese buttons.
    tav::desktop::useJapaneseQtTexts();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
