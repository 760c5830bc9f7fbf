#include "capsule_dialog.h"

#include <QComboBox>
#include <QCursor>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QVBoxLayout>

#include "alternate_click.h"
#include "condition_dialog.h"
#include "conditions/condition_tables.h"
#include "labels_combo.h"

namespace tav::desktop {

CapsuleDialog::CapsuleDialog(const std::string& folder, int first, Prompter& prompter,
                             Shell& shell, QWidget* parent)
    : QDialog(parent),
      prompter_(prompter),
      shell_(shell),
      set_(folder, prompter),
      titles_(new QListWidget(this)),
      rows_(new QListWidget(this)),
      logic_(new QComboBox(this)),
      file_(new QLabel(this)) {
    setWindowTitle(QStringLiteral("条件カプセルの設定"));

    auto* capsuleBox = new QGroupBox(QStringLiteral("条件カプセル"), this);
    auto* capsuleLayout = new QVBoxLayout(capsuleBox);
    capsuleLayout->addWidget(titles_);
    auto* capsuleRow1 = new QHBoxLayout;
    addButton(1058, "追加", capsuleRow1, &CapsuleDialog::addCapsule);
    addButton(1064, "削除", capsuleRow1, &CapsuleDialog::deleteCapsule);
    addButton(1054, "変更", capsuleRow1, &CapsuleDialog::renameCapsule);
    addButton(1062, "複写", capsuleRow1, &CapsuleDialog::copyCapsule);
    auto* capsuleRow2 = new QHBoxLayout;
    addButton(1059, "初期化", capsuleRow2, &CapsuleDialog::initialiseCapsule);
    addButton(1063, "↑", capsuleRow2, &CapsuleDialog::moveCapsuleUp);
    addButton(1067, "↓", capsuleRow2, &CapsuleDialog::moveCapsuleDown);
    capsuleLayout->addLayout(capsuleRow1);
    capsuleLayout->addLayout(capsuleRow2);

    auto* rowBox = new QGroupBox(QStringLiteral("カプセル内の条件"), this);
    auto* rowLayout = new QVBoxLayout(rowBox);
    auto* head = new QHBoxLayout;
    file_->setObjectName(QStringLiteral("fileName"));
    head->addWidget(file_, 1);
    fillCombo(logic_, conditions::logicLabels(), kLogicOr);
    head->addWidget(logic_);
    rowLayout->addLayout(head);
    rowLayout->addWidget(rows_);
    auto* rowButtons = new QHBoxLayout;
    addButton(1052, "追加", rowButtons, &CapsuleDialog::addRow);
    addButton(1060, "削除", rowButtons, &CapsuleDialog::deleteRow);
    addButton(1068, "↑", rowButtons, &CapsuleDialog::moveRowUp);
    addButton(1069, "↓", rowButtons, &CapsuleDialog::moveRowDown);
    addButton(1065, "編集", rowButtons, &CapsuleDialog::editRow);
    rowLayout->addLayout(rowButtons);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* lists = new QHBoxLayout;
    lists->addWidget(capsuleBox, 2);
    lists->addWidget(rowBox, 5);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(lists, 1);
    layout->addWidget(ok, 0, Qt::AlignRight);

    connect(titles_, &QListWidget::currentRowChanged, this, [this](int capsule) {
        if (filling_ || capsule < 0) return;
        set_.select(capsule, alternateHeld(), shell_);
        showRows(0);
    });
    connect(titles_, &QListWidget::itemDoubleClicked, this, [this] { renameCapsule(); });
    connect(rows_, &QListWidget::currentRowChanged, this, [this](int selected) {
        if (!filling_ && selected >= 0) set_.chooseRow(alternateHeld(), shell_);
    });
    connect(rows_, &QListWidget::itemDoubleClicked, this, [this] { editRow(); });
    connect(logic_, &QComboBox::currentIndexChanged, this, [this](int logic) {
        if (!filling_) set_.setLogic(static_cast<int16_t>(logic));
    });

    set_.open(first);
    showTitles();
    resize(860, 420);
}

void CapsuleDialog::addButton(int id, const char* text, QLayout* layout,
                              void (CapsuleDialog::*slot)()) {
    auto* button = new QPushButton(QString::fromUtf8(text), this);
    button->setAutoDefault(false);
    connect(button, &QPushButton::clicked, this, slot);
    layout->addWidget(button);
    buttons_[id] = button;
}

QPushButton* CapsuleDialog::button(int id) const {
    const auto found = buttons_.find(id);
    return found == buttons_.end() ? nullptr : found->second;
}

int CapsuleDialog::row() const {
    return rows_->currentRow();
}

void CapsuleDialog::showTitles() {
    filling_ = true;
    titles_->clear();
    for (const std::string& title : set_.titles()) titles_->addItem(QString::fromStdString(title));
    titles_->setCurrentRow(set_.current());
    filling_ = false;
    showRows(0);
}

void CapsuleDialog::showRows(int select) {
    filling_ = true;
    rows_->clear();
    for (const std::string& text : set_.rowTexts()) rows_->addItem(QString::fromStdString(text));
    if (rows_->count() > 0) rows_->setCurrentRow(std::clamp(select, 0, rows_->count() - 1));
    logic_->setCurrentIndex(set_.shownLogic());
    logic_->setEnabled(set_.logicAvailable());
    file_->setText(QString::fromStdString(set_.currentFileName()));
    const bool any = set_.current() >= 0;
    for (int id : {1064, 1054, 1062, 1059, 1063, 1067, 1052, 1060, 1068, 1069, 1065})
        buttons_[id]->setEnabled(any);
    filling_ = false;
}

bool CapsuleDialog::editCondition(Condition& row) {
    ConditionDialog dialog(row, ConditionContext::Capsule, {}, prompter_, this);
    if (dialog.exec() != QDialog::Accepted) return false;
    row = dialog.result();
    return true;
}

void CapsuleDialog::addCapsule() {
    if (set_.addCapsule()) showTitles();
}
void CapsuleDialog::deleteCapsule() {
    if (set_.deleteCapsule()) showTitles();
}
void CapsuleDialog::renameCapsule() {
    if (set_.renameCapsule()) showTitles();
}
void CapsuleDialog::copyCapsule() {
    if (set_.current() < 0) return;
    QMenu menu(this);
    for (int k = 0; k < set_.count(); ++k)
        menu.addAction(QString::fromStdString(set_.titles()[static_cast<std::size_t>(k)]) +
                       QStringLiteral(" へ複写"))
            ->setData(k);
    if (QAction* chosen = menu.exec(QCursor::pos())) set_.copyCapsuleTo(chosen->data().toInt());
}
void CapsuleDialog::initialiseCapsule() {
    if (set_.initialiseCapsule()) showRows(0);
}
void CapsuleDialog::moveCapsuleUp() {
    if (set_.moveCapsuleUp()) showTitles();
}
void CapsuleDialog::moveCapsuleDown() {
    if (set_.moveCapsuleDown()) showTitles();
}

void CapsuleDialog::addRow() {
    if (!set_.canAddRow()) return;
    Condition condition;
    if (editCondition(condition) && set_.addRow(condition)) showRows(set_.capsule().rowCount - 1);
}
void CapsuleDialog::deleteRow() {
    const int selected = row();
    if (set_.deleteRow(selected)) showRows(selected);
}
void CapsuleDialog::moveRowUp() {
    const int selected = row();
    if (set_.moveRowUp(selected)) showRows(selected - 1);
}
void CapsuleDialog::moveRowDown() {
    const int selected = row();
    if (set_.moveRowDown(selected)) showRows(selected + 1);
}
void CapsuleDialog::editRow() {
    const int selected = row();
    if (selected < 0 || selected >= set_.capsule().rowCount) return;
    Condition condition = set_.capsule().rows[static_cast<std::size_t>(selected)];
    if (editCondition(condition) && set_.editRow(selected, condition)) showRows(selected);
}

void CapsuleDialog::done(int result) {
    set_.close();
    QDialog::done(QDialog::Accepted);
    (void)result;
}

}  // namespace tav::desktop
