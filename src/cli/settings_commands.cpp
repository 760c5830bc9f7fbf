#include "settings_commands.h"

#include <iostream>

#include "core/file_io.h"
#include "settings/settings_text.h"

namespace tav::cli {

namespace {

constexpr const char* kUsage =
    "usage: settings show [--individual CODE] | settings set NAME VALUE [--individual CODE]";

// The file name relative to the program folder, or "defaults" when the block
// came from no file.
std::string sourceName(const Workspace& workspace, const std::string& path) {
    if (path.empty()) return "defaults";
    const std::string& root = workspace.folder().root();
    if (path.starts_with(root + "/")) return path.substr(root.size() + 1);
    return path;
}

// The block a security's own file holds, or the common one it falls back to.
AnalysisParameters individualBlock(const Workspace& workspace, StockCode code,
                                   std::string* source) {
    SettingsStore store = workspace.settingsStore();
    store.options.individualSettings = 1;
    AnalysisParameters block = AnalysisParameters::defaults();
    store.loadParameters(code, block);
    if (source) *source = sourceName(workspace, store.parametersPath());
    return block;
}

AnalysisParameters commonBlock(const Workspace& workspace) {
    SettingsStore store = workspace.settingsStore();
    store.options.individualSettings = 0;
    AnalysisParameters block = AnalysisParameters::defaults();
    store.loadParameters(0, block);
    return block;
}

int show(CommandContext& context, std::optional<StockCode> individual) {
    Workspace& workspace = context.workspace;
    std::string source = sourceName(workspace, workspace.settingsStore().parametersPath());
    AnalysisParameters block = workspace.analysisParameters;
    if (individual) block = individualBlock(workspace, *individual, &source);
    std::string out;
    for (const NamedValue& value : describeOptions(workspace.options()))
        out += value.name + ' ' + value.value + '\n';
    out += "settingsFile " + source + '\n';
    for (const NamedValue& value : describeParameters(block))
        out += value.name + ' ' + value.value + '\n';
    std::cout << out << std::flush;
    return kExitOk;
}

int set(CommandContext& context, const std::string& name, const std::string& value,
        std::optional<StockCode> individual) {
    Workspace& workspace = context.workspace;
    const SettingsStore& store = workspace.settingsStore();
    if (isOptionName(name)) {
        if (individual) return usageError(name + " is an option, not a per-security setting");
        OptionsRecord options = workspace.options();
        if (auto error = setOption(options, name, value)) return usageError(*error);
        if (!workspace.requireWritableStore()) return kExitFailed;
        workspace.options() = options;
        if (!store.writeOptions()) {
            std::cerr << "tavrento-cli: cannot write " << store.optionsPath() << '\n';
            return kExitFailed;
        }
        return kExitOk;
    }
    if (!isParameterName(name)) return usageError("unknown setting: " + name);
    AnalysisParameters block =
        individual ? individualBlock(workspace, *individual, nullptr) : commonBlock(workspace);
    if (auto error = setParameter(block, name, value)) return usageError(*error);
    if (!workspace.requireWritableStore()) return kExitFailed;
    std::string path = individual ? store.securityPath(*individual) : store.commonPath();
    if (!store.writeParameters(path, block)) {
        std::cerr << "tavrento-cli: cannot write " << path << '\n';
        return kExitFailed;
    }
    // Without "Option.cfg" no settings file is read at start: write the
    // defaults, as the first exit of the program would, so the change counts.
    if (!fileio::fileExists(store.optionsPath()) && !store.writeOptions()) {
        std::cerr << "tavrento-cli: cannot write " << store.optionsPath() << '\n';
        return kExitFailed;
    }
    return kExitOk;
}

}  // namespace

int runSettings(CommandContext& context) {
    const auto& words = context.line.words;
    std::optional<StockCode> individual;
    if (auto code = context.line.option("individual")) {
        individual = parseCodeArgument(*code);
        if (!individual) return usageError("not a security code: " + *code);
    }
    if (words.size() == 2 && words[1] == "show") return show(context, individual);
    if (words.size() == 4 && words[1] == "set") return set(context, words[2], words[3], individual);
    return usageError(kUsage);
}

}  // namespace tav::cli
