#include "condition_commands.h"

#include <charconv>
#include <iostream>
#include <sstream>

#include "conditions/capsule_file.h"
#include "conditions/capsule_set.h"
#include "conditions/condition_text.h"
#include "core/file_io.h"
#include "json_output.h"

namespace tav::cli {

namespace {

constexpr const char* kEvaluateUsage =
    "usage: evaluate CODE (--condition \"F1 ... F10\" | --capsule N) [--period P] "
    "[--format csv|json]";
constexpr const char* kTextUsage =
    "usage: text --condition \"F1 ... F10\" [--context capsule|strategy]";
constexpr const char* kCapsulesUsage =
    "usage: capsules list | show N | add TITLE | rename N TITLE | copy N M | init N | delete N | "
    "move N up|down | add-row N \"F1 ... F10\" | delete-row N R | logic N and|or";

std::string fieldsText(const Condition& c) {
    std::ostringstream out;
    out << c.category << ' ' << c.role << ' ' << c.dayOffset << ' ' << c.item << ' ' << c.p1 << ' '
        << c.p2 << ' ' << c.p3 << ' ' << c.percent << ' ' << c.ticks << ' ' << c.spare;
    return out.str();
}

// A capsule named by its file number, selected in the set.
bool selectCapsule(CapsuleSet& set, const std::string& word) {
    auto number = parseInt(word);
    if (!number || *number < 1 || *number > set.count()) {
        usageError("no capsule " + word + " (there are " + std::to_string(set.count()) + ")");
        return false;
    }
    set.select(*number - 1);
    return true;
}

}  // namespace

int runEvaluate(CommandContext& context) {
    const auto& words = context.line.words;
    const auto conditionOption = context.line.option("condition");
    const auto capsuleOption = context.line.option("capsule");
    if (words.size() != 2 || conditionOption.has_value() == capsuleOption.has_value())
        return usageError(kEvaluateUsage);
    auto code = parseCodeArgument(words[1]);
    if (!code) return usageError("not a security code: " + words[1]);
    const auto format = outputFormat(context.line);
    if (!format) return kExitUsage;

    Workspace& workspace = context.workspace;
    std::optional<Condition> condition;
    ConditionCapsule capsule;
    if (conditionOption) {
        condition = parseCondition(*conditionOption);
        if (!condition) return usageError("--condition takes up to ten 16-bit numbers");
    } else {
        auto number = parseInt(*capsuleOption);
        if (!number || *number < 1) return usageError("--capsule takes a file number from 1");
        capsule = readCapsuleFile(workspace.folder().path(capsuleFileName(*number - 1)));
    }
    if (!workspace.loadStoredSeries(*code)) {
        std::cerr << "tavrento-cli: no stored series for " << codeText(*code) << '\n';
        return kExitFailed;
    }
    workspace.seriesChanged();

    const ConditionInputs inputs = workspace.conditionInputs();
    const std::vector<uint8_t> holds =
        condition ? evaluateEveryBar(inputs, *condition) : evaluateEveryBar(inputs, capsule);
    // The CSV has no header line; JSON names the two fields.
    std::string out = *format == OutputFormat::Json ? "date,holds\n" : "";
    const auto& bars = workspace.series().bars;
    for (std::size_t bar = 0; bar < bars.size(); ++bar) {
        out += bars[bar].dateText();
        out += holds[bar] ? ",1\n" : ",0\n";
    }
    std::cout << formatTable(out, *format) << std::flush;
    return kExitOk;
}

int runText(CommandContext& context) {
    const auto conditionOption = context.line.option("condition");
    if (context.line.words.size() != 1 || !conditionOption) return usageError(kTextUsage);
    auto condition = parseCondition(*conditionOption);
    if (!condition) return usageError("--condition takes up to ten 16-bit numbers");
    const std::string where = context.line.option("context").value_or("strategy");
    if (where != "capsule" && where != "strategy")
        return usageError("--context must be capsule or strategy");
    const auto titles = readCapsuleTitles(context.workspace.folder().root());
    std::cout << conditionText(
                     *condition,
                     where == "capsule" ? ConditionContext::Capsule : ConditionContext::Strategy,
                     titles)
              << '\n';
    return kExitOk;
}

int runCapsules(CommandContext& context) {
    const auto& words = context.line.words;
    if (words.size() < 2) return usageError(kCapsulesUsage);
    // Edits go through the folder lock like the store's.
    if (words[1] != "list" && words[1] != "show" && !context.workspace.requireWritableStore())
        return kExitFailed;
    CapsuleSet set(context.workspace.folder().root(), context.prompter);
    set.open(0);
    const std::string& action = words[1];
    const std::size_t count = words.size();
    // Every operation ends like the dialog's OK: the current capsule is saved.
    int told = context.prompter.toldCount();
    auto finish = [&](bool ok) {
        const bool saved = set.close();
        return editExitCode(context, saved && ok, told);
    };

    if (action == "list" && count == 2) {
        for (int k = 0; k < set.count(); ++k)
            std::cout << k + 1 << ' ' << set.titles()[static_cast<std::size_t>(k)] << '\n';
        return kExitOk;
    }
    if (action == "add" && count == 3) {
        context.prompter.presetInput = words[2];
        return finish(set.addCapsule());
    }
    if (count < 3) return usageError(kCapsulesUsage);
    if (!selectCapsule(set, words[2])) return kExitUsage;
    told = context.prompter.toldCount();

    if (action == "show" && count == 3) {
        const ConditionCapsule& capsule = set.capsule();
        std::cout << set.currentFileName() << ' '
                  << set.titles()[static_cast<std::size_t>(set.current())]
                  << "\nlogic: " << (capsule.logic == kLogicAnd ? "AND" : "OR") << '\n';
        const auto texts = set.rowTexts();
        for (int r = 0; r < capsule.rowCount; ++r)
            std::cout << r + 1 << ": " << fieldsText(capsule.rows[static_cast<std::size_t>(r)])
                      << ' ' << texts[static_cast<std::size_t>(r)] << '\n';
        return kExitOk;
    }
    if (action == "rename" && count == 4) {
        context.prompter.presetInput = words[3];
        return finish(set.renameCapsule());
    }
    if (action == "copy" && count == 4) {
        auto target = parseInt(words[3]);
        if (!target || *target < 1 || *target > set.count())
            return usageError("no capsule " + words[3]);
        return finish(set.copyCapsuleTo(*target - 1));
    }
    if (action == "init" && count == 3) return finish(set.initialiseCapsule());
    if (action == "delete" && count == 3) return finish(set.deleteCapsule());
    if (action == "move" && count == 4 && (words[3] == "up" || words[3] == "down")) {
        const bool up = words[3] == "up";
        if (set.current() == (up ? 0 : set.count() - 1)) {
            std::cerr << "tavrento-cli: capsule " << words[2] << " is already the "
                      << (up ? "first" : "last") << '\n';
            return kExitFailed;
        }
        return finish(up ? set.moveCapsuleUp() : set.moveCapsuleDown());
    }
    if (action == "add-row" && count == 4) {
        auto row = parseCondition(words[3]);
        if (!row) return usageError("a row is up to ten 16-bit numbers");
        return finish(set.addRow(*row));
    }
    if (action == "delete-row" && count == 4) {
        auto row = parseInt(words[3]);
        if (!row) return usageError("not a row number: " + words[3]);
        return finish(set.deleteRow(*row - 1));
    }
    if (action == "logic" && count == 4 && (words[3] == "and" || words[3] == "or")) {
        const int16_t logic = words[3] == "and" ? kLogicAnd : kLogicOr;
        // Choosing what is already chosen succeeds.
        return finish(set.setLogic(logic) ||
                      (set.logicAvailable() && set.capsule().logic == logic));
    }
    return usageError(kCapsulesUsage);
}

}  // namespace tav::cli
