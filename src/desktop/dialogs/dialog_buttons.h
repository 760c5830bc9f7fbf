#pragma once

#include <QString>

class QDialog;
class QDialogButtonBox;
class QPushButton;

namespace tav::desktop {

// "OK" and "キャンセル" wired to the dialog's accept and reject. The texts are
// set here rather than taken from the style, which speaks the system's
// language when no translation is installed.
QDialogButtonBox* okCancelButtons(QDialog* dialog,
                                  const QString& acceptText = QStringLiteral("OK"));

// The box's accepting button.
QPushButton* acceptButton(QDialogButtonBox* buttons);

}  // namespace tav::desktop
