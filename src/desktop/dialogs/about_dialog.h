#pragma once

#include <QString>

class QWidget;

namespace tav::desktop {

// The about box: the application name and the version of the options record.
void showAboutBox(QWidget* parent, const QString& versionText);

}  // namespace tav::desktop
