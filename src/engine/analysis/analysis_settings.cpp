#include "analysis/analysis_settings.h"

namespace tav {

AnalysisSettings AnalysisSettings::from(const AnalysisParameters& parameters, PeriodMode period,
                                        const DisplaySwitches& switches) {
    auto chart = [&](ChartParam param) {
        return static_cast<int>(parameters.chart(param, period));
    };
    auto indicator = [&](IndicatorParam param) {
        return static_cast<int>(parameters.indicator(param, period));
    };
    AnalysisSettings s;
    s.spTurnPercent = chart(ChartParam::spTurnPercent);
    s.parabolicBandPercent = chart(ChartParam::parabolicBandPercent);
    s.maBandPercent = chart(ChartParam::maBandPercent);
    s.envelopePercent = chart(ChartParam::envelopePercent);
    s.hlBandPeriod = chart(ChartParam::hlBandPeriod);
    s.bollingerPeriod = chart(ChartParam::bollingerPeriod);
    s.maLongPeriod = chart(ChartParam::maLongPeriod);
    s.maMidPeriod = chart(ChartParam::maMidPeriod);
    s.maShortPeriod = chart(ChartParam::maShortPeriod);
    s.volumeMaLongPeriod = chart(ChartParam::volumeMaLongPeriod);
    s.volumeMaShortPeriod = chart(ChartParam::volumeMaShortPeriod);
    s.kijunPeriod = chart(ChartParam::kijunPeriod);
    s.tenkanPeriod = chart(ChartParam::tenkanPeriod);
    s.chikouShift = chart(ChartParam::chikouShift);
    s.senkouPeriod = chart(ChartParam::senkouPeriod);
    s.parabolicInitialAf = chart(ChartParam::parabolicInitialAf);
    s.parabolicStepAf = chart(ChartParam::parabolicStepAf);
    s.parabolicMaxAf = chart(ChartParam::parabolicMaxAf);

    s.rsiPeriod = indicator(IndicatorParam::rsiPeriod);
    s.rciPeriod = indicator(IndicatorParam::rciPeriod);
    s.rocPeriod = indicator(IndicatorParam::rocPeriod);
    s.williamsPeriod = indicator(IndicatorParam::williamsPeriod);
    s.psychPeriod = indicator(IndicatorParam::psychPeriod);
    s.macdLongPeriod = indicator(IndicatorParam::macdLongPeriod);
    s.macdShortPeriod = indicator(IndicatorParam::macdShortPeriod);
    s.macdSignalPeriod = indicator(IndicatorParam::macdSignalPeriod);
    s.dmiPeriod = indicator(IndicatorParam::dmiPeriod);
    s.stochPeriod = indicator(IndicatorParam::stochPeriod);
    s.stochSlowPeriod = indicator(IndicatorParam::stochSlowPeriod);
    s.forceIndexPeriod = indicator(IndicatorParam::forceIndexPeriod);
    s.vrPeriod = indicator(IndicatorParam::vrPeriod);
    s.wakoVrPeriod = indicator(IndicatorParam::wakoVrPeriod);
    s.pvrPeriod = indicator(IndicatorParam::pvrPeriod);
    s.multiRsiLongPeriod = indicator(IndicatorParam::multiRsiLongPeriod);
    s.multiRsiMidPeriod = indicator(IndicatorParam::multiRsiMidPeriod);
    s.multiRsiShortPeriod = indicator(IndicatorParam::multiRsiShortPeriod);
    s.multiRciLongPeriod = indicator(IndicatorParam::multiRciLongPeriod);
    s.multiRciMidPeriod = indicator(IndicatorParam::multiRciMidPeriod);
    s.multiRciShortPeriod = indicator(IndicatorParam::multiRciShortPeriod);
    s.vlRsiPeriod = indicator(IndicatorParam::vlRsiPeriod);

    s.parabolicOnClose = switches.parabolicOnClose != 0;
    s.waveLineDays = switches.waveLineDays;
    return s;
}

}  // namespace tav
