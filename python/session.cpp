#include "session.h"

#include "core/stock_code.h"

namespace tav::python {

Session::Session(const std::string& root, PeriodMode period)
    : workspace_(ProgramFolder(root),
                 Platform{prompter_, http_, lzh_, shell_, clock_, clipboard_}) {
    workspace_.loadSettings(std::nullopt);
    workspace_.periodMode = period;
    workspace_.storageMode = StorageMode::Accumulate;
    workspace_.keepStoredViewModes = true;
}

void Session::loadAndRecompute(StockCode code) {
    if (!workspace_.loadStoredSeries(code))
        throw EngineError("no stored series for " + codeText(code));
    workspace_.seriesChanged(StrategyRun::None);
}

void Session::fail(const std::string& fallback) const {
    std::string text;
    for (const std::string& told : prompter_.told)
        text += (text.empty() ? "" : "\n") + told;
    throw EngineError(text.empty() ? fallback : text);
}

}  // namespace tav::python
