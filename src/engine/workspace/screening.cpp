#include "workspace/screening.h"

#include "conditions/capsule_file.h"
#include "core/file_io.h"
#include "watchlists/watchlist_files.h"

namespace tav {

namespace {

// Input files: lines of up to 511 bytes, the first 10000 lines.
constexpr LineLimits kInputLimits{kInputLineBuffer, kMaxInputLines, true};

// The scan of a run over the lines of `inputPath`; nothing (after the
// message) when the file cannot be read.
std::optional<MarketScan> openScan(Workspace& workspace, const std::string& inputPath,
                                   bool masterInput, const SecurityFilters& filters, int threads) {
    const auto inputBytes = fileio::readFile(inputPath);
    if (!inputBytes) {
        workspace.prompter().message(kNoInputMessage, MessageIcon::Warning);
        return std::nullopt;
    }
    MarketScan scan;
    scan.folder = workspace.folder();
    scan.storageMode = workspace.storageMode;
    scan.period = workspace.periodMode;
    scan.lines = readLines(*inputBytes, kInputLimits);
    scan.fieldsFromLine = masterInput && workspace.storageMode == StorageMode::Accumulate;
    const std::string masterPath = workspace.folder().path(StockMaster::kFileName);
    if (masterInput) {
        scan.master = MasterIndex(*inputBytes);
    } else if (auto masterBytes = fileio::readFile(masterPath)) {
        scan.master = MasterIndex(*masterBytes);
    }
    const OptionsRecord& options = workspace.options();
    scan.parameters.individual = options.individualSettings != 0;
    scan.parameters.folderRoot = workspace.folder().root();
    // With individual settings the common file stands in for a security
    // without its own; otherwise the block in force applies to all.
    scan.parameters.common = workspace.analysisParameters;
    if (scan.parameters.individual) {
        if (auto common = workspace.settingsStore().readCommonValues())
            scan.parameters.common = *common;
    }
    scan.switches = workspace.displaySwitches;
    scan.capsules = workspace.capsules();
    scan.filters = filters;
    scan.threads = threads;
    return scan;
}

// The strategy of a run: named in the strategy list and readable. Nothing,
// after the message, otherwise: a run without its rules would select nothing
// and still replace its output.
std::optional<StrategyReading> loadListedStrategy(Workspace& workspace, int number) {
    const std::string& root = workspace.folder().root();
    std::optional<StrategyReading> strategy;
    if (number >= 1 && static_cast<std::size_t>(number) <= readStrategyNames(root).size())
        strategy = loadStrategy(root, number);
    if (!strategy)
        workspace.prompter().message(
            "売買戦略ファイル [" + strategyFileName(number) + "] を読めません。",
            MessageIcon::Warning);
    return strategy;
}

// Selecting a strategy in the window: the chart's display run follows it.
void selectStrategy(Workspace& workspace, int number) {
    if (workspace.options().selectedStrategy == number) return;
    workspace.options().selectedStrategy = static_cast<uint8_t>(number);
    workspace.recomputeIndicators();
}

}  // namespace

bool confirmScreeningDialog(const ScreeningSettings& settings, Prompter& prompter) {
    if (settings.choosesNothing()) {
        prompter.message(kNothingChosenMessage, MessageIcon::Warning);
        return false;
    }
    if (settings.input != 0 && settings.input == settings.outputWatchlist()) {
        prompter.message(kSameInputOutputMessage, MessageIcon::Warning);
        return false;
    }
    return true;
}

bool confirmMultiRunDialog(const MultiRunSettings& settings, Prompter& prompter) {
    if (settings.rankingLength >= 1 && settings.rankingLength <= kMaxRankingLength) return true;
    prompter.message("ランキング結果は 1 から 1000 位までです。", MessageIcon::Warning);
    return false;
}

std::optional<ScreeningJob> prepareScreening(Workspace& workspace,
                                             const ScreeningSettings& settings, int threads) {
    if (!confirmScreeningDialog(settings, workspace.prompter())) return std::nullopt;
    const std::string& root = workspace.folder().root();
    ScreeningJob job;
    if (settings.searchItem == kSearchCapsule) {
        if (settings.capsule < 0 ||
            static_cast<std::size_t>(settings.capsule) >= readCapsuleTitles(root).size()) {
            workspace.prompter().message(
                "条件カプセルファイル [" + capsuleFileName(settings.capsule) + "] を読めません。",
                MessageIcon::Warning);
            return std::nullopt;
        }
        job.capsule = readCapsuleFile(workspace.folder().path(capsuleFileName(settings.capsule)));
    }
    if (settings.searchItem == kSearchStrategy) {
        job.strategy = loadListedStrategy(workspace, settings.strategy + 1);
        if (!job.strategy) return std::nullopt;
    }
    settings.storeInto(workspace.options());
    const bool masterInput = settings.input == 0;
    const std::string inputPath = workspace.folder().path(
        masterInput ? std::string(StockMaster::kFileName) : watchlistFileName(settings.input));
    auto scan = openScan(workspace, inputPath, masterInput, settings.filters, threads);
    if (!scan) return std::nullopt;

    job.settings = settings;
    job.scan = std::move(*scan);
    job.simulation = SimulationSettings::from(workspace.options());
    job.currentYear = workspace.platform().clock.today().year;
    return job;
}

bool finishScreening(Workspace& workspace, const ScreeningJob& job,
                     const std::optional<ScreeningOutcome>& outcome) {
    if (!outcome) return false;
    if (job.settings.searchItem == kSearchStrategy)
        selectStrategy(workspace, job.settings.strategy + 1);
    const bool written =
        workspace.watchlists().replaceWatchlist(job.settings.outputWatchlist(), outcome->selected);
    workspace.prompter().status(summaryText(outcome->counts));
    return written;
}

int multiRunInputWatchlist(Workspace& workspace, const MultiRunSettings& settings) {
    if (settings.input != 0) return settings.input;
    if (workspace.storageMode == StorageMode::Accumulate) return 0;
    return workspace.watchlists().displayedWatchlist();
}

std::optional<MultiRunJob> prepareMultiRun(Workspace& workspace, const MultiRunSettings& settings,
                                           int threads) {
    if (!confirmMultiRunDialog(settings, workspace.prompter())) return std::nullopt;
    const int number = settings.strategy + 1;
    auto strategy = loadListedStrategy(workspace, number);
    if (!strategy) return std::nullopt;
    settings.storeInto(workspace.options());
    selectStrategy(workspace, number);

    const int inputWatchlist = multiRunInputWatchlist(workspace, settings);
    const bool masterInput =
        settings.input == 0 && workspace.storageMode == StorageMode::Accumulate;
    std::string inputPath;
    if (masterInput) {
        inputPath = workspace.folder().path(StockMaster::kFileName);
    } else if (inputWatchlist > 0) {
        inputPath = workspace.folder().path(watchlistFileName(inputWatchlist));
    } else {
        // A market on display has no watchlist file of its own.
        workspace.prompter().message(kNoInputMessage, MessageIcon::Warning);
        return std::nullopt;
    }
    auto scan = openScan(workspace, inputPath, masterInput, settings.filters, threads);
    if (!scan) return std::nullopt;

    const std::string& root = workspace.folder().root();
    MultiRunJob job;
    job.settings = settings;
    job.scan = std::move(*scan);
    job.strategy = std::move(*strategy);
    const auto names = readStrategyNames(root);
    if (static_cast<std::size_t>(settings.strategy) < names.size())
        job.strategyName = names[static_cast<std::size_t>(settings.strategy)];
    job.simulation = SimulationSettings::from(workspace.options());
    job.currentYear = workspace.platform().clock.today().year;
    return job;
}

bool storeRanking(Workspace& workspace, int outputWatchlist, std::span<const ResultRow> rows) {
    workspace.options().multiOutput = static_cast<uint8_t>(outputWatchlist);
    if (outputWatchlist == 0) return true;
    return workspace.watchlists().replaceWatchlist(outputWatchlist, rankingLines(rows));
}

}  // namespace tav
