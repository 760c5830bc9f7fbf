#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace tav {

// The standard normal distribution function, through std::erfc.
double normalCdf(double x);
// Its inverse for 0 < p < 1: Acklam's rational approximation (relative error
// below 1.15e-9) refined by two Newton steps on normalCdf.
double normalQuantile(double p);

// The probability of backtest overfitting by combinatorially symmetric
// cross-validation. The T × N matrix of per-period returns (one column per
// trial) is cut into S equal blocks of rows (the first T mod S rows are
// dropped); for every choice of S/2 blocks as the in-sample set, the trial
// with the best in-sample Sharpe ratio is ranked among all trials on the
// other half. With ω its relative rank rank / (N + 1), the logit is
// λ = ln(ω / (1 − ω)); PBO is the share of choices with λ ≤ 0, that is, the
// in-sample best falling to the lower half out of sample.
struct OverfittingOdds {
    double probability = 0;
    std::vector<double> logits;  // one per choice, in the order of the block masks
};
// Nothing when S is odd, below 2 or above 24, with fewer than two trials or
// fewer rows than blocks.
std::optional<OverfittingOdds> backtestOverfitting(const std::vector<std::vector<double>>& columns,
                                                   int blocks);

// The deflated Sharpe ratio. Per-period figures throughout (not annualised).
// The expected maximum Sharpe ratio of `trials` independent trials with zero
// true Sharpe whose estimates vary by `variance`:
//   SR0 = sqrt(V) ((1 − γ) Z⁻¹(1 − 1/N) + γ Z⁻¹(1 − 1/(N e))), γ Euler's constant.
double expectedMaximumSharpe(double variance, int trials);
// The probability that the true Sharpe ratio exceeds sr0, given the estimate
// `sharpe` over `periods` returns of that skewness and (non-excess) kurtosis:
//   Z((SR − SR0) sqrt(T − 1) / sqrt(1 − γ3 SR + (γ4 − 1)/4 SR²)).
double probabilisticSharpe(double sharpe, double sr0, int periods, double skewness,
                           double kurtosis);

struct DeflatedSharpe {
    double sharpe = 0;           // of the best trial, per period
    double expectedMaximum = 0;  // SR0 from the trials' Sharpe ratios
    double skewness = 0;
    double kurtosis = 3;
    double probability = 0;  // the deflated Sharpe ratio
};
// For the best trial's returns, deflated by the Sharpe ratios of all trials.
DeflatedSharpe deflatedSharpe(const std::vector<double>& bestReturns,
                              const std::vector<double>& trialSharpes);

// The trades drawn anew `runs` times (with replacement, in random order),
// each run's maximum drawdown and final equity, at 5 %, 50 % and 95 %.
struct TradeMonteCarlo {
    int runs = 0;
    std::array<int64_t, 3> drawdown{};
    std::array<int64_t, 3> finalEquity{};
};
TradeMonteCarlo tradeMonteCarlo(const std::vector<int64_t>& trades, int64_t capital, int runs,
                                uint64_t seed);

}  // namespace tav
