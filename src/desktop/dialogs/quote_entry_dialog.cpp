#include "quote_entry_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

namespace tav::desktop {

QuoteEntryDialog::QuoteEntryDialog(const QuoteRecord& quote, QWidget* parent)
    : QDialog(parent), quote_(quote) {
    setWindowTitle(QStringLiteral("速報値の設定"));
    static const char* const kLabels[] = {"始値", "高値", "安値", "終値", "出来高"};
    const qint64 values[] = {quote.open, quote.high, quote.low, quote.price, quote.volume};
    auto* form = new QFormLayout;
    auto* validator =
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{1,15}")), this);
    for (int index = 0; index < 5; ++index) {
        fields_[index] = new QLineEdit(QString::number(values[index]), this);
        fields_[index]->setValidator(validator);
        form->addRow(QString::fromUtf8(kLabels[index]), fields_[index]);
    }
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("反映"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("キャンセル"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

QuoteRecord QuoteEntryDialog::edited() const {
    QuoteRecord quote = quote_;
    quote.open = fields_[0]->text().toInt();
    quote.high = fields_[1]->text().toInt();
    quote.low = fields_[2]->text().toInt();
    quote.price = fields_[3]->text().toInt();
    quote.volume = fields_[4]->text().toLongLong();
    return quote;
}

}  // namespace tav::desktop
