#include "integer_edit.h"

#include <QIntValidator>
#include <QLineEdit>

namespace tav::desktop {

QLineEdit* integerEdit(const IntegerField& field, int value, QWidget* parent) {
    auto* edit = new QLineEdit(QString::number(value), parent);
    edit->setValidator(new QIntValidator(field.min, field.max, edit));
    edit->setAlignment(Qt::AlignRight);
    edit->setMaximumWidth(90);
    return edit;
}

std::optional<int> readIntegerEdit(const QLineEdit* edit, const IntegerField& field,
                                   Prompter& prompter) {
    auto value = parseIntegerField(edit->text().toStdString(), field);
    if (!value) prompter.message(integerFieldMessage(field), MessageIcon::Stop);
    return value;
}

}  // namespace tav::desktop
