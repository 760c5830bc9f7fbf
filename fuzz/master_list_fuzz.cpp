// Master-list reader: lookups and the usability check on any bytes.
#include <cstdint>
#include <string_view>

#include "core/file_io.h"
#include "data/stock_master.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    tav::SecurityInfo info;
    for (tav::StockCode code : {1010, 7203, 0, -1, 10101}) tav::StockMaster::lookupIn(bytes, code, info);
    tav::isUsableMasterList(bytes);
    tav::fileio::forEachLine(bytes, [](std::string_view line) { tav::parseMasterLine(line); });
    return 0;
}
