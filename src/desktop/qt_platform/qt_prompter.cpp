#include "qt_platform/qt_prompter.h"

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>

namespace tav::desktop {

namespace {

const QString kCaption = QStringLiteral("Tavrento");

QString toQt(const std::string& text) { return QString::fromUtf8(text.data(), static_cast<int>(text.size())); }

}  // namespace

void QtPrompter::message(const std::string& text, MessageIcon icon) {
    if (icon == MessageIcon::Stop)
        QMessageBox::critical(parent_, kCaption, toQt(text));
    else
        QMessageBox::warning(parent_, kCaption, toQt(text));
}

bool QtPrompter::askYesNo(const std::string& text) {
    return QMessageBox::question(parent_, kCaption, toQt(text), QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::Yes) == QMessageBox::Yes;
}

Answer QtPrompter::askYesNoCancel(const std::string& text) {
    auto button = QMessageBox::question(parent_, kCaption, toQt(text),
                                        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                                        QMessageBox::Yes);
    if (button == QMessageBox::Yes) return Answer::Yes;
    if (button == QMessageBox::No) return Answer::No;
    return Answer::Cancel;
}

std::optional<std::string> QtPrompter::askText(const std::string& title, const std::string& label,
                                               const std::string& preset) {
    QInputDialog dialog(parent_);
    dialog.setWindowTitle(toQt(title));
    dialog.setLabelText(toQt(label));
    dialog.setTextValue(toQt(preset));
    // Japanese text is typed here: keep the input method on.
    dialog.setInputMethodHints(Qt::ImhNone);
    dialog.setAttribute(Qt::WA_InputMethodEnabled, true);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.textValue().toStdString();
}

void QtPrompter::progress(int percent) {
    if (onProgress) onProgress(percent);
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void QtPrompter::status(const std::string& text) {
    if (onStatus) onStatus(text);
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

}  // namespace tav::desktop
