#pragma once

namespace tav::desktop {

// Loads Qt's own Japanese texts (the colour chooser, the file dialogs, the
// standard buttons) so that no dialog of the framework speaks English.
// Returns false when the translation files are not installed; call once the
// QApplication exists.
bool useJapaneseQtTexts();

}  // namespace tav::desktop
