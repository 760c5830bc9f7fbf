// tavrento-cli: the engine without the desktop, for scripts, cron jobs and CI.
#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <iostream>
#include <map>
#include <sstream>

#include "api_commands.h"
#include "cli_context.h"
#include "condition_commands.h"
#include "core/file_io.h"
#include "dump_command.h"
#include "optimize_command.h"
#include "platform/linux/curl_http.h"
#include "platform/linux/desktop_shell.h"
#include "platform/linux/lhasa_lzh.h"
#include "platform/linux/system_clock.h"
#include "portfolio_command.h"
#include "quote_commands.h"
#include "screening_commands.h"
#include "settings_commands.h"
#include "stdin_clipboard.h"
#include "store_commands.h"
#include "strategy_commands.h"
#include "update_commands.h"
#include "watchlist_commands.h"
#ifdef TAV_MPI
#include "mpi_work_sharing.h"
#endif

namespace tav::cli {

namespace {

// An option as a command's help lists it.
struct OptionHelp {
    std::string_view name;
    std::string_view value;  // what it takes; empty for a flag
    std::string_view text;
};

constexpr OptionHelp kPeriodOption{"period", "daily|weekly|monthly",
                                   "the period of the series (daily when absent)"};
constexpr OptionHelp kFormatOption{"format", "csv|json",
                                   "the output as CSV (the default) or as JSON"};
constexpr OptionHelp kFromOption{"from", "YYYYMMDD", "the first day of an empty store"};
constexpr OptionHelp kMarketFilter{"market", "M",
                                   "only securities of this market (index or label)"};
constexpr OptionHelp kUnitFilter{"unit", "U",
                                 "only securities of this trading unit (index or label)"};
constexpr OptionHelp kMarginFilter{"margin", "G",
                                   "only securities of this margin type (index or label)"};
constexpr OptionHelp kLiquidityFilter{"liquidity", "L",
                                      "liquidity filter: 1 the day's volume, 2 the average volume"};
constexpr OptionHelp kMultipleOption{"multiple", "X",
                                     "the liquidity filter's multiple of the unit"};
constexpr OptionHelp kInputOption{"input", "W", "read watchlist W instead of the master list"};
constexpr OptionHelp kThreadsOption{"threads", "N", "worker threads (0: one per core)"};
constexpr OptionHelp kPlanOption{"plan", "free|light|standard|premium",
                                 "the data API plan, whose request rate paces the run (kept)"};

struct Command {
    std::function<int(CommandContext&)> run;
    bool createsFolder = false;  // may run on a folder that does not exist yet
    const char* help;
    // The options the command reads; --folder, --yes and --help go with every command.
    std::vector<OptionHelp> options;
    // More than a line can say, shown by 'help COMMAND' after the options.
    const char* details = nullptr;
};

const std::map<std::string, Command>& commands() {
    static const std::map<std::string, Command> table = {
        {"init",
         {runInit,
          true,
          "init [--from YYYYMMDD]    create the program folder and its files, and the store from "
          "the daily archives",
          {kFromOption}}},
        {"series",
         {runSeries,
          false,
          "series CODE [--period P] [--format csv|json]  print the stored bars",
          {kPeriodOption, kFormatOption}}},
        {"dump",
         {runDump,
          false,
          "dump CODE [--period P] [--format csv|json]  print every indicator slot of the series",
          {kPeriodOption, kFormatOption}}},
        {"lookup",
         {runLookup, false, "lookup CODE               show the master-list entry of a code", {}}},
        {"add",
         {runAdd,
          false,
          "add CODE NAME --market M --unit U   add a security to the master list",
          {{"market", "M", "the market (index or label)"},
           {"unit", "U", "the trading unit (index or label)"}}}},
        {"delete",
         {runDelete,
          false,
          "delete CODE               remove a security from the master list",
          {}}},
        {"update-master",
         {runUpdateMaster,
          false,
          "update-master [--source api [--plan P]]   replace the master list from the archive or "
          "the data API's listed issues",
          {{"source", "api", "the data API's listed issues instead of the archive"}, kPlanOption}}},
        {"api-key",
         {runApiKey,
          true,
          "api-key set|test|remove [--plan P]   store the data API's key (read from standard "
          "input), try it, or remove it",
          {kPlanOption}}},
        {"settings",
         {runSettings,
          false,
          "settings show | set NAME VALUE [--individual CODE]   print or change the settings files",
          {{"individual", "CODE", "the settings file of this security"}}}},
        {"watchlists",
         {runWatchlists,
          false,
          "watchlists list | add TITLE | rename N TITLE | delete N | move N up|down",
          {}}},
        {"watchlist",
         {runWatchlist,
          false,
          "watchlist N show | add CODE... | remove CODE | move CODE up|down | copy-to M [CODE] | "
          "move-to M [CODE] | clear | import FILE | paste | marks --range T | marks --strategy [K] "
          "| levels [--block 5|6] | update | download | strategy [K]   (marks: one line per entry, "
          "the mark last; levels: writes Layer.txt and prints its path)",
          {kPeriodOption,
           {"range", "T", "marks: the range type 0-9"},
           {"strategy", "[K]",
            "marks: strategy K, else the watchlist's own, else the selected one"},
           {"block", "5|6", "levels: securities per block"}}}},
        {"links",
         {runLinks,
          false,
          "links [CODE]              the link menu's entries and addresses, and the company and "
          "intraday pages",
          {}}},
        {"market",
         {runMarket,
          false,
          "market M                  list the securities of market M (1-12 or its name)",
          {}}},
        {"history",
         {runHistory,
          false,
          "history show | clear | length N   the history of shown securities",
          {}}},
        {"fetch",
         {runFetch,
          false,
          "fetch CODE --years Y --months M [--end YYYYMMDD] [--period P] [--source yahoo|infoseek] "
          "  print the bars fetched from the quote site",
          {{"years", "Y", "years to fetch"},
           {"months", "M", "months to fetch besides the years"},
           {"end", "YYYYMMDD", "the last day to fetch"},
           kPeriodOption,
           {"source", "yahoo|infoseek", "the quote site"}}}},
        {"quote",
         {runQuote, false, "quote CODE                print the quote page of a security", {}}},
        {"margin",
         {runMargin,
          false,
          "margin CODE               print the margin balances of the last year",
          {}}},
        {"ranking",
         {runRanking,
          false,
          "ranking --category C --kind K --market M --period P --output N   fetch a ranking into "
          "watchlist N",
          {{"category", "C", "the ranking category (index or name)"},
           {"kind", "K", "the ranking of the category (index or name)"},
           {"market", "M", "the market (index or name)"},
           {"period", "daily|weekly|monthly", "the ranking's period"},
           {"output", "N", "the watchlist that receives the ranking"}}}},
        {"evaluate",
         {runEvaluate,
          false,
          "evaluate CODE (--condition \"F1 ... F10\" | --capsule N) [--period P] [--format "
          "csv|json]   print DATE,1|0 per bar",
          {{"condition", "\"F1 ... F10\"", "a condition record"},
           {"capsule", "N", "capsule N"},
           kPeriodOption,
           kFormatOption}}},
        {"text",
         {runText,
          false,
          "text --condition \"F1 ... F10\" [--context capsule|strategy]   print the sentence of a "
          "condition",
          {{"condition", "\"F1 ... F10\"", "a condition record"},
           {"context", "capsule|strategy",
            "the wording of a capsule row or a strategy condition"}}}},
        {"show",
         {runShow,
          false,
          "show CODE [--period P]    show a security as the desktop does (file first, fetch when "
          "empty)",
          {kPeriodOption}}},
        {"update",
         {runUpdate,
          true,
          "update [--from YYYYMMDD] [--mode 0|1|2|3 | --source archive|api] [--plan P]   add the "
          "trading days since the last stored day from the daily archives or the data API",
          {kFromOption,
           kPlanOption,
           {"mode", "0|1|2|3", "where the archives come from: disk, net, member server, data API"},
           {"source", "archive|api", "the daily archives or the data API"},
           {"period", "daily|weekly|monthly",
            "weekly or monthly: update the start security's series of that period"}}}},
        {"refetch",
         {runRefetch,
          false,
          "refetch CODE [--period P] [--split-adjusted | --source api [--plan P]]   fetch a series "
          "afresh and replace its file (split-adjusted: with the site's split adjustment; api: the "
          "data API's split-adjusted daily bars)",
          {kPeriodOption,
           kPlanOption,
           {"split-adjusted", "", "with the site's split adjustment"},
           {"source", "api", "the data API's split-adjusted daily bars"}}}},
        {"import",
         {runImport,
          false,
          "import CODE FILE [--format auto|yahoo|stooq|plain]   merge daily bars from a CSV file "
          "into the stored series (a preview and a question first)",
          {{"format", "auto|yahoo|stooq|plain", "the layout of the CSV file"}}}},
        {"update-list",
         {runUpdateList,
          false,
          "update-list N|MARKET [--download]   batch update of a watchlist or market",
          {kPeriodOption, {"download", "", "fetch every series afresh (watchlists only)"}}}},
        {"realtime",
         {runRealtime,
          false,
          "realtime [CODE]           add today's provisional bar from Realtime.txt or the quote "
          "page",
          {kPeriodOption}}},
        {"capsules",
         {runCapsules,
          false,
          "capsules list | show N | add TITLE | rename N TITLE | copy N M | init N | delete N | "
          "move N up|down | add-row N ROW | delete-row N R | logic N and|or",
          {}}},
        {"backtest",
         {runBacktest,
          false,
          "backtest CODE --strategy N [--period P] [--summary | --trades | --equity]   run "
          "strategy N over the stored series: trade slots per bar and the result block, the "
          "summary, the round trips or the equity curve as CSV",
          {{"strategy", "N", "the strategy to run"},
           kPeriodOption,
           {"summary", "", "print the summary"},
           {"trades", "", "print the round trips"},
           {"equity", "", "print the equity curve"}}}},
        {"screen",
         {runScreen,
          false,
          "screen [--item N] [--value V] [--strategy N] [--capsule N] [--market M] [--unit U] "
          "[--margin G] [--liquidity L --multiple X] [--trading-value MIN MAX] [--input W] "
          "[--output W] [--threads N] [--format csv|json]   select the securities of the master "
          "list or watchlist W into watchlist W and print them",
          {{"item", "N", "the search item 0-30"},
           {"value", "V", "the value of the items that take one"},
           {"strategy", "N", "search with strategy N's entry signal"},
           {"capsule", "N", "search with capsule N"},
           kMarketFilter,
           kUnitFilter,
           kMarginFilter,
           kLiquidityFilter,
           kMultipleOption,
           {"trading-value", "MIN MAX", "close times unit within MIN to MAX"},
           kInputOption,
           {"output", "W", "the watchlist that receives the selection (the last one when absent)"},
           kThreadsOption,
           kPeriodOption,
           kFormatOption}}},
        {"rank",
         {runRank,
          false,
          "rank --strategy N [--market M] [--unit U] [--margin G] [--liquidity L --multiple X] "
          "[--input W] [--by profit|winrate] [--top N] [--report FILE] [--output W] [--threads N] "
          "[--format csv|json]   back-test strategy N over many securities and print the ranking",
          {{"strategy", "N", "the strategy to run"},
           kMarketFilter,
           kUnitFilter,
           kMarginFilter,
           kLiquidityFilter,
           kMultipleOption,
           kInputOption,
           {"by", "profit|winrate", "the ranking order"},
           {"top", "N", "the length of the ranking (1-1000)"},
           {"report", "FILE", "write the report to FILE"},
           {"output", "W", "write the ranking into watchlist W"},
           kThreadsOption,
           kPeriodOption,
           kFormatOption}}},
        {"portfolio",
         {runPortfolioCommand,
          false,
          "portfolio --strategy N [--watchlist W | --market [M]] --capital Y --max-positions K "
          "--size fixed:Y|equity:P|strategy --score value|slot:NAME|bars|random:SEED [--from D "
          "--to D] [--trades] [--equity] [--format text|csv|json] [--threads T]   back-test "
          "strategy N with one account over many securities",
          {{"strategy", "N", "the strategy whose signals the account follows"},
           {"watchlist", "W", "the securities of watchlist W"},
           {"market", "[M]", "the master list (the default), or only its market M"},
           {"capital", "Y", "the account's starting cash in yen"},
           {"max-positions", "K", "positions held at once (0: no limit)"},
           {"size", "fixed:Y|equity:P|strategy",
            "per position: Y yen, P % of the equity, or the strategy's own units"},
           {"score", "value|slot:NAME|bars|random:SEED",
            "the order of a day's entries: trading value, an indicator slot, bars of history or "
            "a seeded random order (highest first)"},
           {"from", "YYYYMMDD", "the first day the account trades"},
           {"to", "YYYYMMDD", "the last day the account trades"},
           {"trades", "", "print the trade list, skipped entries included"},
           {"equity", "", "print the daily equity and drawdown"},
           {"format", "text|csv|json",
            "text (the default): the summary and the securities; csv or json: one table"},
           kThreadsOption,
           kPeriodOption}}},
        {"optimize",
         {runOptimizeCommand,
          false,
          "optimize --strategy N --param SWEEP ... --objective O [--min-trades K] [--code C | "
          "--watchlist W | --market] [--search grid|evolve --budget B --seed S] [--walk-forward "
          "IS:OOS[:anchored]] [--pbo S] [--monte-carlo R] [--threads T] [--format text|csv|json]   "
          "sweep strategy N's numbers and rank the combinations by the objective",
          {{"strategy", "N", "the strategy to sweep"},
           {"param", "SWEEP", "a parameter and its values (repeat for more)"},
           {"objective", "O",
            "net-profit, profit-factor, win-rate, expectancy, max-drawdown (minimised), "
            "recovery-factor, sharpe or sortino"},
           {"min-trades", "K", "combinations with fewer trades rank last"},
           {"code", "C", "one security"},
           {"watchlist", "W", "the securities of watchlist W"},
           {"market", "", "the master list (the default)"},
           {"search", "grid|evolve", "every combination, or an evolutionary search"},
           {"budget", "B", "evolve: the combinations to run (200)"},
           {"seed", "S", "evolve and the Monte Carlo: where their random draws start (1)"},
           {"walk-forward", "IS:OOS[:anchored]",
            "in-sample and out-of-sample months, rolling or anchored"},
           {"pbo", "S", "the probability of backtest overfitting over S time blocks (even)"},
           {"monte-carlo", "R", "R draws of the best combination's trades"},
           kThreadsOption,
           kPeriodOption,
           {"format", "text|csv|json", "text (the default), or the tables as CSV or JSON"}},
          "example: optimize --strategy 1 --param rsiPeriod=6..14/4 --param maShortPeriod=3,6 "
          "--objective sharpe --min-trades 5 --code 7203 --pbo 6\n"
          "  --param takes ADDRESS=FROM..TO/STEP or ADDRESS=V1,V2,... with ADDRESS one of\n"
          "    T.buy.R.FIELD, T.sell.R.FIELD  a condition row (tactic T, row R from 1; FIELD n, "
          "value, range, day, percent or ticks)\n"
          "    T.stop.R.value                 a stop's value\n"
          "    split.amount, split.step       the split's numbers\n"
          "    NAME                           an analysis parameter (rsiPeriod, maShortPeriod, "
          "...)\n"
          "  Under mpirun (mpirun -np P tavrento-cli optimize ... --threads T) the P processes\n"
          "  share the runs, each on T workers, and the first prints what one process alone\n"
          "  prints (a build with TAV_MPI; other commands refuse to run under mpirun)."}},
        {"strategies",
         {runStrategies,
          false,
          "strategies list | show N | add NAME | rename N NAME | delete N | copy N M | init N | "
          "move N up|down | mode N M | split N METHOD AMOUNT STEP CAPSULE | add-tactic N | "
          "delete-tactic N T | move-tactic N T up|down | tactic N T NAME [on|off] [buy|sell] | "
          "add-condition N T TAB ROW | delete-condition N T TAB I | logic N T TAB and|or | fill N "
          "T TAB P",
          {}}},
    };
    return table;
}

constexpr const char* kUsageLine = "usage: tavrento-cli [--folder DIR] [--yes] ";

void printHelp() {
    std::cout << kUsageLine << "COMMAND [ARGS]\n\ncommands:\n";
    for (const auto& [name, command] : commands())
        std::cout << "  " << command.help << '\n';
    std::cout << "\n'tavrento-cli help COMMAND' lists the options of a command.\n"
                 "The program folder is --folder, else $TAVRENTO_HOME, else the executable's\n"
                 "folder when it holds Stock.lst, else $XDG_DATA_HOME/tavrento.\n";
}

void printCommandHelp(const Command& command) {
    std::cout << kUsageLine << command.help << "\n\noptions:\n";
    auto print = [](std::string_view name, std::string_view value, std::string_view text) {
        std::string head = "  --" + std::string(name);
        if (!value.empty()) head += " " + std::string(value);
        if (head.size() < 34)
            head.resize(34, ' ');
        else
            head += "  ";
        std::cout << head << text << '\n';
    };
    for (const OptionHelp& option : command.options)
        print(option.name, option.value, option.text);
    print("folder", "DIR", "the program folder");
    print("yes", "", "answer yes to every question");
    print("help", "", "this text");
    if (command.details) std::cout << '\n' << command.details << '\n';
}

enum class Arity { Flag, Value, OptionalValue, TwoValues };

// How many words each option takes; a name not listed is no option at all.
std::optional<Arity> optionArity(const std::string& name) {
    static const std::map<std::string, Arity, std::less<>> kArities = [] {
        std::map<std::string, Arity, std::less<>> arities;
        for (const char* flag :
             {"yes", "help", "summary", "trades", "equity", "download", "split-adjusted"})
            arities[flag] = Arity::Flag;
        for (const char* valued :
             {"folder",    "period",  "market",        "unit",       "individual", "years",
              "months",    "end",     "source",        "category",   "kind",       "output",
              "condition", "capsule", "context",       "from",       "mode",       "format",
              "item",      "value",   "margin",        "liquidity",  "multiple",   "input",
              "threads",   "by",      "top",           "report",     "range",      "block",
              "watchlist", "capital", "max-positions", "size",       "score",      "to",
              "plan",      "param",   "objective",     "min-trades", "code",       "search",
              "budget",    "seed",    "walk-forward",  "pbo",        "monte-carlo"})
            arities[valued] = Arity::Value;
        // "--strategy" alone means the list's own or the selected strategy.
        arities["strategy"] = Arity::OptionalValue;
        // "--market" alone means the whole master list (portfolio).
        arities["market"] = Arity::OptionalValue;
        arities["trading-value"] = Arity::TwoValues;
        return arities;
    }();
    const auto found = kArities.find(name);
    if (found == kArities.end()) return std::nullopt;
    return found->second;
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
            const auto arity = optionArity(name);
            if (!arity) {
                usageError("unknown option --" + name);
                return std::nullopt;
            }
            const bool valueFollows = i + 1 < argc && !std::string(argv[i + 1]).starts_with("--");
            if (inlineValue && *arity == Arity::Flag) {
                usageError("--" + name + " takes no value");
                return std::nullopt;
            }
            if (!inlineValue && *arity != Arity::Flag &&
                !(*arity == Arity::OptionalValue && !valueFollows)) {
                if (i + 1 >= argc) {
                    usageError("--" + name + " needs a value");
                    return std::nullopt;
                }
                value = argv[++i];
                // The one option with two values keeps them blank-separated.
                if (*arity == Arity::TwoValues) {
                    if (i + 1 >= argc) {
                        usageError("--" + name + " needs two values");
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

// Counts what goes to stderr, so that a failure nobody explained can still be told.
class CountingBuffer : public std::streambuf {
  public:
    explicit CountingBuffer(std::streambuf* target) : target_(target) {}
    bool written() const { return written_ > 0; }

  protected:
    int overflow(int c) override {
        if (c == traits_type::eof()) return traits_type::not_eof(c);
        ++written_;
        return target_->sputc(static_cast<char>(c));
    }
    std::streamsize xsputn(const char* text, std::streamsize count) override {
        written_ += count;
        return target_->sputn(text, count);
    }
    int sync() override { return target_->pubsync(); }

  private:
    std::streambuf* target_;
    std::streamsize written_ = 0;
};

class StderrWatch {
  public:
    StderrWatch() : counting_(std::cerr.rdbuf()) { original_ = std::cerr.rdbuf(&counting_); }
    ~StderrWatch() { std::cerr.rdbuf(original_); }
    StderrWatch(const StderrWatch&) = delete;
    StderrWatch& operator=(const StderrWatch&) = delete;
    bool written() const { return counting_.written(); }

  private:
    CountingBuffer counting_;
    std::streambuf* original_ = nullptr;
};

std::string joinedWords(const std::vector<std::string>& words) {
    std::string joined;
    for (const std::string& word : words)
        joined += (joined.empty() ? "" : " ") + word;
    return joined;
}

int runCommand(const Command& command, const CommandLine& line, SharedProcesses* sharing) {
    std::string root = locateProgramFolder(currentFolderLocation(line.folder));
    if (!command.createsFolder && !fileio::directoryExists(root))
        return usageError("no program folder at " + root + " (run init first)");

    TerminalPrompter prompter(line.assumeYes);
    CurlHttp http;
    LhasaLzh lzh;
    DesktopShell shell;
    SystemClock clock;
    StdinClipboard clipboard;
    Workspace workspace(ProgramFolder(root),
                        Platform{prompter, http, lzh, shell, clock, clipboard});
    workspace.loadSettings(std::nullopt);
    // The tool reads and writes the per-code files of the period it is
    // given, whatever period or scratch mode the window last used; the
    // stored choice stays as it is.
    workspace.periodMode = line.period.value_or(PeriodMode::Daily);
    workspace.storageMode = StorageMode::Accumulate;
    workspace.keepStoredViewModes = true;
    CommandContext context{workspace, prompter, line, sharing};
    return command.run(context);
}

}  // namespace

std::optional<std::string> CommandLine::option(const std::string& name) const {
    for (const auto& [key, value] : options)
        if (key == name) return value;
    return std::nullopt;
}

bool CommandLine::flag(const std::string& name) const {
    return option(name).has_value();
}

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

std::optional<StockCode> parseCodeArgument(const std::string& text) {
    return parseCode(text);
}

namespace {

// Refuses, naming it, the first option the line gives that `allowed` does not
// take; --help goes with everything.
bool acceptsOptions(const CommandLine& line, const std::function<bool(std::string_view)>& allowed,
                    const std::string& where) {
    std::vector<std::string_view> given;
    if (line.period) given.push_back("period");
    for (const auto& [name, value] : line.options)
        given.push_back(name);
    for (std::string_view name : given) {
        if (name == "help" || allowed(name)) continue;
        usageError("--" + std::string(name) + " is not an option of " + where + " (see: help " +
                   line.words.front() + ")");
        return false;
    }
    return true;
}

}  // namespace

bool onlyOptions(const CommandLine& line, std::initializer_list<std::string_view> allowed,
                 const std::string& where) {
    return acceptsOptions(
        line,
        [&](std::string_view name) {
            return std::find(allowed.begin(), allowed.end(), name) != allowed.end();
        },
        where);
}

int run(int argc, char** argv, SharedProcesses* sharing) {
    auto line = parseCommandLine(argc, argv);
    if (!line) return kExitUsage;
    if (line->words.empty() || (line->words[0] == "help" && line->words.size() == 1)) {
        printHelp();
        return line->words.empty() && !line->flag("help") ? kExitUsage : kExitOk;
    }
    const bool helpCommand = line->words[0] == "help";
    if (helpCommand && line->words.size() > 2) return usageError("usage: help [COMMAND]");
    const std::string& name = helpCommand ? line->words[1] : line->words[0];
    auto found = commands().find(name);
    if (found == commands().end()) return usageError("unknown command: " + name);
    const Command& command = found->second;
    if (helpCommand || line->flag("help")) {
        printCommandHelp(command);
        return kExitOk;
    }
    const auto declared = [&](std::string_view option) {
        return std::any_of(command.options.begin(), command.options.end(),
                           [&](const OptionHelp& help) { return help.name == option; });
    };
    if (!acceptsOptions(*line, declared, name)) return kExitUsage;
    // Every process would run the command in full, writing the same files.
    if (sharing && name != "optimize")
        return usageError(name + " runs in one process: only optimize shares its work over mpirun");

    StderrWatch watch;
    const int status = runCommand(command, *line, sharing);
    // Every failure says so, even where the operation itself was silent.
    if (status != kExitOk && !watch.written())
        std::cerr << "tavrento-cli: " << joinedWords(line->words) << ": failed\n";
    return status;
}

}  // namespace tav::cli

int main(int argc, char** argv) {
#ifdef TAV_MPI
    tav::cli::MpiSession mpi(argc, argv);
    return tav::cli::run(argc, argv, mpi.sharing());
#else
    // Without MPI each process mpirun starts would run it all and print it.
    if (const char* size = std::getenv("OMPI_COMM_WORLD_SIZE"); size && std::atoi(size) > 1) {
        const char* rank = std::getenv("OMPI_COMM_WORLD_RANK");
        if (rank == nullptr || std::atoi(rank) == 0)
            std::cerr << "tavrento-cli: built without MPI (TAV_MPI): run it without mpirun\n";
        return tav::cli::kExitUsage;
    }
    return tav::cli::run(argc, argv, nullptr);
#endif
}
