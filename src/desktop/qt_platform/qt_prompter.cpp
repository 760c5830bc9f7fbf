#include "qt_platform/qt_prompter.h"

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>

namespace tav::desktop {

namespace {

const QString kCaption = QStringLiteral("Tavrento");

QString toQt(const std::string& text) { return QString::fromUtf8(text.data(), static_cast<int>(text.size())); }

// The buttons carry their Japanese texts whatever the system's language.
void labelButtons(QMessageBox& box) {
    const std::pair<QMessageBox::StandardButton, const char*> labels[] = {
        {QMessageBox::Yes, "はい"},
        {QMessageBox::No, "いいえ"},
        {QMessageBox::Cancel, "キャンセル"},
        {QMessageBox::Ok, "OK"}};
    for (const auto& [id, text] : labels)
        if (QAbstractButton* button = box.button(id)) button->setText(QString::fromUtf8(text));
}

QMessageBox::StandardButton ask(QWidget* parent, const std::string& text,
                                QMessageBox::StandardButtons buttons, QuestionKind kind) {
    QMessageBox box(QMessageBox::Question, kCaption, toQt(text), buttons, parent);
    // A question whose "yes" destroys data is not answered by a stray Enter.
    box.setDefaultButton(kind == QuestionKind::Destructive ? QMessageBox::No : QMessageBox::Yes);
    if (buttons & QMessageBox::Cancel) box.setEscapeButton(QMessageBox::Cancel);
    labelButtons(box);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

bool onGuiThread() {
    return QThread::currentThread() == QCoreApplication::instance()->thread();
}

// Dialogs exist on the user-interface thread only: an engine run on a worker
// that must ask waits there for the answer.
template <typename Result, typename Ask>
Result askOnGuiThread(Ask ask) {
    if (onGuiThread()) return ask();
    Result result{};
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [&result, &ask] { result = ask(); },
        Qt::BlockingQueuedConnection);
    return result;
}

}  // namespace

void QtPrompter::message(const std::string& text, MessageIcon icon) {
    if (!onGuiThread()) {
        askOnGuiThread<bool>([&] {
            message(text, icon);
            return true;
        });
        return;
    }
    const QMessageBox::Icon shown = icon == MessageIcon::Stop          ? QMessageBox::Critical
                                    : icon == MessageIcon::Information ? QMessageBox::Information
                                                                       : QMessageBox::Warning;
    QMessageBox box(shown, kCaption, toQt(text), QMessageBox::Ok, parent_);
    labelButtons(box);
    box.exec();
}

bool QtPrompter::askYesNo(const std::string& text, QuestionKind kind) {
    if (!onGuiThread()) return askOnGuiThread<bool>([&] { return askYesNo(text, kind); });
    return ask(parent_, text, QMessageBox::Yes | QMessageBox::No, kind) == QMessageBox::Yes;
}

Answer QtPrompter::askYesNoCancel(const std::string& text, QuestionKind kind) {
    if (!onGuiThread())
        return askOnGuiThread<Answer>([&] { return askYesNoCancel(text, kind); });
    const auto button =
        ask(parent_, text, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, kind);
    if (button == QMessageBox::Yes) return Answer::Yes;
    if (button == QMessageBox::No) return Answer::No;
    return Answer::Cancel;
}

std::optional<std::string> QtPrompter::askText(const std::string& title, const std::string& label,
                                               const std::string& preset) {
    if (!onGuiThread()) {
        return askOnGuiThread<std::optional<std::string>>(
            [&] { return askText(title, label, preset); });
    }
    QInputDialog dialog(parent_);
    dialog.setWindowTitle(toQt(title));
    dialog.setLabelText(toQt(label));
    dialog.setTextValue(toQt(preset));
    dialog.setOkButtonText(QStringLiteral("OK"));
    dialog.setCancelButtonText(QStringLiteral("キャンセル"));
    // Japanese text is typed here: keep the input method on.
    dialog.setInputMethodHints(Qt::ImhNone);
    dialog.setAttribute(Qt::WA_InputMethodEnabled, true);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.textValue().toStdString();
}

// A run on a worker reports through its own RunControl; what its steps say
// here is left out.
void QtPrompter::progress(int percent) {
    if (!onGuiThread()) return;
    if (onProgress) onProgress(percent);
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void QtPrompter::status(const std::string& text) {
    if (!onGuiThread()) return;
    if (onStatus) onStatus(text);
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

}  // namespace tav::desktop
