#include "add_security_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "dialogs/code_edit.h"

namespace tav::desktop {

AddSecurityDialog::AddSecurityDialog(StockCode presetCode, QWidget* parent)
    : QDialog(parent),
      code_(newCodeEdit(presetCode, this)),
      name_(new QLineEdit(this)),
      market_(new QComboBox(this)),
      unit_(new QComboBox(this)) {
    setWindowTitle(QStringLiteral("銘柄情報の追加"));
    for (std::string_view market : tav::kAddMarketChoices)
        market_->addItem(QString::fromUtf8(market.data(), static_cast<int>(market.size())));
    for (std::string_view unit : tav::kAddUnitChoices)
        unit_->addItem(QString::fromUtf8(unit.data(), static_cast<int>(unit.size())));
    // Names are typed in Japanese.
    name_->setAttribute(Qt::WA_InputMethodEnabled, true);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("コード"), code_);
    form->addRow(QStringLiteral("銘柄名"), name_);
    form->addRow(QStringLiteral("市場"), market_);
    form->addRow(QStringLiteral("単元"), unit_);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("追加"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("キャンセル"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    name_->setFocus();
}

AddSecurityRequest AddSecurityDialog::request() const {
    AddSecurityRequest request;
    request.code = editedCode(code_);
    request.name = name_->text().toStdString();
    request.marketIndex = market_->currentIndex();
    request.unitIndex = unit_->currentIndex();
    return request;
}

}  // namespace tav::desktop
