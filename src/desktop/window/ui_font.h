#pragma once

#include <QFont>
#include <QString>

namespace tav::desktop {

// The one Japanese UI font of the application: the first installed of the
// Japanese families the setup provides, so that kana, kanji and digits come
// from the same face at one readable size.
QFont japaneseUiFont();
// Makes it the application's font and has every standard widget draw its
// texts through composedKana; call once the QApplication exists.
void useJapaneseUiFont();

// The text as it is drawn: runs of half-width katakana become their
// full-width forms, a voiced or semi-voiced mark joined to the kana before
// it ("ﾚﾝｼﾞ" is drawn as "レンジ"). The Japanese faces draw half-width kana
// small with the marks standing apart, which is hard to read on buttons and
// captions. The stored texts stay as they are.
QString composedKana(const QString& text);

}  // namespace tav::desktop
