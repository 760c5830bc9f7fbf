#pragma once

#include <QFont>

namespace tav::desktop {

// The one Japanese UI font of the application: the first installed of the
// Japanese families the setup provides, so that kana (half-width too), kanji
// and digits come from the same face at one readable size.
QFont japaneseUiFont();
// Makes it the application's font; call once the QApplication exists.
void useJapaneseUiFont();

}  // namespace tav::desktop
