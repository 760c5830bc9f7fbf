// Settings readers: any bytes, taken as "Option.cfg" and as a settings file,
// load into fields that are all in range, and saving then loading again
// changes nothing (through the file image and through the named text values).
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "settings/settings_store.h"
#include "settings/settings_text.h"

namespace {

void check(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tav;
    std::string_view bytes(reinterpret_cast<const char*>(data), size);

    OptionsRecord options = OptionsRecord::fromBytes(bytes);
    options.repair();
    for (const OptionField& field : optionFields())
        check(field.inRange(field.get(options)));
    check(options.versionStamp >= OptionsRecord::kVersion);
    check(isIndicatorPermutation(options.indicatorOrder));
    check(isTerminatedName(options.reportName));
    check(options.indicatorScreen < options.indicatorScreenCount());
    check(options.valid());

    std::string image = options.toBytes();
    check(image.size() == OptionsRecord::kSize);
    OptionsRecord again = OptionsRecord::fromBytes(image);
    again.repair();
    check(again == options);
    check(again.toBytes() == image);

    // The screen shown is checked against the graphs per screen: set those first.
    OptionsRecord fromText = OptionsRecord::defaults(1);
    check(!setOption(fromText, "graphsPerScreen", std::to_string(options.graphsPerScreen)));
    for (const NamedValue& value : describeOptions(options)) {
        // The report name may hold bytes that are not Shift-JIS text.
        if (value.name == "indicatorScreens" || value.name == "reportName") continue;
        check(!setOption(fromText, value.name, value.value));
    }
    fromText.reportName = options.reportName;
    check(fromText == options);

    AnalysisParameters block = parametersFromSettingsFile(bytes);
    std::string file = settingsFileBytes(block);
    check(file.size() == kSettingsFileSize);
    check(parametersFromSettingsFile(file) == block);
    check(file.compare(0, block.bytes.size(), bytes.substr(0, block.bytes.size())) == 0 ||
          bytes.size() < block.bytes.size());
    return 0;
}
