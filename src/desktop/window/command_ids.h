#pragma once

namespace tav::desktop {

// Command ids of the toolbar buttons and of the commands panes post to the
// window. Files and menus refer to these numbers, so they never change.
namespace cmd {
// Toolbar, first row.
constexpr int UpdateMaster = 164;
constexpr int Search = 208;
constexpr int ToggleWatchlist = 147;
constexpr int HistoryMenu = 116;
constexpr int HistoryOlder = 242;
constexpr int HistoryNewer = 243;
constexpr int InvestmentLinks = 117;
constexpr int CompanyInfo = 118;
constexpr int Screening = 119;
constexpr int Simulation = 120;
constexpr int Portfolio = 9201;  // beside ｼﾐｭﾚｰｼｮﾝ, a later addition
constexpr int RankingDownload = 148;
constexpr int ListSelector = 123;
constexpr int StrategySelector = 175;
constexpr int StrategyDialog = 181;
constexpr int PeriodMenu = 109;
constexpr int PriceStyleMenu = 110;
constexpr int OverlayMenu = 121;
constexpr int ScreenMenu = 122;
constexpr int ToggleIndividual = 111;
constexpr int DiscardStore = 112;
constexpr int Settings = 113;
// Toolbar, second row.
constexpr int BulkUpdate = 140;
constexpr int Newest = 141;
constexpr int ZoomIn = 142;
constexpr int ZoomOut = 182;
constexpr int PageBack = 114;
constexpr int PageForward = 115;
constexpr int StepLeft = 160;
constexpr int StepRight = 161;
constexpr int RefetchNewest = 203;
constexpr int Margin = 229;
constexpr int IntradayPage = 196;
constexpr int QuoteOnce = 230;
constexpr int NextOverlay = 209;
constexpr int NextScreen = 210;
constexpr int MarkerAMode = 211;
constexpr int MarkerBMode = 212;
constexpr int TrendLineMode = 213;
constexpr int DeleteTrendLine = 215;
// Buttons above the entry list.
constexpr int EntryUp = 184;
constexpr int EntryDown = 185;
constexpr int ListUpdate = 223;
constexpr int ListRange = 231;
constexpr int ListSignals = 188;
constexpr int QuoteWatch = 225;
// Posted by panes and menus.
constexpr int ChartHover = 106;
constexpr int ClearChartHover = 107;
constexpr int IndicatorHover = 108;
constexpr int ChartCrosshair = 127;
constexpr int IndicatorCrosshair = 128;
constexpr int ShowChosenScreen = 154;
constexpr int SplitterDragEnd = 180;
constexpr int MarkerASetInChart = 204;
constexpr int MarkerASetInIndicator = 217;
constexpr int MarkerBSetInChart = 218;
constexpr int MarkerBSetInIndicator = 219;
constexpr int OpenDataFile = 216;
constexpr int BarClicked = 224;
constexpr int TakeFocus = 235;
constexpr int ScrollBack10 = 238;
constexpr int ScrollForward10 = 239;

// Actions only keys give; numbered apart from the ids above.
constexpr int InvertPanes = 9001;
constexpr int NextPeriod = 9002;
constexpr int ToggleSplitter1 = 9003;
constexpr int ScrollBack1 = 9004;
constexpr int ScrollForward1 = 9005;
constexpr int FixPriceScale = 9006;
constexpr int Help = 9007;

// Windows the panes open.
constexpr int ShowProfitView = 9101;  // a click on the note pane's summary
constexpr int AddSecurity = 9102;     // "銘柄情報に追加" of the list selector menu
constexpr int DeleteSecurity = 9103;  // "銘柄情報の削除" of the list selector menu
}  // namespace cmd

}  // namespace tav::desktop
