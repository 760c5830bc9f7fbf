#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "core/period_mode.h"

namespace tav {

// The 18 chart parameters, in block order.
enum class ChartParam : uint8_t {
    spTurnPercent,
    parabolicBandPercent,
    maBandPercent,
    envelopePercent,
    hlBandPeriod,
    bollingerPeriod,
    maLongPeriod,
    maMidPeriod,
    maShortPeriod,
    volumeMaLongPeriod,
    volumeMaShortPeriod,
    kijunPeriod,
    tenkanPeriod,
    chikouShift,
    senkouPeriod,
    parabolicInitialAf,
    parabolicStepAf,
    parabolicMaxAf,
};
constexpr int kChartParamCount = 18;

// The 22 indicator parameters, in block order (after the chart parameters).
enum class IndicatorParam : uint8_t {
    rsiPeriod,
    rciPeriod,
    rocPeriod,
    williamsPeriod,
    psychPeriod,
    macdLongPeriod,
    macdShortPeriod,
    macdSignalPeriod,
    dmiPeriod,
    stochPeriod,
    stochSlowPeriod,
    forceIndexPeriod,
    vrPeriod,
    wakoVrPeriod,
    pvrPeriod,
    multiRsiLongPeriod,
    multiRsiMidPeriod,
    multiRsiShortPeriod,
    multiRciLongPeriod,
    multiRciMidPeriod,
    multiRciShortPeriod,
    vlRsiPeriod,
};
constexpr int kIndicatorParamCount = 22;

// Name in code, label on the settings page, default (the same for the three periods).
struct ParameterInfo {
    std::string_view name;
    std::string_view label;
    uint8_t defaultValue;
};

inline constexpr std::array<ParameterInfo, kChartParamCount> kChartParams = {{
    {"spTurnPercent", "ＳＰ天底率（０ ： 表示無し）", 10},
    {"parabolicBandPercent", "パラボリックバンド幅（独自仕様）", 15},
    {"maBandPercent", "ＭＡバンド幅", 25},
    {"envelopePercent", "エクベロープバンド幅", 10},
    {"hlBandPeriod", "ＨＬバンド期間", 20},
    {"bollingerPeriod", "ボリンジャーバンド期間", 13},
    {"maLongPeriod", "株価移動平均（長/中/短期）", 26},
    {"maMidPeriod", "株価移動平均（長/中/短期）", 13},
    {"maShortPeriod", "株価移動平均（長/中/短期）", 6},
    {"volumeMaLongPeriod", "出来高移動平均（長/短期）", 26},
    {"volumeMaShortPeriod", "出来高移動平均（長/短期）", 6},
    {"kijunPeriod", "一目均衡表（基準/転換/遅延/先行）", 26},
    {"tenkanPeriod", "一目均衡表（基準/転換/遅延/先行）", 9},
    {"chikouShift", "一目均衡表（基準/転換/遅延/先行）", 26},
    {"senkouPeriod", "一目均衡表（基準/転換/遅延/先行）", 52},
    {"parabolicInitialAf", "パラボリック（初期/加算/最大）", 14},
    {"parabolicStepAf", "パラボリック（初期/加算/最大）", 2},
    {"parabolicMaxAf", "パラボリック（初期/加算/最大）", 20},
}};

inline constexpr std::array<ParameterInfo, kIndicatorParamCount> kIndicatorParams = {{
    {"rsiPeriod", "ＲＳＩ期間", 6},
    {"rciPeriod", "ＲＣＩ期間", 6},
    {"rocPeriod", "ＲＯＣ期間", 8},
    {"williamsPeriod", "ウィリアムズ％Ｒ期間", 5},
    {"psychPeriod", "サイコロジカルライン期間", 12},
    {"macdLongPeriod", "ＭＡＣＤ期間（長/短期/ｼｸﾞﾅﾙ）", 26},
    {"macdShortPeriod", "ＭＡＣＤ期間（長/短期/ｼｸﾞﾅﾙ）", 12},
    {"macdSignalPeriod", "ＭＡＣＤ期間（長/短期/ｼｸﾞﾅﾙ）", 9},
    {"dmiPeriod", "DMI期間", 14},
    {"stochPeriod", "ストキャスティクス期間（%d/slow）", 5},
    {"stochSlowPeriod", "ストキャスティクス期間（%d/slow）", 3},
    {"forceIndexPeriod", "勢力指数期間", 2},
    {"vrPeriod", "ＶＲ期間", 13},
    {"wakoVrPeriod", "和光ＶＲ期間", 13},
    {"pvrPeriod", "ＰＶＲ期間", 13},
    {"multiRsiLongPeriod", "マルチＲＳＩ期間（長/中/短期）", 15},
    {"multiRsiMidPeriod", "マルチＲＳＩ期間（長/中/短期）", 10},
    {"multiRsiShortPeriod", "マルチＲＳＩ期間（長/中/短期）", 5},
    {"multiRciLongPeriod", "マルチＲＣＩ期間（長/中/短期）", 15},
    {"multiRciMidPeriod", "マルチＲＣＩ期間（長/中/短期）", 10},
    {"multiRciShortPeriod", "マルチＲＣＩ期間（長/中/短期）", 5},
    {"vlRsiPeriod", "ＶＬＲＳＩ", 14},
}};

// The 120-byte parameter block: 40 parameters of three unsigned bytes each
// (daily, weekly, monthly), the chart parameters first. This is the byte image
// the settings files store.
struct AnalysisParameters {
    static constexpr int kSize = 3 * (kChartParamCount + kIndicatorParamCount);
    std::array<uint8_t, kSize> bytes{};

    static AnalysisParameters defaults() {
        AnalysisParameters parameters;
        for (int i = 0; i < kChartParamCount; ++i)
            for (int p = 0; p < 3; ++p) parameters.bytes[3 * i + p] = kChartParams[i].defaultValue;
        for (int i = 0; i < kIndicatorParamCount; ++i)
            for (int p = 0; p < 3; ++p)
                parameters.bytes[3 * (kChartParamCount + i) + p] = kIndicatorParams[i].defaultValue;
        return parameters;
    }

    uint8_t chart(ChartParam param, PeriodMode period) const {
        return bytes[3 * static_cast<int>(param) + periodIndex(period)];
    }
    uint8_t indicator(IndicatorParam param, PeriodMode period) const {
        return bytes[3 * (kChartParamCount + static_cast<int>(param)) + periodIndex(period)];
    }
    void setChart(ChartParam param, PeriodMode period, uint8_t value) {
        bytes[3 * static_cast<int>(param) + periodIndex(period)] = value;
    }
    void setIndicator(IndicatorParam param, PeriodMode period, uint8_t value) {
        bytes[3 * (kChartParamCount + static_cast<int>(param)) + periodIndex(period)] = value;
    }

    friend bool operator==(const AnalysisParameters&, const AnalysisParameters&) = default;
};

// Display switches of the analysis (one byte each).
struct DisplaySwitches {
    uint8_t parabolicOnClose = 0;  // the parabolic follows closes instead of highs and lows
    uint8_t showTurnMarks = 1;     // the indicator pane draws the turning marks
    uint8_t waveLineDays = 0;      // wave line period in bars; 0 = not shown, not computed
    friend bool operator==(const DisplaySwitches&, const DisplaySwitches&) = default;
};

}  // namespace tav
