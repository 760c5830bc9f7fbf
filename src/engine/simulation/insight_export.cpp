#include "simulation/insight_export.h"

namespace tav {

const std::array<std::string_view, kTripColumnCount> kTripColumnNames = {
    "tactic", "side",  "entryDate", "entryPrice", "exitDate", "exitPrice",
    "units",  "gross", "commission", "net",       "barsHeld", "reason"};
const std::array<std::string_view, kTripColumnCount> kTripColumnHeaders = {
    "戦術",   "売買", "仕掛日", "仕掛値", "手仕舞日", "手仕舞値",
    "建玉数", "損益", "手数料", "純損益", "日数",     "理由"};

namespace {

std::string dateOf(std::span<const DailyBar> bars, int32_t index) {
    if (index < 0 || index >= static_cast<int32_t>(bars.size())) return {};
    return std::string(bars[static_cast<std::size_t>(index)].dateText());
}

// A field with a separator, quote or line break is quoted, quotes doubled.
void appendCsvField(std::string& out, std::string_view field) {
    if (field.find_first_of(",\"\r\n") == std::string_view::npos) {
        out += field;
        return;
    }
    out += '"';
    for (char c : field) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
}

template <typename Fields>
void appendLine(std::string& out, const Fields& fields, char separator) {
    bool first = true;
    for (const auto& field : fields) {
        if (!first) out += separator;
        first = false;
        if (separator == ',') {
            appendCsvField(out, field);
        } else {
            // A tab or line break inside a cell would split the row.
            for (char c : std::string_view(field)) out += c == '\t' || c == '\n' || c == '\r' ? ' ' : c;
        }
    }
    out += '\n';
}

}  // namespace

std::array<std::string, kTripColumnCount> tripCells(const RoundTrip& trip,
                                                    std::span<const DailyBar> bars,
                                                    std::span<const std::string> tacticNames,
                                                    bool labels) {
    const auto tactic = static_cast<std::size_t>(trip.tactic);
    const bool isLong = trip.side == 1;
    return {tactic < tacticNames.size() ? tacticNames[tactic] : std::to_string(trip.tactic + 1),
            labels ? (isLong ? "買い" : "売り") : (isLong ? "long" : "short"),
            dateOf(bars, trip.entryBar),
            std::to_string(trip.entryPrice),
            dateOf(bars, trip.exitBar),
            std::to_string(trip.exitPrice),
            std::to_string(trip.units),
            std::to_string(trip.gross),
            std::to_string(trip.commission),
            std::to_string(trip.net()),
            std::to_string(trip.barsHeld()),
            std::string(labels ? exitReasonLabel(trip.reason) : exitReasonName(trip.reason))};
}

std::string tripsCsv(const TradeInsight& insight, std::span<const DailyBar> bars,
                     std::span<const std::string> tacticNames) {
    std::string out;
    appendLine(out, kTripColumnNames, ',');
    for (const RoundTrip& trip : insight.trips)
        appendLine(out, tripCells(trip, bars, tacticNames, false), ',');
    return out;
}

std::string equityCsv(const TradeInsight& insight, std::span<const DailyBar> bars) {
    std::string out = "date,equity,drawdown\n";
    for (const EquityPoint& point : insight.equity) {
        out += dateOf(bars, point.bar);
        out += ',' + std::to_string(point.equity) + ',' + std::to_string(point.drawdown) + '\n';
    }
    return out;
}

std::string tripsTabText(std::span<const RoundTrip> trips, std::span<const DailyBar> bars,
                         std::span<const std::string> tacticNames) {
    std::string out;
    appendLine(out, kTripColumnHeaders, '\t');
    for (const RoundTrip& trip : trips) appendLine(out, tripCells(trip, bars, tacticNames, true), '\t');
    return out;
}

}  // namespace tav
