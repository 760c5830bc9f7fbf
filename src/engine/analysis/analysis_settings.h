#pragma once

#include "core/period_mode.h"
#include "settings/analysis_parameters.h"

namespace tav {

// The parameters of one recompute pass: the values of the current period
// taken out of the parameter block, plus the display switches the pass reads.
// Every value is a byte on disk; they are widened to int once here.
struct AnalysisSettings {
    // Chart parameters.
    int spTurnPercent = 10;
    int parabolicBandPercent = 15;
    int maBandPercent = 25;
    int envelopePercent = 10;
    int hlBandPeriod = 20;
    int bollingerPeriod = 13;
    int maLongPeriod = 26;
    int maMidPeriod = 13;
    int maShortPeriod = 6;
    int volumeMaLongPeriod = 26;
    int volumeMaShortPeriod = 6;
    int kijunPeriod = 26;
    int tenkanPeriod = 9;
    int chikouShift = 26;
    int senkouPeriod = 52;
    int parabolicInitialAf = 14;
    int parabolicStepAf = 2;
    int parabolicMaxAf = 20;
    // Indicator parameters.
    int rsiPeriod = 6;
    int rciPeriod = 6;
    int rocPeriod = 8;
    int williamsPeriod = 5;
    int psychPeriod = 12;
    int macdLongPeriod = 26;
    int macdShortPeriod = 12;
    int macdSignalPeriod = 9;
    int dmiPeriod = 14;
    int stochPeriod = 5;
    int stochSlowPeriod = 3;
    int forceIndexPeriod = 2;
    int vrPeriod = 13;
    int wakoVrPeriod = 13;
    int pvrPeriod = 13;
    int multiRsiLongPeriod = 15;
    int multiRsiMidPeriod = 10;
    int multiRsiShortPeriod = 5;
    int multiRciLongPeriod = 15;
    int multiRciMidPeriod = 10;
    int multiRciShortPeriod = 5;
    int vlRsiPeriod = 14;
    // Display switches.
    bool parabolicOnClose = false;
    int waveLineDays = 0;  // 0: the wave line is not computed

    static AnalysisSettings from(const AnalysisParameters& parameters, PeriodMode period,
                                 const DisplaySwitches& switches);
};

}  // namespace tav
