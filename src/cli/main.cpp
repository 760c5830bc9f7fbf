// tavrento-cli: the engine without the desktop, for scripts, cron jobs and CI.
#include <charconv>
#include <cstdint>
#include <cstring>
#include <sstream>
#include <functional>
#include <iostream>
#include <map>

#include "api_commands.h"
#include "cli_context.h"
#include "condition_commands.h"
#include "core/file_io.h"
#include "dump_command.h"
#include "platform/linux/curl_http.h"
#include "platform/linux/desktop_shell.h"
#include "platform/linux/lhasa_lzh.h"
#include "platform/linux/system_clock.h"
#include "quote_commands.h"
#include "screening_commands.h"
#include "settings_commands.h"
#include "stdin_clipboard.h"
#include "store_commands.h"
#include "strategy_commands.h"
#include "update_commands.h"
#include "watchlist_commands.h"

namespace tav::cli {

namespace {

struct Command {
    std::function<int(CommandContext&)> run;
    bool createsFolder = false;  // may run on a folder that does not exist yet
    const char* help;
};

const std::map<std::string, Command>& commands() {
    static const std::map<std::string, Command> table = {
        {"init", {runInit, true, "init [--from YYYYMMDD]    create the program folder and its files, and the store from the daily archives"}},
        {"series", {runSeries, false, "series CODE [--period P] [--format csv|json]  print the stored bars"}},
        {"dump", {runDump, false, "dump CODE [--period P] [--format csv|json]  print every indicator slot of the series"}},
        {"lookup", {runLookup, false, "lookup CODE               show the master-list entry of a code"}},
        {"add", {runAdd, false, "add CODE NAME --market M --unit U   add a security to the master list"}},
        {"delete", {runDelete, false, "delete CODE               remove a security from the master list"}},
        {"update-master", {runUpdateMaster, false, "update-master [--source api [--plan P]]   replace the master list from the archive or the data API's listed issues"}},
        {"api-key", {runApiKey, true, "api-key set|test|remove [--plan P]   store the data API's key (read from standard input), try it, or remove it; --plan free|light|standard|premium is kept beside it"}},
        {"settings", {runSettings, false, "settings show | set NAME VALUE [--individual CODE]   print or change the settings files"}},
        {"watchlists", {runWatchlists, false, "watchlists list | add TITLE | rename N TITLE | delete N | move N up|down"}},
        {"watchlist", {runWatchlist, false, "watchlist N show | add CODE... | remove CODE | move CODE up|down | copy-to M [CODE] | move-to M [CODE] | clear | import FILE | paste | marks --range T | marks --strategy [K] | levels [--block 5|6] | update | download | strategy [K]   (marks: one line per entry, the mark last; levels: writes Layer.txt and prints its path)"}},
        {"links", {runLinks, false, "links [CODE]              the link menu's entries and addresses, and the company and intraday pages"}},
        {"market", {runMarket, false, "market M                  list the securities of market M (1-12 or its name)"}},
        {"history", {runHistory, false, "history show | clear | length N   the history of shown securities"}},
        {"fetch", {runFetch, false, "fetch CODE --years Y --months M [--end YYYYMMDD] [--period P] [--source yahoo|infoseek]   print the bars fetched from the quote site"}},
        {"quote", {runQuote, false, "quote CODE                print the quote page of a security"}},
        {"margin", {runMargin, false, "margin CODE               print the margin balances of the last year"}},
        {"ranking", {runRanking, false, "ranking --category C --kind K --market M --period P --output N   fetch a ranking into watchlist N"}},
        {"evaluate", {runEvaluate, false, "evaluate CODE (--condition \"F1 ... F10\" | --capsule N) [--period P] [--format csv|json]   print DATE,1|0 per bar"}},
        {"text", {runText, false, "text --condition \"F1 ... F10\" [--context capsule|strategy]   print the sentence of a condition"}},
        {"show", {runShow, false, "show CODE [--period P]    show a security as the desktop does (file first, fetch when empty)"}},
        {"update", {runUpdate, true, "update [--from YYYYMMDD] [--mode 0|1|2|3 | --source archive|api] [--plan P]   add the trading days since the last stored day from the daily archives or the data API"}},
        {"refetch", {runRefetch, false, "refetch CODE [--period P] [--split-adjusted | --source api [--plan P]]   fetch a series afresh and replace its file (split-adjusted: with the site's split adjustment; api: the data API's split-adjusted daily bars)"}},
        {"import", {runImport, false, "import CODE FILE [--format auto|yahoo|stooq|plain]   merge daily bars from a CSV file into the stored series (a preview and a question first)"}},
        {"update-list", {runUpdateList, false, "update-list N|MARKET [--download]   batch update of a watchlist or market"}},
        {"realtime", {runRealtime, false, "realtime [CODE]           add today's provisional bar from Realtime.txt or the quote page"}},
        {"capsules", {runCapsules, false, "capsules list | show N | add TITLE | rename N TITLE | copy N M | init N | delete N | move N up|down | add-row N ROW | delete-row N R | logic N and|or"}},
        {"backtest", {runBacktest, false, "backtest CODE --strategy N [--period P] [--summary | --trades | --equity]   run strategy N over the stored series: trade slots per bar and the result block, the summary, the round trips or the equity curve as CSV"}},
        {"screen", {runScreen, false, "screen [--item N] [--value V] [--strategy N] [--capsule N] [--market M] [--unit U] [--margin G] [--liquidity L --multiple X] [--trading-value MIN MAX] [--input W] [--output W] [--threads N] [--format csv|json]   select the securities of the master list or watchlist W into watchlist W and print them"}},
        {"rank", {runRank, false, "rank --strategy N [--market M] [--unit U] [--margin G] [--liquidity L --multiple X] [--input W] [--by profit|winrate] [--top N] [--report FILE] [--output W] [--threads N] [--format csv|json]   back-test strategy N over many securities and print the ranking"}},
        {"strategies", {runStrategies, false, "strategies list | show N | add NAME | rename N NAME | delete N | copy N M | init N | move N up|down | mode N M | split N METHOD AMOUNT STEP CAPSULE | add-tactic N | delete-tactic N T | move-tactic N T up|down | tactic N T NAME [on|off] [buy|sell] | add-condition N T TAB ROW | delete-condition N T TAB I | logic N T TAB and|or | fill N T TAB P"}},
    };
    return table;
}

void printHelp() {
    std::cout << "usage: tavrento-cli [--folder DIR] [--yes] COMMAND [ARGS]\n\ncommands:\n";
    for (const auto& [name, command] : commands()) std::cout << "  " << command.help << '\n';
    std::cout << "\nThe program folder is --folder, else $TAVRENTO_HOME, else the executable's\n"
                 "folder when it holds Stock.lst, else $XDG_DATA_HOME/tavrento.\n";
}

// Options that take a value; every other --name is a flag.
bool takesValue(const std::string& name) {
    static const char* const kValued[] = {"folder", "period", "market", "unit", "individual", "years", "months", "end", "source", "category", "kind", "output", "condition", "capsule", "context", "from", "mode", "strategy", "format", "item", "value", "margin", "liquidity", "multiple", "trading-value", "input", "threads", "by", "top", "report", "range", "block", "plan"};
    for (const char* valued : kValued)
        if (name == valued) return true;
    return false;
}

// A mistyped option must not pass unnoticed.
bool knownOption(const std::string& name) {
    static const char* const kFlags[] = {"yes", "help", "summary", "trades", "equity", "download", "split-adjusted"};
    for (const char* flag : kFlags)
        if (name == flag) return true;
    return takesValue(name);
}

std::optional<CommandLine> parseCommandLine(int argc, char** argv) {
    CommandLine line;
    for (int i = 1; i < argc; ++i) {
        std::string word = argv[i];
        if (word.size() > 2 && word.starts_with("--")) {
            std::string name = word.substr(2);
            std::string value;
            bool inlineValue = false;
            if (auto equals = name.find('='); equals != std::string::npos) {
                value = name.substr(equals + 1);
                name = name.substr(0, equals);
                inlineValue = true;
            }
            if (!knownOption(name)) {
                usageError("unknown option --" + name);
                return std::nullopt;
            }
            // "--strategy" alone means the list's own or the selected strategy.
            const bool optionalValue =
                name == "strategy" && (i + 1 >= argc || std::string(argv[i + 1]).starts_with("--"));
            if (!inlineValue && takesValue(name) && !optionalValue) {
                if (i + 1 >= argc) {
                    usageError("--" + name + " needs a value");
                    return std::nullopt;
                }
                value = argv[++i];
                // The one option with two values keeps them blank-separated.
                if (name == "trading-value") {
                    if (i + 1 >= argc) {
                        usageError("--trading-value needs two values");
                        return std::nullopt;
                    }
                    value += ' ';
                    value += argv[++i];
                }
            }
            if (name == "folder") {
                line.folder = value;
            } else if (name == "yes") {
                line.assumeYes = true;
            } else if (name == "period") {
                line.period = parsePeriodName(value);
                if (!line.period) {
                    usageError("--period must be daily, weekly or monthly");
                    return std::nullopt;
                }
            } else {
                line.options.emplace_back(name, value);
            }
        } else {
            line.words.push_back(word);
        }
    }
    return line;
}

}  // namespace

std::optional<std::string> CommandLine::option(const std::string& name) const {
    for (const auto& [key, value] : options)
        if (key == name) return value;
    return std::nullopt;
}

bool CommandLine::flag(const std::string& name) const { return option(name).has_value(); }

int usageError(const std::string& message) {
    std::cerr << "tavrento-cli: " << message << '\n';
    return kExitUsage;
}

std::optional<int> parseInt(const std::string& text) {
    int value = 0;
    const char* end = text.data() + text.size();
    auto [ptr, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || ptr != end) return std::nullopt;
    return value;
}

std::optional<Condition> parseCondition(const std::string& text) {
    std::istringstream words(text);
    std::string word;
    int16_t fields[10] = {};
    int count = 0;
    while (words >> word) {
        auto value = parseInt(word);
        if (!value || *value < INT16_MIN || *value > INT16_MAX || count == 10) return std::nullopt;
        fields[count++] = static_cast<int16_t>(*value);
    }
    if (count == 0) return std::nullopt;
    return Condition{fields[0], fields[1], fields[2], fields[3], fields[4],
                     fields[5], fields[6], fields[7], fields[8], fields[9]};
}

std::optional<StockCode> parseCodeArgument(const std::string& text) { return parseCode(text); }

int run(int argc, char** argv) {
    auto line = parseCommandLine(argc, argv);
    if (!line) return kExitUsage;
    if (line->words.empty() || line->words[0] == "help" || line->flag("help")) {
        printHelp();
        return line->words.empty() && !line->flag("help") ? kExitUsage : kExitOk;
    }
    auto found = commands().find(line->words[0]);
    if (found == commands().end()) return usageError("unknown command: " + line->words[0]);

    std::string root = locateProgramFolder(currentFolderLocation(line->folder));
    if (!found->second.createsFolder && !fileio::directoryExists(root))
        return usageError("no program folder at " + root + " (run init first)");

    TerminalPrompter prompter(line->assumeYes);
    CurlHttp http;
    LhasaLzh lzh;
    DesktopShell shell;
    SystemClock clock;
    StdinClipboard clipboard;
    Workspace workspace(ProgramFolder(root), Platform{prompter, http, lzh, shell, clock, clipboard});
    workspace.loadSettings(std::nullopt);
    // The tool reads and writes the per-code files of the period it is
    // given, whatever period or scratch mode the window last used; the
    // stored choice stays as it is.
    workspace.periodMode = line->period.value_or(PeriodMode::Daily);
    workspace.storageMode = StorageMode::Accumulate;
    workspace.keepStoredViewModes = true;
    CommandContext context{workspace, prompter, *line};
    return found->second.run(context);
}

}  // namespace tav::cli

int main(int argc, char** argv) { return tav::cli::run(argc, argv); }
