#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "core/stock_code.h"
#include "settings/analysis_parameters.h"
#include "settings/options_record.h"

namespace tav {

// A settings file ("Common.cfg", "Config/<code>.cfg"): the parameter block
// followed by zeros up to 248 bytes.
constexpr std::size_t kSettingsFileSize = 248;

// Up to 248 bytes with the missing ones zero; the block is the first 120.
AnalysisParameters parametersFromSettingsFile(std::string_view bytes);
std::string settingsFileBytes(const AnalysisParameters& parameters);

// The start code of the command line: its first four characters read as a
// decimal number ("7203", "72034" -> 7203); nothing when that is not positive.
// An argument that is an alphanumeric code ("130A", "130a") is that code.
std::optional<StockCode> parseStartCode(std::string_view argument);

// The options record and the settings files of one program folder: which
// file holds the parameter block in force (common or the security's own) and
// when each is read and written. Nothing here shows a message: a missing file
// means defaults and a failed save is silent (the old file stays intact).
class SettingsStore {
  public:
    SettingsStore(std::string folderRoot, int dayOfMonth);

    OptionsRecord options;

    std::string optionsPath() const;
    std::string commonPath() const;
    std::string securityPath(StockCode code) const;

    // Start-up: the defaults, then "Option.cfg" (repaired), then the parameter
    // block of the start security by the common/individual rule. A code given
    // on the command line becomes the code on display first, so that its own
    // settings are the ones read (and later saved). Without a whole
    // "Option.cfg" no settings file is read and the defaults stay in force.
    void load(std::optional<StockCode> commandLineCode, AnalysisParameters& block);
    // Set by load when "Option.cfg" was there but shorter than its record
    // (cut by a crash or a full disk): it counts as missing.
    bool optionsFileShort = false;
    // The code "Option.cfg" held before a command-line code replaced it.
    StockCode storedCode() const { return storedCode_; }

    // Reads the block in force for code: its own file when individual
    // settings are on and it has one, else "Common.cfg"; a missing
    // "Common.cfg" leaves the block as it was.
    void loadParameters(StockCode code, AnalysisParameters& block);
    // A security is shown: with individual settings on its block is read as
    // above; with common settings nothing is read.
    void securityShown(StockCode code, AnalysisParameters& block);
    // The file the block in force was last read from; empty when none was.
    const std::string& parametersPath() const { return parametersPath_; }

    // Writes "Option.cfg" with code as the code on display, then the block to
    // the file chosen by the individual flag. When "Option.cfg" cannot be
    // written, the settings file is not written either. Returns whether
    // "Option.cfg" was written.
    bool save(StockCode code, const AnalysisParameters& block);

    // "Common.cfg" for the pages' "back to the common values": only a file
    // of exactly 248 bytes counts.
    std::optional<AnalysisParameters> readCommonValues() const;

    // Single writes for the command-line tool.
    bool writeOptions() const;
    bool writeParameters(const std::string& path, const AnalysisParameters& block) const;

  private:
    bool readParametersFile(const std::string& path, AnalysisParameters& block);

    std::string root_;
    int dayOfMonth_;
    StockCode storedCode_ = kDefaultCode;
    std::string parametersPath_;
};

}  // namespace tav
