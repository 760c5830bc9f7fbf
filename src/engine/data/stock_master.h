#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/stock_code.h"

namespace tav {

// One security as "Stock.lst" lists it (texts in UTF-8).
struct SecurityInfo {
    std::string name;
    std::string market;  // "---" when unknown
    int unit = 0;        // trading unit in shares, 0 when unknown
    std::string symbol;  // ticker of US listings
};

enum class LookupResult { CannotOpen = -1, NotFound = 0, Found = 1 };

// A parsed line of "Stock.lst": the raw fields, Shift-JIS as stored.
struct MasterLine {
    StockCode code = 0;
    std::string_view name;
    std::string_view market;
    std::string_view unit;
    std::string_view symbol;
    int fieldCount = 0;
};

// Splits one line (without "\n") into its fields; code 0 when field 0 holds no
// number.
MasterLine parseMasterLine(std::string_view line);

// The master list "Stock.lst". There is no cached copy: every lookup reads the
// file afresh, so edits take effect at once everywhere.
class StockMaster {
public:
    static constexpr std::string_view kFileName = "Stock.lst";
    static constexpr std::string_view kBackupName = "Stock.bak";

    explicit StockMaster(std::string listPath) : path_(std::move(listPath)) {}

    const std::string& path() const { return path_; }

    // Looks up the first line of the code. Not found: name "-----", market
    // "---", unit 0, empty symbol. Cannot open: every output empty.
    LookupResult lookupSecurity(StockCode code, SecurityInfo& info) const;
    bool contains(StockCode code) const;

    // Lookup of a code in the bytes of a list (the same rules as lookupSecurity).
    static LookupResult lookupIn(std::string_view listBytes, StockCode code, SecurityInfo& info);

private:
    std::string path_;
};

// The add dialog's choices, in their order. The current segments come after
// "その他" so that the older choices keep their indexes.
inline constexpr std::string_view kAddMarketChoices[] = {
    "東証1部", "東証2部", "大証2部", "名証2部",     "JASDAQ",  "マザーズ",
    "ヘラクレス", "その他",  "プライム", "スタンダード", "グロース"};
inline constexpr std::string_view kAddUnitChoices[] = {"1000株", "100株", "10株", "1株",
                                                       "500株",  "50株",  "その他"};

// True when every non-blank line has a positive code and a name: a list that
// is safe to put in place of the current one. Empty lists are refused.
bool isUsableMasterList(std::string_view listBytes);

}  // namespace tav
