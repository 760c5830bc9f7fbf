#include "csv_import_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "dialogs/code_edit.h"

namespace tav::desktop {

namespace {

// In the order of the combo box.
constexpr CsvLayout kLayouts[] = {CsvLayout::Auto, CsvLayout::Yahoo, CsvLayout::Stooq,
                                  CsvLayout::Plain};

}  // namespace

CsvImportDialog::CsvImportDialog(Workspace& workspace, StockCode presetCode, QWidget* parent)
    : QDialog(parent),
      workspace_(workspace),
      file_(new QLineEdit(this)),
      code_(newCodeEdit(presetCode, this)),
      format_(new QComboBox(this)),
      preview_(new QPlainTextEdit(this)),
      rejected_(new QLabel(this)),
      import_(new QPushButton(QStringLiteral("読込"), this)) {
    setWindowTitle(QStringLiteral("CSVファイル読込"));
    format_->addItem(QStringLiteral("自動判別"));
    format_->addItem(QStringLiteral("Yahoo形式 (Adj Close 列あり)"));
    format_->addItem(QStringLiteral("Stooq形式"));
    format_->addItem(QStringLiteral("日付,始値,高値,安値,終値,出来高"));
    preview_->setReadOnly(true);
    preview_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    preview_->setMinimumSize(420, 220);

    auto* browse = new QPushButton(QStringLiteral("参照..."), this);
    connect(browse, &QPushButton::clicked, this, &CsvImportDialog::chooseFile);
    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(file_);
    fileRow->addWidget(browse);

    // The preview follows every choice, so what "読込" writes is what is shown.
    connect(file_, &QLineEdit::editingFinished, this, &CsvImportDialog::refreshPreview);
    connect(code_, &QLineEdit::textChanged, this, &CsvImportDialog::refreshPreview);
    connect(format_, &QComboBox::currentIndexChanged, this, &CsvImportDialog::refreshPreview);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("ファイル"), fileRow);
    form->addRow(QStringLiteral("コード"), code_);
    form->addRow(QStringLiteral("形式"), format_);

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(import_, QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("キャンセル"), QDialogButtonBox::RejectRole);
    connect(import_, &QPushButton::clicked, this, &CsvImportDialog::importBars);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(new QLabel(QStringLiteral("読込内容 (保存済みの日付はそのまま残します)"), this));
    layout->addWidget(preview_);
    layout->addWidget(rejected_);
    layout->addWidget(buttons);
    refreshPreview();
}

StockCode CsvImportDialog::code() const {
    return editedCode(code_);
}

void CsvImportDialog::refreshPreview() {
    parsed_ = CsvBars{};
    const QString path = file_->text().trimmed();
    if (path.isEmpty()) {
        preview_->setPlainText(QStringLiteral("ファイルを選んでください。"));
        rejected_->clear();
    } else {
        parsed_ = readBarCsvFile(path.toStdString(), kLayouts[std::max(0, format_->currentIndex())],
                                 workspace_.platform().clock.today());
        if (!parsed_.message.empty()) {
            preview_->setPlainText(QString::fromStdString(parsed_.message));
            rejected_->clear();
        } else {
            preview_->setPlainText(QString::fromStdString(csvPreviewText(code(), parsed_)));
            rejected_->setText(QStringLiteral("不正な行: %1 行 (取り込みません)").arg(parsed_.rejected));
        }
    }
    import_->setEnabled(code() > 0 && parsed_.message.empty() && !parsed_.bars.empty());
}

void CsvImportDialog::chooseFile() {
    const QString start = file_->text().isEmpty() ? QString() : QFileInfo(file_->text()).path();
    const QString path = QFileDialog::getOpenFileName(
        this, QStringLiteral("CSVファイルを開く"), start,
        QStringLiteral("CSVファイル (*.csv *.txt);;すべてのファイル (*)"));
    if (path.isEmpty()) return;
    file_->setText(path);
    refreshPreview();
}

void CsvImportDialog::importBars() {
    // What is written is what the preview showed, not a second reading of the file.
    if (!import_->isEnabled()) return;
    if (mergeCsvBars(workspace_, code(), parsed_)) accept();
}

}  // namespace tav::desktop
