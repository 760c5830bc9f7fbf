#include "workspace/workspace.h"

#include "conditions/capsule_set.h"
#include "core/file_io.h"
#include "core/rename_journal.h"
#include "data/folder_setup.h"
#include "updates/day_import.h"

namespace tav {

Workspace::Workspace(ProgramFolder folder, Platform platform)
    : folder_(std::move(folder)),
      platform_(platform),
      lock_(std::make_unique<FolderLock>(folder_.root())),
      watchlists_(folder_, platform_.prompter),
      history_(folder_),
      settings_(folder_.root(), platform_.clock.today().day) {
    lockTaken();
}

void Workspace::lockTaken() {
    watchlists_.readOnly = !storeWritable();
    watchlists_.readOnlyMessage = refusalMessage();
    if (storeWritable()) recoverStore();
}

void Workspace::recoverStore() {
    // Whatever a killed run left half-done is undone or finished before
    // anything is read.
    recoverInterruptedImport(folder_);
    if (recoverRenames(folder_.root()) == RenameRecovery::Failed)
        prompter().message("[" + std::string(kRenameJournalFileName) +
                               "]　の処理を完了できませんでした。\n\n"
                               "注目銘柄・売買戦略・条件カプセルの削除と移動はできません。",
                           MessageIcon::Stop);
    for (const char* sub : {"", "Data", "Source"})
        fileio::removeAtomicTemporaries(*sub ? folder_.path(sub) : folder_.root());
}

bool Workspace::requireWritableStore() {
    if (storeWritable()) return true;
    prompter().message(refusalMessage(), MessageIcon::Stop);
    return false;
}

bool Workspace::initProgramFolder() {
    if (!fileio::directoryExists(folder_.root())) {
        // A new folder: create it, then take the lock that could not be taken before.
        createFolderLayout(folder_);
        lock_ = std::make_unique<FolderLock>(folder_.root());
        lockTaken();
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
    watchlists_.select(positionFromStored({options.watchlistSelector, options.watchlistSegment}));
    // The start code is the code on display until its series is loaded.
    if (loaded_.series.empty()) loaded_.series.code = options.stockCode;
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
    const StoredPosition stored = storedPosition(watchlists_.position());
    options.watchlistSelector = stored.selector;
    options.watchlistSegment = stored.segment;
    return settings_.save(loaded_.series.code, analysisParameters);
}

void Workspace::toggleIndividualSettings() {
    saveSettings();
    settings_.options.individualSettings = settings_.options.individualSettings ? 0 : 1;
    settings_.loadParameters(loaded_.series.code, analysisParameters);
    recomputeIndicators();
}

bool Workspace::loadStoredSeries(StockCode code) {
    if (code != loaded_.series.code) settings_.securityShown(code, analysisParameters);
    bool readFile = storageMode == StorageMode::Accumulate || code == lastShownCode;
    bool loaded = loaded_.loadStored(folder_, code, storageMode, readFile);
    if (storageMode == StorageMode::Scratch && loaded) lastShownCode = code;
    return loaded;
}

void Workspace::seriesChanged(StrategyRun run) {
    loaded_.lookUp(master());
    recomputeIndicators(run);
    if (firstDateDisorder(loaded_.series.bars) >= 0) {
        prompter().message("データ不整合が発見されました。\n\nデータの再読込みを行ってください。",
                           MessageIcon::Warning);
    }
}

void Workspace::recomputeIndicators(StrategyRun run) {
    loaded_.recompute(displaySwitches);
    if (run != StrategyRun::Selected) return;
    if (selectedStrategy() != 0)
        runStrategyDisplay(selectedStrategy());
    else
        clearStrategyDisplay();
}

const std::vector<ConditionCapsule>& Workspace::capsules() {
    return capsules_.capsules(folder_.root());
}

void Workspace::ruleFilesWritten() {
    capsules_.forget();
    strategies_.forget();
}

ConditionInputs Workspace::conditionInputs() {
    return loaded_.conditionInputs(displaySwitches, capsules());
}

bool Workspace::evaluateCondition(const Condition& condition) {
    return tav::evaluateCondition(conditionInputs(), evaluation, condition);
}

bool Workspace::evaluateCapsule(const ConditionCapsule& capsule) {
    return tav::evaluateCapsule(conditionInputs(), evaluation, capsule);
}

bool Workspace::saveIfChanged() {
    if (!storeWritable()) return false;
    bool saved = tav::saveIfChanged(folder_, loaded_.series, storageMode);
    if (saved && storageMode == StorageMode::Scratch) lastShownCode = loaded_.series.code;
    return saved;
}

bool Workspace::saveAll() { return storeWritable() && tav::saveAll(folder_, loaded_.series); }

bool Workspace::appendBars(std::span<const DailyBar> newBars) {
    return storeWritable() && tav::appendBars(folder_, loaded_.series, newBars);
}

int Workspace::checkLastDate() const {
    return tav::checkLastDate(loaded_.series, platform_.clock.today());
}

bool Workspace::deleteSecurity() {
    if (!requireWritableStore()) return false;
    return tav::deleteSecurity(folder_, prompter(), loaded_.series.code);
}

bool Workspace::updateMasterFromArchive(bool alternate) {
    if (!alternate && !requireWritableStore()) return false;
    Endpoints addresses = endpoints();
    MasterUpdateTools tools{platform_.prompter, platform_.http, platform_.lzh, platform_.shell,
                            addresses};
    return tav::updateMasterFromArchive(folder_, tools, alternate);
}

}  // namespace tav
