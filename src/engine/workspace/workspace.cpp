#include "workspace/workspace.h"

#include "analysis/tick.h"
#include "conditions/capsule_set.h"
#include "core/file_io.h"
#include "data/folder_setup.h"
#include "updates/day_import.h"

namespace tav {

namespace {

constexpr const char* kReadOnlyMessage = kFolderInUseMessage;

}  // namespace

Workspace::Workspace(ProgramFolder folder, Platform platform)
    : folder_(std::move(folder)),
      platform_(platform),
      lock_(std::make_unique<FolderLock>(folder_.root())),
      watchlists_(folder_, platform_.prompter),
      history_(folder_),
      settings_(folder_.root(), platform_.clock.today().day) {
    watchlists_.readOnly = !storeWritable();
    if (storeWritable()) recoverStore();
}

void Workspace::recoverStore() {
    // Whatever a killed run left half-done is undone before anything is read.
    recoverInterruptedImport(folder_);
    for (const char* sub : {"", "Data", "Source"})
        fileio::removeAtomicTemporaries(*sub ? folder_.path(sub) : folder_.root());
}

bool Workspace::requireWritableStore() {
    if (storeWritable()) return true;
    prompter().message(kReadOnlyMessage, MessageIcon::Stop);
    return false;
}

bool Workspace::initProgramFolder() {
    if (!fileio::directoryExists(folder_.root())) {
        // A new folder: create it, then take the lock that could not be taken before.
        createFolderLayout(folder_);
        lock_ = std::make_unique<FolderLock>(folder_.root());
        watchlists_.readOnly = !storeWritable();
        if (storeWritable()) recoverStore();
    }
    if (storeWritable()) createFolderLayout(folder_);
    if (!fileio::fileExists(folder_.path(StockMaster::kFileName))) {
        prompter().message("[Stock.lst]　が見つかりません。", MessageIcon::Warning);
        if (storeWritable()) updateMasterFromArchive(false);
    }
    if (!fileio::fileExists(folder_.path("url.lst"))) {
        prompter().message("[url.lst]　が見つかりません。投資情報が使えませんのでご注意ください。",
                           MessageIcon::Stop);
    }
    if (storeWritable()) {
        createTitleFile(folder_, "Focus.inf", "注目銘柄");
        createTitleFile(folder_, "Trade.inf", "売買戦略");
        createTitleFile(folder_, "Capsel.inf", "条件カプセル");
        // A daily import cut short by a crash is taken back before any series is read.
        recoverInterruptedImport(folder_);
    }
    std::string indexFile =
        dataFilePath(folder_, kDefaultCode, PeriodMode::Daily, StorageMode::Accumulate);
    return !fileio::fileExists(indexFile);
}

StockCode Workspace::loadSettings(std::optional<StockCode> commandLineCode) {
    settings_.load(commandLineCode, analysisParameters);
    if (settings_.optionsFileShort)
        prompter().message("[Option.cfg]　が壊れています。初期設定で起動します。",
                           MessageIcon::Warning);
    const OptionsRecord& options = settings_.options;
    periodMode = static_cast<PeriodMode>(options.periodMode);
    storageMode = options.accumulateMode ? StorageMode::Accumulate : StorageMode::Scratch;
    // "Last.txt" holds the series shown at the last exit, whatever code starts now.
    lastShownCode = settings_.storedCode();
    displaySwitches = {options.parabolicOnClose, options.showTurnMarks, options.waveLineDays};
    history_.setLengthSetting(options.historyLength);
    watchlists_.sorted = options.watchlistSorted != 0;
    watchlists_.select(options.watchlistSelector);
    // The start code is the code on display until its series is loaded.
    if (series_.empty()) series_.code = options.stockCode;
    return options.stockCode;
}

bool Workspace::saveSettings() {
    if (!storeWritable()) return false;
    OptionsRecord& options = settings_.options;
    if (!keepStoredViewModes) {
        options.periodMode = static_cast<uint8_t>(periodMode);
        options.accumulateMode = storageMode == StorageMode::Accumulate ? 1 : 0;
    }
    options.parabolicOnClose = displaySwitches.parabolicOnClose;
    options.showTurnMarks = displaySwitches.showTurnMarks;
    options.waveLineDays = displaySwitches.waveLineDays;
    options.historyLength = static_cast<uint8_t>(history_.length());
    options.watchlistSorted = watchlists_.sorted ? 1 : 0;
    options.watchlistSelector = static_cast<uint8_t>(watchlists_.position());
    return settings_.save(series_.code, analysisParameters);
}

void Workspace::toggleIndividualSettings() {
    saveSettings();
    settings_.options.individualSettings = settings_.options.individualSettings ? 0 : 1;
    settings_.loadParameters(series_.code, analysisParameters);
    recomputeIndicators();
}

bool Workspace::loadStoredSeries(StockCode code) {
    if (code != series_.code) settings_.securityShown(code, analysisParameters);
    series_.bars.clear();
    if (storageMode == StorageMode::Accumulate || code == lastShownCode) {
        std::string path = dataFilePath(folder_, code, periodMode, storageMode);
        auto bytes = fileio::readFile(path);
        // A day another instance is importing counts once it is whole.
        std::string name = path.substr(path.rfind('/') + 1);
        if (bytes && storageMode == StorageMode::Accumulate) {
            if (auto before = sizeBeforeImport(folder_, name))
                bytes->resize(std::min<std::size_t>(bytes->size(), static_cast<std::size_t>(*before)));
        }
        if (bytes) series_.bars = parseSeries(*bytes);
    }
    series_.code = code;
    series_.period = periodMode;
    series_.savedCount = series_.count();
    series_.cursor = series_.count() - 1;
    if (storageMode == StorageMode::Scratch && !series_.empty()) lastShownCode = code;
    return !series_.empty();
}

void Workspace::seriesChanged(StrategyRun run) {
    master().lookupSecurity(series_.code, security_);
    series_.name = security_.name;
    recomputeIndicators(run);
    if (firstDateDisorder(series_.bars) >= 0) {
        prompter().message("データ不整合が発見されました。\n\nデータの再読込みを行ってください。",
                           MessageIcon::Warning);
    }
}

void Workspace::recomputeIndicators(StrategyRun run) {
    tav::recomputeIndicators(series_.bars,
                             AnalysisSettings::from(analysisParameters, periodMode, displaySwitches),
                             analysis_);
    if (run == StrategyRun::Selected && selectedStrategy() != 0)
        runStrategyDisplay(selectedStrategy());
}

int32_t Workspace::tickSize(int bar) const {
    if (bar < 0 || bar >= series_.count()) return tickSizeForClose(0);
    return tickSizeForClose(series_.bars[bar].close);
}

int32_t Workspace::roundToTick(int32_t value, int bar) const {
    if (bar < 0 || bar >= series_.count()) return roundToTickForClose(value, 0);
    return roundToTickForClose(value, series_.bars[bar].close);
}

const std::vector<ConditionCapsule>& Workspace::capsules() {
    return capsules_.capsules(folder_.root());
}

void Workspace::ruleFilesWritten() {
    capsules_.forget();
    strategies_.forget();
}

ConditionInputs Workspace::conditionInputs() {
    const AnalysisSettings settings =
        AnalysisSettings::from(analysisParameters, periodMode, displaySwitches);
    return ConditionInputs{series_.bars,           analysis_.values.volumeGuide,
                           settings.bollingerPeriod, settings.envelopePercent,
                           settings.maBandPercent,   capsules()};
}

bool Workspace::evaluateCondition(const Condition& condition) {
    return tav::evaluateCondition(conditionInputs(), evaluation, condition);
}

bool Workspace::evaluateCapsule(const ConditionCapsule& capsule) {
    return tav::evaluateCapsule(conditionInputs(), evaluation, capsule);
}

bool Workspace::saveIfChanged() {
    if (!storeWritable()) return false;
    bool saved = tav::saveIfChanged(folder_, series_, storageMode);
    if (saved && storageMode == StorageMode::Scratch) lastShownCode = series_.code;
    return saved;
}

bool Workspace::saveAll() { return storeWritable() && tav::saveAll(folder_, series_); }

bool Workspace::appendBars(std::span<const DailyBar> newBars) {
    return storeWritable() && tav::appendBars(folder_, series_, newBars);
}

int Workspace::checkLastDate() const {
    return tav::checkLastDate(series_, platform_.clock.today());
}

bool Workspace::deleteSecurity() {
    if (!requireWritableStore()) return false;
    return tav::deleteSecurity(folder_, prompter(), series_.code);
}

bool Workspace::updateMasterFromArchive(bool alternate) {
    if (!alternate && !requireWritableStore()) return false;
    Endpoints addresses = endpoints();
    MasterUpdateTools tools{platform_.prompter, platform_.http, platform_.lzh, platform_.shell,
                            addresses};
    return tav::updateMasterFromArchive(folder_, tools, alternate);
}

}  // namespace tav
