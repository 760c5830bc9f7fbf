#include "panes/entry_list.h"

#include <QLabel>
#include <QStyledItemDelegate>

namespace tav::desktop {

namespace {

// The selected entry is drawn in its mark colour too, so that a run's result
// stays readable under the cursor.
class MarkDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;

  protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        const QVariant foreground = index.data(Qt::ForegroundRole);
        if (foreground.isValid())
            option->palette.setBrush(QPalette::HighlightedText, foreground.value<QBrush>());
    }
};

}  // namespace

QColor markColour(uint8_t mark) {
    switch (mark) {
        case 1:
            return QColor(0xFF, 0x00, 0x00);
        case 2:
            return QColor(0x00, 0x00, 0xFF);
        case 3:
            return QColor(0xC8, 0x00, 0xC8);
        case 4:
            return QColor(0x00, 0x7F, 0x7F);
        default:
            return QColor();
    }
}

EntryList::EntryList(QWidget* parent) : QListWidget(parent), caption_(new QLabel(this)) {
    setItemDelegate(new MarkDelegate(this));
    caption_->setObjectName(QStringLiteral("entryCaption"));
    caption_->setAutoFillBackground(true);
    caption_->setBackgroundRole(QPalette::Button);
    caption_->setIndent(3);
    caption_->hide();
    // What the mark colours of the range and strategy runs mean.
    setToolTip(
        QStringLiteral("<b>印の色</b><br>"
                       "<span style='color:#ff0000'>■</span> 買いサイン<br>"
                       "<span style='color:#0000ff'>■</span> 売りサイン<br>"
                       "<span style='color:#c800c8'>■</span> レンジ上抜け<br>"
                       "<span style='color:#007f7f'>■</span> レンジ下抜け"));
}

void EntryList::setCaption(const QString& caption, const QString& tip) {
    caption_->setText(caption);
    caption_->setToolTip(tip);
    caption_->setVisible(!caption.isEmpty());
    placeCaption();
}

QString EntryList::caption() const {
    return caption_->text();
}

void EntryList::setMark(int row, uint8_t mark) {
    QListWidgetItem* entry = item(row);
    if (!entry) return;
    if (const QColor colour = markColour(mark); colour.isValid())
        entry->setForeground(colour);
    else
        entry->setData(Qt::ForegroundRole, QVariant());
}

void EntryList::resizeEvent(QResizeEvent* event) {
    QListWidget::resizeEvent(event);
    placeCaption();
}

void EntryList::placeCaption() {
    const int height = caption_->text().isEmpty() ? 0 : fontMetrics().height() + 4;
    setViewportMargins(0, height, 0, 0);
    const QRect inside = contentsRect();
    caption_->setGeometry(inside.left(), inside.top(), inside.width(), height);
}

}  // namespace tav::desktop
