#include "dialogs/simulation_result_dialog.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <array>

#include "core/file_io.h"
#include "dialogs/labels_combo.h"
#include "simulation/number_formats.h"

namespace tav::desktop {

namespace {

constexpr std::string_view kReportChoices[] = {"なし", "あり"};

Qt::Alignment cellAlignment(const ResultColumn& column) {
    return (column.rightAligned ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter;
}

QString qt(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

SimulationResultDialog::SimulationResultDialog(SimulationResultSetup setup, Prompter& prompter,
                                               QWidget* parent)
    : QDialog(parent),
      setup_(std::move(setup)),
      prompter_(prompter),
      folder_(setup_.reportFolder),
      list_(new QTreeWidget(this)),
      output_(new QComboBox(this)),
      report_(new QComboBox(this)),
      fileName_(new QLineEdit(QString::fromStdString(setup_.reportFileName), this)),
      folderLabel_(new QLabel(QString::fromStdString(setup_.reportFolder), this)),
      change_(new QPushButton(QStringLiteral("変更"), this)) {
    setWindowTitle(QStringLiteral("シミュレーション結果"));
    chooseFile = [this](const QString& start) {
        return QFileDialog::getSaveFileName(this, QStringLiteral("レポート出力"), start, {}, nullptr,
                                            QFileDialog::DontConfirmOverwrite);
    };

    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(QString::fromStdString(setup_.strategyName), this));
    top->addSpacing(40);
    top->addWidget(new QLabel(QStringLiteral("当初資金"), this));
    auto* capital = new QLabel(QString::fromStdString(amountText(setup_.capital)), this);
    capital->setObjectName(QStringLiteral("capital"));
    top->addWidget(capital);
    top->addStretch();
    layout->addLayout(top);

    fillList();
    layout->addWidget(list_, 1);

    std::vector<std::string> outputs{"なし"};
    outputs.insert(outputs.end(), setup_.watchlists.begin(), setup_.watchlists.end());
    fillCombo(output_, outputs, setup_.outputWatchlist);
    fillCombo(report_, kReportChoices, setup_.writeReport ? 1 : 0);
    auto* form = new QFormLayout;
    form->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    output_->setMinimumWidth(160);
    report_->setMinimumWidth(160);
    form->addRow(QStringLiteral("銘柄出力先"), output_);
    form->addRow(QStringLiteral("レポート出力"), report_);
    auto* name = new QHBoxLayout;
    name->addWidget(fileName_);
    name->addWidget(change_);
    name->addStretch();
    form->addRow(QStringLiteral("ファイル名"), name);
    form->addRow(QString(), folderLabel_);
    fileName_->setFixedWidth(240);
    layout->addLayout(form);

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(QStringLiteral("キャンセル"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &SimulationResultDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);

    connect(change_, &QPushButton::clicked, this, &SimulationResultDialog::changeFile);
    connect(list_, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item, int) {
        if (item && onShowSecurity) onShowSecurity(item->data(0, Qt::UserRole).toInt());
    });
    auto* copy = new QAction(list_);
    copy->setShortcut(QKeySequence::Copy);
    copy->setShortcutContext(Qt::WidgetShortcut);
    connect(copy, &QAction::triggered, this, [this] { copyList(); });
    list_->addAction(copy);
    list_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(list_, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        QTreeWidgetItem* item = list_->itemAt(at);
        if (!item) return;
        list_->setCurrentItem(item);
        QMenu* menu = rowMenu(item);
        menu->exec(list_->viewport()->mapToGlobal(at));
        delete menu;
    });
    int width = 0;
    for (int c = 0; c < kResultColumnCount; ++c)
        width += list_->columnWidth(c);
    resize(width + 60, 480);
}

void SimulationResultDialog::fillList() {
    list_->setColumnCount(kResultColumnCount);
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->setAllColumnsShowFocus(true);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    // The columns are widened to their texts below; nothing is elided.
    list_->setTextElideMode(Qt::ElideNone);
    list_->setWordWrap(false);
    auto* header = new QTreeWidgetItem;
    for (int c = 0; c < kResultColumnCount; ++c) {
        const ResultColumn& column = kResultColumns[static_cast<std::size_t>(c)];
        header->setText(c, qt(column.header));
        header->setTextAlignment(c, cellAlignment(column));
    }
    list_->setHeaderItem(header);
    list_->header()->setStretchLastSection(false);
    list_->header()->setSectionsMovable(false);
    list_->header()->setMinimumSectionSize(1);

    // Each column is as wide as its widest text, header included, and never
    // narrower than its usual width: a clipped number loses its minus sign
    // or its leading digits without a trace.
    const QFontMetrics metrics(list_->font());
    const QFontMetrics headerMetrics(list_->header()->font());
    const int headerPadding =
        2 * list_->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, list_->header()) + 8;
    std::array<int, kResultColumnCount> widths{};
    for (int c = 0; c < kResultColumnCount; ++c) {
        const ResultColumn& column = kResultColumns[static_cast<std::size_t>(c)];
        widths[static_cast<std::size_t>(c)] =
            std::max({column.width, list_->header()->sectionSizeHint(c),
                      headerMetrics.horizontalAdvance(qt(column.header)) + headerPadding});
    }
    for (const ResultRow& row : setup_.rows) {
        const auto cells = resultCells(row, setup_.capital);
        auto* item = new QTreeWidgetItem(list_);
        for (int c = 0; c < kResultColumnCount; ++c) {
            const auto column = static_cast<std::size_t>(c);
            const QString text = QString::fromStdString(cells[column]);
            item->setText(c, text);
            item->setTextAlignment(c, cellAlignment(kResultColumns[column]));
            widths[column] =
                std::max(widths[column], metrics.horizontalAdvance(text) + cellPadding(*list_));
        }
        item->setData(0, Qt::UserRole, row.code);
    }
    for (int c = 0; c < kResultColumnCount; ++c)
        list_->setColumnWidth(c, widths[static_cast<std::size_t>(c)]);
}

int cellPadding(const QTreeWidget& list) {
    // The style's text margin on either side of a cell, and a little air.
    const int margin = list.style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &list) + 1;
    return 2 * margin + 6;
}

void SimulationResultDialog::changeFile() {
    const QString start = QString::fromStdString(
        fileio::joinPath(folder_, fileName_->text().toStdString()));
    const QString chosen = chooseFile ? chooseFile(start) : QString();
    if (chosen.isEmpty()) return;
    const QFileInfo file(chosen);
    folder_ = file.absolutePath().toStdString();
    folderLabel_->setText(QString::fromStdString(folder_));
    fileName_->setText(file.fileName());
}

ResultDialogChoice SimulationResultDialog::choice() const {
    ResultDialogChoice chosen;
    chosen.inputWatchlist = setup_.inputWatchlist;
    chosen.outputWatchlist = std::max(output_->currentIndex(), 0);
    chosen.writeReport = report_->currentIndex() == 1;
    chosen.reportFolder = folder_;
    chosen.reportFileName = fileName_->text().toStdString();
    return chosen;
}

void SimulationResultDialog::accept() {
    if (!confirmResultDialog(choice(), setup_.strategyName, setup_.capital, setup_.rows,
                             prompter_))
        return;
    QDialog::accept();
}

QMenu* SimulationResultDialog::rowMenu(QTreeWidgetItem* item) {
    auto* menu = new QMenu(this);
    const StockCode code = item->data(0, Qt::UserRole).toInt();
    const std::pair<const char*, std::function<void(StockCode)>*> entries[] = {
        {"銘柄表示(&V)", &onShowSecurity},
        {"損益(&P)", &onShowProfit},
    };
    for (const auto& [label, callback] : entries) {
        QAction* action = menu->addAction(QString::fromUtf8(label));
        action->setEnabled(static_cast<bool>(*callback));
        connect(action, &QAction::triggered, this, [callback, code] { (*callback)(code); });
    }
    menu->addSeparator();
    connect(menu->addAction(QStringLiteral("一覧をコピー(&C)")), &QAction::triggered, this,
            [this] { copyList(); });
    return menu;
}

void SimulationResultDialog::copyList() const {
    QApplication::clipboard()->setText(
        QString::fromStdString(resultListText(setup_.rows, setup_.capital)));
}

}  // namespace tav::desktop
