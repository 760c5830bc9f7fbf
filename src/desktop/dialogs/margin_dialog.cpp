#include "margin_dialog.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <algorithm>
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

    for (const MarginRecord& record : records) {
        auto* item = new QTreeWidgetItem(table_);
        const std::string* texts[] = {&record.dateText, &record.sellText, &record.buyText,
                                      &record.ratioText};
        for (int column = 0; column < 4; ++column) {
            item->setText(column, QString::fromStdString(*texts[column]));
            if (column > 0) item->setTextAlignment(column, Qt::AlignRight | Qt::AlignVCenter);
        }
    }
    // Columns as wide as their widest text (header or value) in the dialog's
    // font, and the dialog wide enough for all of them.
    int tableWidth = 0;
    for (int column = 0; column < 4; ++column) {
        table_->resizeColumnToContents(column);
        const int header = table_->header()->fontMetrics().horizontalAdvance(
            table_->headerItem()->text(column));
        const int width = std::max(table_->columnWidth(column), header) + 16;
        table_->setColumnWidth(column, width);
        tableWidth += width;
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
    resize(std::max(420, tableWidth + 40), 360);
}

}  // namespace tav::desktop
