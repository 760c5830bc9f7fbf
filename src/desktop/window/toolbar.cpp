#include "window/toolbar.h"

#include <QComboBox>
#include <QFontMetrics>
#include <QPushButton>
#include <vector>

#include "window/command_ids.h"
#include "window/ui_font.h"

namespace tav::desktop {

namespace {

constexpr ButtonSpec kButtons[] = {
    {cmd::UpdateMaster, "銘柄更新", ToolbarRow::Top,
     "銘柄リストを更新（Shift/Ctrl: Stock.lst を開く）"},
    {cmd::Search, "検索", ToolbarRow::Top, "銘柄名で検索（Ctrl+F）"},
    {cmd::ToggleWatchlist, "×", ToolbarRow::Top, "注目銘柄欄の表示／非表示（Esc）"},
    {cmd::HistoryMenu, "履歴", ToolbarRow::Top, "履歴と銘柄データのメニュー"},
    {cmd::HistoryOlder, "▼", ToolbarRow::Top, "履歴の一つ前の銘柄（F11）"},
    {cmd::HistoryNewer, "▲", ToolbarRow::Top, "履歴の一つ後の銘柄（F12）"},
    {cmd::InvestmentLinks, "投資情報", ToolbarRow::Top, "投資情報のリンク"},
    {cmd::CompanyInfo, "企業情報", ToolbarRow::Top, "企業情報のページを開く"},
    {cmd::Screening, "銘柄抽出", ToolbarRow::Top, "銘柄抽出"},
    {cmd::Simulation, "ｼﾐｭﾚｰｼｮﾝ", ToolbarRow::Top,
     "選択中の戦略で銘柄リストをシミュレーション（Shift/Ctrl: ポートフォリオ）"},
    {cmd::Portfolio, "ポートフォリオ", ToolbarRow::Top,
     "ポートフォリオ：一つの口座で銘柄リストを売買するシミュレーション"},
    {cmd::RankingDownload, "ﾗﾝｷﾝｸﾞDL", ToolbarRow::Top, "ランキングのダウンロード"},
    {cmd::StrategyDialog, "戦略", ToolbarRow::Top, "戦略の編集"},
    {cmd::PeriodMenu, "日足", ToolbarRow::Bottom, "日足・週足・月足の切り替え（Space）"},
    {cmd::PriceStyleMenu, "ﾛｰｿｸ", ToolbarRow::Bottom, "ローソク足・折線・バーの切り替え"},
    {cmd::OverlayMenu, "移動", ToolbarRow::Bottom, "重ね描きする指標の選択"},
    {cmd::ScreenMenu, "指数1", ToolbarRow::Bottom, "指数画面の選択"},
    {cmd::ToggleIndividual, "共通", ToolbarRow::Bottom, "個別設定と共通設定の切り替え"},
    {cmd::DiscardStore, "破棄", ToolbarRow::Bottom, "全株価データを破棄して作り直す"},
    {cmd::Settings, "設定", ToolbarRow::Bottom, "オプション設定"},
    {cmd::BulkUpdate, "一括更新", ToolbarRow::Bottom,
     "株価データの一括更新（Shift/Ctrl: もう一方の更新方法）"},
    {cmd::Newest, "直近", ToolbarRow::Bottom, "最新の足へ（Home）"},
    {cmd::ZoomIn, "拡大", ToolbarRow::Bottom, "拡大（Insert）"},
    {cmd::ZoomOut, "縮小", ToolbarRow::Bottom, "縮小（Delete）"},
    {cmd::PageBack, "≪戻", ToolbarRow::Bottom, "１画面前へ（Page Up）"},
    {cmd::PageForward, "≫進", ToolbarRow::Bottom, "１画面後へ（Page Down）"},
    {cmd::StepLeft, "←", ToolbarRow::Bottom, "１本前へ（Shift/Ctrl: 10本）"},
    {cmd::StepRight, "→", ToolbarRow::Bottom, "１本後へ（Shift/Ctrl: 10本）"},
    {cmd::RefetchNewest, "修正", ToolbarRow::Bottom, "最新の足を取得し直す"},
    {cmd::Margin, "信用", ToolbarRow::Bottom, "信用残を取得してチャートに表示"},
    {cmd::IntradayPage, "日中", ToolbarRow::Bottom, "日中足チャートのページを開く"},
    {cmd::QuoteOnce, "速報", ToolbarRow::Bottom, "現在値を一度取得して仮の足で表示"},
    {cmd::NextOverlay, "チ", ToolbarRow::Bottom, "チャート：次の重ね描きへ（Shift/Ctrl: 前へ）"},
    {cmd::NextScreen, "指", ToolbarRow::Bottom, "指数：次の指数画面へ（Shift/Ctrl: 前へ）"},
    {cmd::MarkerAMode, "変", ToolbarRow::Bottom, "変動率：クリックした足を基準日にする", true},
    {cmd::MarkerBMode, "覆", ToolbarRow::Bottom, "覆い：クリックした足より後を隠す", true},
    {cmd::TrendLineMode, "線", ToolbarRow::Bottom, "線：トレンドラインを引く", true},
    {cmd::DeleteTrendLine, "消", ToolbarRow::Bottom,
     "消去：最新のトレンドラインを消す（Shift/Ctrl: すべて）"},
    {cmd::EntryUp, "↑", ToolbarRow::List, "選択した銘柄を一つ上へ（注目銘柄のみ）"},
    {cmd::EntryDown, "↓", ToolbarRow::List, "選択した銘柄を一つ下へ（注目銘柄のみ）"},
    {cmd::ListUpdate, "更新", ToolbarRow::List,
     "リストの株価データを一括更新（Shift/Ctrl: 一括ダウンロード）"},
    {cmd::ListRange, "ﾚﾝｼﾞ", ToolbarRow::List, "レンジ判定の印を付ける（注目銘柄のみ）"},
    {cmd::ListSignals, "ｻｲﾝ", ToolbarRow::List, "戦略のサインの印を付ける（注目銘柄のみ）"},
    {cmd::QuoteWatch, "監視", ToolbarRow::List, "株価監視の開始／停止", true},
};

constexpr int kButtonHeight = 24;
constexpr int kStrategyWidth = 120;
constexpr int kRowStart = 5;
constexpr int kMinListPointSize = 7;

int buttonWidth(const QFontMetrics& metrics, const QString& label) {
    return std::max(24, metrics.horizontalAdvance(composedKana(label)) + 12);
}

// Buttons that are relabelled get the width of their widest label, so the
// row does not move when they change.
int slotWidth(const QFontMetrics& metrics, const ButtonSpec& entry) {
    static const std::map<int, std::vector<const char*>> kOtherLabels = {
        {cmd::PeriodMenu, {"週足", "月足"}},
        {cmd::PriceStyleMenu, {"折線", "バー"}},
        {cmd::OverlayMenu, {"一目", "ﾊﾟﾗﾎﾞ", "HL帯", "ﾎﾞﾘﾝ", "ｴﾝﾍﾞ", "MA帯"}},
        {cmd::ScreenMenu, {"指数17"}},
        {cmd::ToggleIndividual, {"個別"}},
        {cmd::ToggleWatchlist, {"□"}},
    };
    int width = buttonWidth(metrics, QString::fromUtf8(entry.label));
    if (auto others = kOtherLabels.find(entry.id); others != kOtherLabels.end())
        for (const char* label : others->second)
            width = std::max(width, buttonWidth(metrics, QString::fromUtf8(label)));
    return width;
}

// The list buttons share the list's width: their labels get the largest
// size, then the least condensed face, at which the longest fits the
// narrowest of the wide buttons.
QFont listButtonFont(QFont font, int buttonWidth) {
    const auto fits = [&](const QFont& candidate) {
        const QFontMetrics metrics(candidate);
        for (const char* label : {"ﾚﾝｼﾞ", "ｻｲﾝ", "更新", "監視"})
            if (metrics.horizontalAdvance(composedKana(QString::fromUtf8(label))) + 4 > buttonWidth)
                return false;
        return true;
    };
    for (int size = font.pointSize(); size >= kMinListPointSize; --size) {
        for (int stretch : {100, 85, 75}) {
            QFont candidate = font;
            candidate.setPointSize(size);
            candidate.setStretch(stretch);
            if (fits(candidate)) return candidate;
        }
    }
    font.setPointSize(kMinListPointSize);
    font.setStretch(75);
    return font;
}

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
        button->setToolTip(QString::fromUtf8(entry.tip));
        const int id = entry.id;
        connect(button, &QPushButton::clicked, this, [this, id] { emit command(id); });
        buttons_[entry.id] = button;
    }
    strategy_ = new QComboBox(window);
    strategy_->setObjectName(QStringLiteral("strategySelector"));
    strategy_->setFocusPolicy(Qt::NoFocus);
    strategy_->setToolTip(QStringLiteral("戦略の選択（先頭は戦略なし）"));
}

int Toolbar::requiredWidth() const {
    const QFontMetrics metrics(window_->font());
    int top = kRowStart;
    int bottom = kRowStart;
    for (const ButtonSpec& entry : kButtons) {
        const int w = slotWidth(metrics, entry);
        if (entry.row == ToolbarRow::Top)
            top += w + (entry.id == cmd::RankingDownload ? kStrategyWidth + 8 : 0);
        if (entry.row == ToolbarRow::Bottom) bottom += w;
    }
    return std::max(top, bottom) + kRowStart;
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
    int topX = kRowStart;
    int bottomX = kRowStart;
    int listIndex = 0;
    const QFont listFont = listButtonFont(window_->font(), layout.listButtons[2].width());
    for (const ButtonSpec& entry : kButtons) {
        QAbstractButton* b = buttons_[entry.id];
        const int w = slotWidth(metrics, entry);
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
                b->setFont(listFont);
                b->setVisible(watchlistShown);
                break;
            }
        }
    }
}

}  // namespace tav::desktop
