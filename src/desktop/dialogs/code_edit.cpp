#include "dialogs/code_edit.h"

#include <QLineEdit>
#include <QRegularExpression>
#include <QRegularExpressionValidator>

namespace tav::desktop {

QLineEdit* newCodeEdit(StockCode preset, QWidget* parent) {
    auto* edit = new QLineEdit(QString::fromStdString(codeText(preset)), parent);
    static const QRegularExpression kTypedCode(QStringLiteral("[0-9]{1,5}|[0-9][0-9A-Za-z]{0,3}"));
    edit->setValidator(new QRegularExpressionValidator(kTypedCode, edit));
    return edit;
}

StockCode editedCode(const QLineEdit* edit) {
    return parseCode(edit->text().toStdString()).value_or(0);
}

}  // namespace tav::desktop
