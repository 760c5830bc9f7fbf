#include "archive_days_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QSpinBox>
#include <QVBoxLayout>

#include "core/local_date.h"
#include "dialogs/dialog_buttons.h"
#include "updates/archive_update.h"

namespace tav::desktop {

DayEntryDialog::DayEntryDialog(const QString& preset, QWidget* parent)
    : QDialog(parent), edit_(new QLineEdit(preset, this)), ok_(nullptr) {
    setWindowTitle(QStringLiteral("リストへ追加"));
    edit_->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,8}")), edit_));
    edit_->setPlaceholderText(QStringLiteral("YYYYMMDD"));
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("追加日付"), edit_);
    auto* buttons = okCancelButtons(this);
    ok_ = acceptButton(buttons);
    const auto check = [this] {
        LocalDate date;
        ok_->setEnabled(parseDate8(edit_->text().toStdString(), date));
    };
    connect(edit_, &QLineEdit::textChanged, this, check);
    check();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

QString DayEntryDialog::day() const {
    return edit_->text();
}

ArchiveDaysDialog::ArchiveDaysDialog(const std::vector<std::string>& days, int sourceMode,
                                     QWidget* parent)
    : QDialog(parent), list_(new QListWidget(this)), mode_(new QSpinBox(this)) {
    setWindowTitle(QStringLiteral("株価データ追加"));
    for (const std::string& day : days)
        list_->addItem(QString::fromStdString(day));
    if (list_->count() > 0) list_->setCurrentRow(0);
    mode_->setRange(0, kSourceModeCount - 1);
    mode_->setValue(sourceMode);

    auto* remove = new QPushButton(QStringLiteral("削除"), this);
    auto* add = new QPushButton(QStringLiteral("追加"), this);
    connect(remove, &QPushButton::clicked, this, &ArchiveDaysDialog::removeSelected);
    connect(add, &QPushButton::clicked, this, &ArchiveDaysDialog::askDay);
    auto* editButtons = new QHBoxLayout;
    editButtons->addWidget(remove);
    editButtons->addWidget(add);

    auto* buttons = okCancelButtons(this, QStringLiteral("実行"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("追加未処理日付"), this));
    layout->addWidget(list_);
    layout->addLayout(editButtons);
    layout->addWidget(
        new QLabel(QStringLiteral("０：ＨＤＤ　１：ＮＥＴ　２：ＮＥＴ（会員サービス）"), this));
    layout->addWidget(mode_);
    layout->addWidget(
        new QLabel(QStringLiteral("通常は追加・削除の必要はありません。\n"
                                  "リストの編集はユーザーの責任において行ってください。\n"
                                  "二重追加にご注意！！"),
                   this));
    layout->addWidget(buttons);
}

std::vector<std::string> ArchiveDaysDialog::days() const {
    std::vector<std::string> days;
    for (int row = 0; row < list_->count(); ++row)
        days.push_back(list_->item(row)->text().toStdString());
    return days;
}

int ArchiveDaysDialog::sourceMode() const {
    return mode_->value();
}

void ArchiveDaysDialog::removeSelected() {
    const int row = list_->currentRow();
    if (row < 0) return;
    delete list_->takeItem(row);
    if (list_->count() > 0) list_->setCurrentRow(std::min(row, list_->count() - 1));
}

void ArchiveDaysDialog::appendDay(const std::string& day) {
    if (!day.empty()) list_->addItem(QString::fromStdString(day));
}

void ArchiveDaysDialog::askDay() {
    const QString preset = list_->count() > 0 ? list_->item(list_->count() - 1)->text() : QString();
    DayEntryDialog entry(preset, this);
    if (entry.exec() == QDialog::Accepted) appendDay(entry.day().toStdString());
}

}  // namespace tav::desktop
