#include "ui_font.h"

#include <QApplication>
#include <QFontDatabase>

namespace tav::desktop {

namespace {

constexpr const char* kFamilies[] = {"Noto Sans CJK JP", "IPAGothic", "IPAPGothic", "VL Gothic",
                                     "TakaoGothic"};
constexpr int kPointSize = 10;

}  // namespace

QFont japaneseUiFont() {
    const QStringList installed = QFontDatabase::families();
    QFont font = QApplication::font();
    for (const char* family : kFamilies) {
        if (installed.contains(QString::fromUtf8(family))) {
            font.setFamilies({QString::fromUtf8(family)});
            break;
        }
    }
    font.setPointSize(kPointSize);
    return font;
}

void useJapaneseUiFont() { QApplication::setFont(japaneseUiFont()); }

}  // namespace tav::desktop
