#include "qt_platform/qt_shell.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QProcess>
#include <QUrl>

namespace tav::desktop {

std::string QtShell::failureMessage(const std::string& pathOrUrl) {
    return "開くためのアプリケーションが見つかりません。\n\n" + pathOrUrl;
}

bool QtShell::open(const std::string& pathOrUrl) {
    const QString text = QString::fromStdString(pathOrUrl);
    // Anything without a scheme is a file of the program folder.
    const QUrl url = text.contains(QStringLiteral("://")) ? QUrl(text) : QUrl::fromLocalFile(text);
    const bool opened = QDesktopServices::openUrl(url);
    if (!opened && onFailure) onFailure(failureMessage(pathOrUrl));
    return opened;
}

bool QtShell::startInstance(const std::vector<std::string>& arguments) {
    QStringList list;
    for (const std::string& argument : arguments)
        list << QString::fromStdString(argument);
    return QProcess::startDetached(QCoreApplication::applicationFilePath(), list);
}

}  // namespace tav::desktop
