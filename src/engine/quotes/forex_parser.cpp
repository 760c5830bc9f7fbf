#include "quotes/history_parsers.h"
#include "quotes/infoseek_table.h"

namespace tav {

PageParse parseInfoseekForex(std::string_view pageText, StockCode code) {
    static const infoseek::Layout kLayout = [] {
        infoseek::Layout layout;
        layout.header = page::sjis("<th>安値</th>");
        layout.rowStart = R"(<tr align="right" bgcolor=)";
        layout.tableEnd = "</table>";
        layout.zeroCloseDropsRow = false;
        layout.forex = true;
        layout.furtherPage = [](page::Lines& lines) {
            while (auto line = lines.next()) {
                if (line->starts_with('-')) {
                    auto link = lines.next();
                    return link && page::contains(*link, "/MnForex/fxlast.html");
                }
            }
            return false;
        };
        return layout;
    }();
    return infoseek::parseTable(kLayout, pageText, code);
}

}  // namespace tav
