#include "window/toolbar.h"

#include <QComboBox>
#include <QFontMetrics>
#include <QPushButton>

#include "window/command_ids.h"

namespace tav::desktop {

namespace {

constexpr ButtonSpec kButtons[] = {
    {cmd::UpdateMaster, "銘柄更新", ToolbarRow::Top},
    {cmd::Search, "検索", ToolbarRow::Top},
    {cmd::ToggleWatchlist, "×", ToolbarRow::Top},
    {cmd::HistoryMenu, "履歴", ToolbarRow::Top},
    {cmd::HistoryOlder, "▼", ToolbarRow::Top},
    {cmd::HistoryNewer, "▲", ToolbarRow::Top},
    {cmd::InvestmentLinks, "投資情報", ToolbarRow::Top},
    {cmd::CompanyInfo, "企業情報", ToolbarRow::Top},
    {cmd::Screening, "銘柄抽出", ToolbarRow::Top},
    {cmd::Simulation, "ｼﾐｭﾚｰｼｮﾝ", ToolbarRow::Top},
    {cmd::RankingDownload, "ﾗﾝｷﾝｸﾞDL", ToolbarRow::Top},
    {cmd::StrategyDialog, "戦略", ToolbarRow::Top},
    {cmd::PeriodMenu, "日足", ToolbarRow::Bottom},
    {cmd::PriceStyleMenu, "ﾛｰｿｸ", ToolbarRow::Bottom},
    {cmd::OverlayMenu, "移動", ToolbarRow::Bottom},
    {cmd::ScreenMenu, "指数1", ToolbarRow::Bottom},
    {cmd::ToggleIndividual, "共通", ToolbarRow::Bottom},
    {cmd::DiscardStore, "破棄", ToolbarRow::Bottom},
    {cmd::Settings, "設定", ToolbarRow::Bottom},
    {cmd::BulkUpdate, "一括更新", ToolbarRow::Bottom},
    {cmd::Newest, "直近", ToolbarRow::Bottom},
    {cmd::ZoomIn, "拡大", ToolbarRow::Bottom},
    {cmd::ZoomOut, "縮小", ToolbarRow::Bottom},
    {cmd::PageBack, "≪戻", ToolbarRow::Bottom},
    {cmd::PageForward, "≫進", ToolbarRow::Bottom},
    {cmd::StepLeft, "←", ToolbarRow::Bottom},
    {cmd::StepRight, "→", ToolbarRow::Bottom},
    {cmd::RefetchNewest, "修正", ToolbarRow::Bottom},
    {cmd::Margin, "信用", ToolbarRow::Bottom},
    {cmd::IntradayPage, "日中", ToolbarRow::Bottom},
    {cmd::QuoteOnce, "速報", ToolbarRow::Bottom},
    {cmd::NextOverlay, "チ", ToolbarRow::Bottom},
    {cmd::NextScreen, "指", ToolbarRow::Bottom},
    {cmd::MarkerAMode, "変", ToolbarRow::Bottom, true},
    {cmd::MarkerBMode, "覆", ToolbarRow::Bottom, true},
    {cmd::TrendLineMode, "線", ToolbarRow::Bottom, true},
    {cmd::DeleteTrendLine, "消", ToolbarRow::Bottom},
    {cmd::EntryUp, "↑", ToolbarRow::List},
    {cmd::EntryDown, "↓", ToolbarRow::List},
    {cmd::ListUpdate, "更新", ToolbarRow::List},
    {cmd::ListRange, "ﾚﾝｼﾞ", ToolbarRow::List},
    {cmd::ListSignals, "ｻｲﾝ", ToolbarRow::List},
    {cmd::QuoteWatch, "監視", ToolbarRow::List, true},
};

constexpr int kButtonHeight = 24;
constexpr int kStrategyWidth = 120;

}  // namespace

std::span<const ButtonSpec> toolbarButtons() {
    return kButtons;
}

Toolbar::Toolbar(QWidget* window) : QObject(window), window_(window) {
    for (const ButtonSpec& entry : kButtons) {
        auto* button = new QPushButton(QString::fromUtf8(entry.label), window);
        button->setObjectName(QStringLiteral("button%1").arg(entry.id));
        button->setCheckable(entry.checkable);
        // The window keeps the keyboard focus so that typed codes reach it.
        button->setFocusPolicy(Qt::NoFocus);
        const int id = entry.id;
        connect(button, &QPushButton::clicked, this, [this, id] { emit command(id); });
        buttons_[entry.id] = button;
    }
    strategy_ = new QComboBox(window);
    strategy_->setObjectName(QStringLiteral("strategySelector"));
    strategy_->setFocusPolicy(Qt::NoFocus);
}

QAbstractButton* Toolbar::button(int id) const {
    auto found = buttons_.find(id);
    return found == buttons_.end() ? nullptr : found->second;
}

void Toolbar::setLabel(int id, const QString& label) {
    if (auto* b = button(id)) b->setText(label);
}

QString Toolbar::label(int id) const {
    auto* b = button(id);
    return b ? b->text() : QString();
}

void Toolbar::setEnabled(int id, bool enabled) {
    if (auto* b = button(id)) b->setEnabled(enabled);
}

void Toolbar::setChecked(int id, bool checked) {
    if (auto* b = button(id)) b->setChecked(checked);
}

void Toolbar::place(const WindowLayout& layout, int /*width*/, int height, bool watchlistShown) {
    const QFontMetrics metrics(window_->font());
    int topX = 5;
    int bottomX = 5;
    int listIndex = 0;
    for (const ButtonSpec& entry : kButtons) {
        QAbstractButton* b = buttons_[entry.id];
        const int w = std::max(24, metrics.horizontalAdvance(QString::fromUtf8(entry.label)) + 14);
        switch (entry.row) {
            case ToolbarRow::Top:
                b->setGeometry(topX, 3, w, kButtonHeight);
                topX += w;
                // The strategy drop-down sits left of its dialog button.
                if (entry.id == cmd::RankingDownload) {
                    strategy_->setGeometry(topX + 4, 3, kStrategyWidth, kButtonHeight);
                    topX += kStrategyWidth + 8;
                }
                break;
            case ToolbarRow::Bottom:
                b->setGeometry(bottomX, height - kToolbarHeight + 3, w, kButtonHeight);
                bottomX += w;
                break;
            case ToolbarRow::List: {
                const PaneRect& r = layout.listButtons[listIndex++];
                b->setGeometry(r.left, r.top, r.width(), r.height());
                b->setVisible(watchlistShown);
                break;
            }
        }
    }
}

}  // namespace tav::desktop
