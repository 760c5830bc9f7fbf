#include "settings/settings_store.h"

#include <algorithm>
#include <cstring>

#include "core/file_io.h"

namespace tav {

AnalysisParameters parametersFromSettingsFile(std::string_view bytes) {
    AnalysisParameters block;
    if (!bytes.empty())
        std::memcpy(block.bytes.data(), bytes.data(), std::min(bytes.size(), block.bytes.size()));
    return block;
}

std::string settingsFileBytes(const AnalysisParameters& parameters) {
    std::string bytes(kSettingsFileSize, '\0');
    std::memcpy(bytes.data(), parameters.bytes.data(), parameters.bytes.size());
    return bytes;
}

std::optional<StockCode> parseStartCode(std::string_view argument) {
    if (auto code = parseCode(argument); code && isAlphanumericCode(*code)) return code;
    StockCode code = 0;
    for (char c : argument.substr(0, 4)) {
        if (c < '0' || c > '9') break;
        code = 10 * code + (c - '0');
    }
    if (code <= 0) return std::nullopt;
    return code;
}

SettingsStore::SettingsStore(std::string folderRoot, int dayOfMonth)
    : options(OptionsRecord::defaults(dayOfMonth)),
      root_(std::move(folderRoot)),
      dayOfMonth_(dayOfMonth) {}

std::string SettingsStore::optionsPath() const {
    return fileio::joinPath(root_, "Option.cfg");
}

std::string SettingsStore::commonPath() const {
    return fileio::joinPath(root_, "Common.cfg");
}

std::string SettingsStore::securityPath(StockCode code) const {
    return fileio::joinPath(fileio::joinPath(root_, "Config"), codeText(code) + ".cfg");
}

void SettingsStore::load(std::optional<StockCode> commandLineCode, AnalysisParameters& block) {
    options = OptionsRecord::defaults(dayOfMonth_);
    storedCode_ = options.stockCode;
    parametersPath_.clear();
    auto bytes = fileio::readFile(optionsPath());
    // A zero-filled tail would switch on scratch mode and other settings
    // nobody chose.
    optionsFileShort = bytes.has_value() && bytes->size() < OptionsRecord::kSize;
    const bool whole = bytes.has_value() && !optionsFileShort;
    if (whole) {
        options = OptionsRecord::fromBytes(*bytes);
        options.repair();
        storedCode_ = options.stockCode;
    }
    if (commandLineCode && *commandLineCode > 0) options.stockCode = *commandLineCode;
    // Without an options file the defaults stay in force, settings included.
    if (whole) loadParameters(options.stockCode, block);
}

bool SettingsStore::readParametersFile(const std::string& path, AnalysisParameters& block) {
    auto bytes = fileio::readFile(path);
    if (!bytes) return false;
    block = parametersFromSettingsFile(*bytes);
    parametersPath_ = path;
    return true;
}

void SettingsStore::loadParameters(StockCode code, AnalysisParameters& block) {
    if (options.individualSettings && readParametersFile(securityPath(code), block)) return;
    readParametersFile(commonPath(), block);
}

void SettingsStore::securityShown(StockCode code, AnalysisParameters& block) {
    if (options.individualSettings) loadParameters(code, block);
}

bool SettingsStore::writeOptions() const {
    return fileio::writeFileAtomic(optionsPath(), options.toBytes());
}

bool SettingsStore::writeParameters(const std::string& path,
                                    const AnalysisParameters& block) const {
    return fileio::writeFileAtomic(path, settingsFileBytes(block));
}

bool SettingsStore::save(StockCode code, const AnalysisParameters& block) {
    options.stockCode = code;
    if (!writeOptions()) return false;
    writeParameters(options.individualSettings ? securityPath(code) : commonPath(), block);
    return true;
}

std::optional<AnalysisParameters> SettingsStore::readCommonValues() const {
    auto bytes = fileio::readFile(commonPath());
    // Only a file of exactly 248 bytes is a settings file this program wrote;
    // anything else is left alone rather than half-understood.
    if (!bytes || bytes->size() != kSettingsFileSize) return std::nullopt;
    return parametersFromSettingsFile(*bytes);
}

}  // namespace tav
