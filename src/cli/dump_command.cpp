#include "dump_command.h"

#include <cinttypes>
#include <cstdio>
#include <iostream>
#include <string>

#include "json_output.h"

namespace tav::cli {

namespace {

constexpr const char* kDumpHeader =
    "date,open,high,low,close,volume,provisional,change,body,maLong,maMid,maShort,waveLine,"
    "bollingerMid,kijun,tenkan,chikou,senkou1,senkou2,macdLongEma,macdShortEma,macd,macdSignal,"
    "forceIndex,sarTrend,sar,sarBand,hlHigh,hlLow,turnMark,turnConfirmed,turnDistance,turnRatio,"
    "psychUpCount,upBar,williamsR,rsi,rsiLong,rsiMid,rsiShort,rci,rciLong,rciMid,rciShort,"
    "volatility5,vlRsi,deviationLong,deviationMid,roc,vr,wakoVr,pvr,dx,adx,plusDi,minusDi,stochK,"
    "stochD,stochSlowD,volumeMaShort,volumeMaLong,range,rangeAverage,turnMarkWilliamsR,"
    "turnMarkRsi,turnMarkRci,turnMarkRoc,turnMarkPvr,turnMarkWakoVr,turnMarkVlRsi\n";

void appendFormat(std::string& out, const char* format, auto value) {
    char text[64];
    int length = std::snprintf(text, sizeof text, format, value);
    out.append(text, static_cast<std::size_t>(length));
}

void appendInt(std::string& out, int64_t value) {
    out += ',';
    appendFormat(out, "%" PRId64, value);
}

void appendBar(std::string& out, const DailyBar& bar) {
    out += bar.dateText();
    for (int64_t value :
         {int64_t{bar.open}, int64_t{bar.high}, int64_t{bar.low}, int64_t{bar.close}, bar.volume,
          int64_t{bar.provisional}, int64_t{bar.change}, int64_t{bar.body}, int64_t{bar.maLong},
          int64_t{bar.maMid}, int64_t{bar.maShort}, int64_t{bar.waveLine},
          int64_t{bar.bollingerMid}, int64_t{bar.kijun}, int64_t{bar.tenkan}, int64_t{bar.chikou},
          int64_t{bar.senkou1}, int64_t{bar.senkou2}})
        appendInt(out, value);
    out += ',';
    appendFormat(out, "%.9g", static_cast<double>(bar.macdLongEma));
    out += ',';
    appendFormat(out, "%.9g", static_cast<double>(bar.macdShortEma));
    for (int64_t value :
         {int64_t{bar.macd},          int64_t{bar.macdSignal},   int64_t{bar.forceIndex},
          int64_t{bar.sarTrend},      int64_t{bar.sar},          int64_t{bar.sarBand},
          int64_t{bar.hlHigh},        int64_t{bar.hlLow},        int64_t{bar.turnMark},
          int64_t{bar.turnConfirmed}, int64_t{bar.turnDistance}, int64_t{bar.turnRatio},
          int64_t{bar.psychUpCount},  int64_t{bar.upBar},        int64_t{bar.williamsR},
          int64_t{bar.rsi},           int64_t{bar.rsiLong},      int64_t{bar.rsiMid},
          int64_t{bar.rsiShort},      int64_t{bar.rci},          int64_t{bar.rciLong},
          int64_t{bar.rciMid},        int64_t{bar.rciShort}})
        appendInt(out, value);
    out += ',';
    appendFormat(out, "%.17g", bar.volatility5);
    for (int64_t value :
         {int64_t{bar.vlRsi}, int64_t{bar.deviationLong}, int64_t{bar.deviationMid},
          int64_t{bar.roc}, int64_t{bar.vr}, int64_t{bar.wakoVr}, int64_t{bar.pvr}, int64_t{bar.dx},
          int64_t{bar.adx}, int64_t{bar.plusDi}, int64_t{bar.minusDi}, int64_t{bar.stochK},
          int64_t{bar.stochD}, int64_t{bar.stochSlowD}, bar.volumeMaShort, bar.volumeMaLong,
          int64_t{bar.range}, int64_t{bar.rangeAverage}})
        appendInt(out, value);
    for (uint8_t mark : bar.turnMarks)
        appendInt(out, mark);
    out += '\n';
}

}  // namespace

int runDump(CommandContext& context) {
    if (context.line.words.size() != 2)
        return usageError("usage: dump CODE [--period daily|weekly|monthly] [--format csv|json]");
    auto code = parseCodeArgument(context.line.words[1]);
    if (!code) return usageError("not a security code: " + context.line.words[1]);
    const auto format = outputFormat(context.line);
    if (!format) return kExitUsage;
    Workspace& workspace = context.workspace;
    if (!workspace.loadStoredSeries(*code)) {
        std::cerr << "tavrento-cli: no stored series for " << codeText(*code) << '\n';
        return kExitFailed;
    }
    // Looks up the security and recomputes with the folder's settings.
    workspace.seriesChanged();
    std::string out = kDumpHeader;
    for (const DailyBar& bar : workspace.series().bars)
        appendBar(out, bar);
    std::cout << formatTable(out, *format) << std::flush;
    return kExitOk;
}

}  // namespace tav::cli
