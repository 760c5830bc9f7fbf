#include "ui_font.h"

#include <QApplication>
#include <QFontDatabase>
#include <QProxyStyle>
#include <QStyleOption>
#include <QWidget>

namespace tav::desktop {

namespace {

constexpr const char* kFamilies[] = {"Noto Sans CJK JP", "IPAGothic", "IPAPGothic", "VL Gothic",
                                     "TakaoGothic"};
constexpr int kPointSize = 10;

bool isHalfWidthKana(QChar c) {
    return c.unicode() >= 0xFF61 && c.unicode() <= 0xFF9F;
}

// Draws the texts of buttons, menus, drop-downs, lists and tabs with their
// kana composed, and sizes them for the composed text.
class ComposedKanaStyle : public QProxyStyle {
  public:
    using QProxyStyle::QProxyStyle;

    void drawItemText(QPainter* painter, const QRect& rect, int flags, const QPalette& palette,
                      bool enabled, const QString& text,
                      QPalette::ColorRole role = QPalette::NoRole) const override {
        QProxyStyle::drawItemText(painter, rect, flags, palette, enabled, composedKana(text), role);
    }

    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override {
        if (auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option)) {
            QStyleOptionMenuItem copy(*item);
            copy.text = composedKana(copy.text);
            QProxyStyle::drawControl(element, &copy, painter, widget);
        } else if (auto* view = qstyleoption_cast<const QStyleOptionViewItem*>(option)) {
            QStyleOptionViewItem copy(*view);
            copy.text = composedKana(copy.text);
            QProxyStyle::drawControl(element, &copy, painter, widget);
        } else if (auto* combo = qstyleoption_cast<const QStyleOptionComboBox*>(option)) {
            QStyleOptionComboBox copy(*combo);
            copy.currentText = composedKana(copy.currentText);
            QProxyStyle::drawControl(element, &copy, painter, widget);
        } else if (auto* tab = qstyleoption_cast<const QStyleOptionTab*>(option)) {
            QStyleOptionTab copy(*tab);
            copy.text = composedKana(copy.text);
            QProxyStyle::drawControl(element, &copy, painter, widget);
        } else if (auto* header = qstyleoption_cast<const QStyleOptionHeader*>(option)) {
            QStyleOptionHeader copy(*header);
            copy.text = composedKana(copy.text);
            QProxyStyle::drawControl(element, &copy, painter, widget);
        } else {
            QProxyStyle::drawControl(element, option, painter, widget);
        }
    }

    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget) const override {
        QSize result = QProxyStyle::sizeFromContents(type, option, size, widget);
        QString text;
        if (auto* button = qstyleoption_cast<const QStyleOptionButton*>(option))
            text = button->text;
        else if (auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option))
            text = item->text;
        else if (auto* view = qstyleoption_cast<const QStyleOptionViewItem*>(option))
            text = view->text;
        else if (auto* combo = qstyleoption_cast<const QStyleOptionComboBox*>(option))
            text = combo->currentText;
        else if (auto* tab = qstyleoption_cast<const QStyleOptionTab*>(option))
            text = tab->text;
        // The widget measured the stored text; the composed one is wider.
        if (!text.isEmpty() && option) {
            const QFontMetrics& metrics = option->fontMetrics;
            const int extra =
                metrics.horizontalAdvance(composedKana(text)) - metrics.horizontalAdvance(text);
            if (extra > 0) result.rwidth() += extra;
        }
        return result;
    }
};

}  // namespace

QString composedKana(const QString& text) {
    qsizetype start = 0;
    while (start < text.size() && !isHalfWidthKana(text[start]))
        ++start;
    if (start == text.size()) return text;
    QString drawn = text.left(start);
    for (qsizetype at = start; at < text.size();) {
        qsizetype end = at;
        while (end < text.size() && isHalfWidthKana(text[end]) == isHalfWidthKana(text[at]))
            ++end;
        const QString run = text.mid(at, end - at);
        drawn += isHalfWidthKana(text[at]) ? run.normalized(QString::NormalizationForm_KC) : run;
        at = end;
    }
    return drawn;
}

QFont japaneseUiFont() {
    const QStringList installed = QFontDatabase::families();
    QFont font = QApplication::font();
    for (const char* family : kFamilies) {
        if (installed.contains(QString::fromUtf8(family))) {
            font.setFamilies({QString::fromUtf8(family)});
            break;
        }
    }
    font.setPointSize(kPointSize);
    return font;
}

void useJapaneseUiFont() {
    QApplication::setFont(japaneseUiFont());
    if (!dynamic_cast<ComposedKanaStyle*>(QApplication::style()))
        QApplication::setStyle(new ComposedKanaStyle(QApplication::style()->name()));
}

}  // namespace tav::desktop
