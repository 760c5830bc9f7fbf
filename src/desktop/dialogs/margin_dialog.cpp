#include "margin_dialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace tav::desktop {

MarginDialog::MarginDialog(const std::string& name, std::span<const MarginRecord> records,
                           QWidget* parent)
    : QDialog(parent), table_(new QTreeWidget(this)) {
    setWindowTitle(QStringLiteral("信用取組情報"));
    table_->setRootIsDecorated(false);
    table_->setHeaderLabels({QStringLiteral("日付"), QStringLiteral("信用売残"),
                             QStringLiteral("信用買残"), QStringLiteral("貸借倍率")});
    table_->setColumnWidth(0, 85);
    for (int column = 1; column < 4; ++column)
        table_->setColumnWidth(column, 95);
    for (const MarginRecord& record : records) {
        auto* item = new QTreeWidgetItem(table_);
        const std::string* texts[] = {&record.dateText, &record.sellText, &record.buyText,
                                      &record.ratioText};
        for (int column = 0; column < 4; ++column) {
            item->setText(column, QString::fromStdString(*texts[column]));
            if (column > 0) item->setTextAlignment(column, Qt::AlignRight | Qt::AlignVCenter);
        }
    }
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("グラフ表示"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("キャンセル"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QString::fromStdString(name), this));
    layout->addWidget(table_);
    layout->addWidget(buttons);
    resize(420, 360);
}

}  // namespace tav::desktop
