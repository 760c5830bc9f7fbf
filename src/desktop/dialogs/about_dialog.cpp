#include "about_dialog.h"

#include <QMessageBox>

namespace tav::desktop {

void showAboutBox(QWidget* parent, const QString& versionText) {
    QMessageBox::about(parent, QStringLiteral("Tavrento"), versionText);
}

}  // namespace tav::desktop
