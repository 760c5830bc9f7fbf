#include "research/overfitting.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <numbers>

#include "research/random.h"

namespace tav {

double normalCdf(double x) {
    return 0.5 * std::erfc(-x / std::numbers::sqrt2);
}

double normalQuantile(double p) {
    if (p <= 0) return -HUGE_VAL;
    if (p >= 1) return HUGE_VAL;
    static constexpr double a[] = {-3.969683028665376e+01, 2.209460984245205e+02,
                                   -2.759285104469687e+02, 1.383577518672690e+02,
                                   -3.066479806614716e+01, 2.506628277459239e+00};
    static constexpr double b[] = {-5.447609879822406e+01, 1.615858368580409e+02,
                                   -1.556989798598866e+02, 6.680131188771972e+01,
                                   -1.328068155288572e+01};
    static constexpr double c[] = {-7.784894002430293e-03, -3.223964580411365e-01,
                                   -2.400758277161838e+00, -2.549732539343734e+00,
                                   4.374664141464968e+00,  2.938163982698783e+00};
    static constexpr double d[] = {7.784695709041462e-03, 3.224671290700398e-01,
                                   2.445134137142996e+00, 3.754408661907416e+00};
    constexpr double low = 0.02425;
    double x = 0;
    if (p < low) {
        const double q = std::sqrt(-2 * std::log(p));
        x = (((((c[0] * q + c[1]) * q + c[2]) * q + c[3]) * q + c[4]) * q + c[5]) /
            ((((d[0] * q + d[1]) * q + d[2]) * q + d[3]) * q + 1);
    } else if (p <= 1 - low) {
        const double q = p - 0.5, r = q * q;
        x = (((((a[0] * r + a[1]) * r + a[2]) * r + a[3]) * r + a[4]) * r + a[5]) * q /
            (((((b[0] * r + b[1]) * r + b[2]) * r + b[3]) * r + b[4]) * r + 1);
    } else {
        const double q = std::sqrt(-2 * std::log(1 - p));
        x = -(((((c[0] * q + c[1]) * q + c[2]) * q + c[3]) * q + c[4]) * q + c[5]) /
            ((((d[0] * q + d[1]) * q + d[2]) * q + d[3]) * q + 1);
    }
    // Newton on Z(x) − p; the density is never zero this far in.
    for (int step = 0; step < 2; ++step) {
        const double density = std::exp(-0.5 * x * x) / std::sqrt(2 * std::numbers::pi);
        x -= (normalCdf(x) - p) / density;
    }
    return x;
}

std::optional<OverfittingOdds> backtestOverfitting(const std::vector<std::vector<double>>& columns,
                                                   int blocks) {
    if (blocks < 2 || blocks > 24 || blocks % 2 != 0 || columns.size() < 2) return std::nullopt;
    const std::size_t rows = columns.front().size();
    for (const auto& column : columns)
        if (column.size() != rows) return std::nullopt;
    if (rows < static_cast<std::size_t>(blocks)) return std::nullopt;
    const std::size_t perBlock = rows / static_cast<std::size_t>(blocks);
    const std::size_t skip = rows - perBlock * static_cast<std::size_t>(blocks);
    const std::size_t trials = columns.size();

    // Sums and sums of squares per block and trial.
    std::vector<double> sums(static_cast<std::size_t>(blocks) * trials);
    std::vector<double> squares(sums.size());
    for (std::size_t t = 0; t < trials; ++t)
        for (int k = 0; k < blocks; ++k) {
            double s = 0, q = 0;
            const std::size_t from = skip + static_cast<std::size_t>(k) * perBlock;
            for (std::size_t r = from; r < from + perBlock; ++r) {
                const double v = columns[t][r];
                s += v;
                q += v * v;
            }
            sums[static_cast<std::size_t>(k) * trials + t] = s;
            squares[static_cast<std::size_t>(k) * trials + t] = q;
        }
    const double n = static_cast<double>(perBlock) * (blocks / 2);
    auto sharpeOf = [&](uint32_t mask, std::size_t t) {
        double s = 0, q = 0;
        for (int k = 0; k < blocks; ++k)
            if (mask & (1u << k)) {
                s += sums[static_cast<std::size_t>(k) * trials + t];
                q += squares[static_cast<std::size_t>(k) * trials + t];
            }
        const double mean = s / n;
        const double variance = n > 1 ? (q - n * mean * mean) / (n - 1) : 0;
        return variance > 0 ? mean / std::sqrt(variance) : 0.0;
    };

    OverfittingOdds odds;
    int atOrBelow = 0;
    const uint32_t all = (1u << blocks) - 1;
    std::vector<double> outOfSample(trials);
    for (uint32_t mask = 0; mask <= all; ++mask) {
        if (std::popcount(mask) != blocks / 2) continue;
        std::size_t best = 0;
        double bestSharpe = 0;
        for (std::size_t t = 0; t < trials; ++t) {
            const double sr = sharpeOf(mask, t);
            if (t == 0 || sr > bestSharpe) best = t, bestSharpe = sr;
        }
        for (std::size_t t = 0; t < trials; ++t)
            outOfSample[t] = sharpeOf(all & ~mask, t);
        // Rank 1 ... N from the worst, ties sharing their mean rank.
        double below = 0, equal = 0;
        for (double v : outOfSample) {
            if (v < outOfSample[best])
                ++below;
            else if (v == outOfSample[best])
                ++equal;
        }
        const double rank = below + (equal + 1) / 2;
        const double omega = rank / (static_cast<double>(trials) + 1);
        const double logit = std::log(omega / (1 - omega));
        odds.logits.push_back(logit);
        if (logit <= 0) ++atOrBelow;
    }
    odds.probability = static_cast<double>(atOrBelow) / static_cast<double>(odds.logits.size());
    return odds;
}

double expectedMaximumSharpe(double variance, int trials) {
    if (trials < 2 || variance <= 0) return 0;
    constexpr double gamma = std::numbers::egamma;
    const double n = trials;
    return std::sqrt(variance) * ((1 - gamma) * normalQuantile(1 - 1 / n) +
                                  gamma * normalQuantile(1 - 1 / (n * std::numbers::e)));
}

double probabilisticSharpe(double sharpe, double sr0, int periods, double skewness,
                           double kurtosis) {
    if (periods < 2) return 0;
    const double spread = 1 - skewness * sharpe + (kurtosis - 1) / 4 * sharpe * sharpe;
    if (spread <= 0) return sharpe > sr0 ? 1 : 0;
    return normalCdf((sharpe - sr0) * std::sqrt(periods - 1.0) / std::sqrt(spread));
}

DeflatedSharpe deflatedSharpe(const std::vector<double>& bestReturns,
                              const std::vector<double>& trialSharpes) {
    DeflatedSharpe out;
    const auto n = static_cast<double>(bestReturns.size());
    if (bestReturns.size() < 2) return out;
    double mean = 0;
    for (double r : bestReturns)
        mean += r;
    mean /= n;
    double m2 = 0, m3 = 0, m4 = 0;
    for (double r : bestReturns) {
        const double d = r - mean;
        m2 += d * d;
        m3 += d * d * d;
        m4 += d * d * d * d;
    }
    m2 /= n, m3 /= n, m4 /= n;
    if (m2 <= 0) return out;
    out.sharpe = mean / std::sqrt(m2 * n / (n - 1));
    out.skewness = m3 / std::pow(m2, 1.5);
    out.kurtosis = m4 / (m2 * m2);

    double variance = 0;
    if (trialSharpes.size() > 1) {
        double average = 0;
        for (double s : trialSharpes)
            average += s;
        average /= static_cast<double>(trialSharpes.size());
        for (double s : trialSharpes)
            variance += (s - average) * (s - average);
        variance /= static_cast<double>(trialSharpes.size() - 1);
    }
    out.expectedMaximum = expectedMaximumSharpe(variance, static_cast<int>(trialSharpes.size()));
    out.probability =
        probabilisticSharpe(out.sharpe, out.expectedMaximum, static_cast<int>(bestReturns.size()),
                            out.skewness, out.kurtosis);
    return out;
}

TradeMonteCarlo tradeMonteCarlo(const std::vector<int64_t>& trades, int64_t capital, int runs,
                                uint64_t seed) {
    TradeMonteCarlo out;
    if (trades.empty() || runs <= 0) return out;
    out.runs = runs;
    SplitMix64 random(seed);
    std::vector<int64_t> drawdowns, finals;
    drawdowns.reserve(static_cast<std::size_t>(runs));
    finals.reserve(static_cast<std::size_t>(runs));
    for (int run = 0; run < runs; ++run) {
        int64_t equity = capital, peak = capital, drawdown = 0;
        for (std::size_t i = 0; i < trades.size(); ++i) {
            equity += trades[random.below(trades.size())];
            peak = std::max(peak, equity);
            drawdown = std::max(drawdown, peak - equity);
        }
        drawdowns.push_back(drawdown);
        finals.push_back(equity);
    }
    std::sort(drawdowns.begin(), drawdowns.end());
    std::sort(finals.begin(), finals.end());
    // Nearest rank: the smallest value with at least p of the runs at or below it.
    constexpr std::array<int, 3> percents = {5, 50, 95};
    for (std::size_t k = 0; k < percents.size(); ++k) {
        const auto rank = (static_cast<int64_t>(percents[k]) * runs + 99) / 100;
        const auto at = static_cast<std::size_t>(std::max<int64_t>(rank, 1) - 1);
        out.drawdown[k] = drawdowns[at];
        out.finalEquity[k] = finals[at];
    }
    return out;
}

}  // namespace tav
