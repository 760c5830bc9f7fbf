// Writes a generated market into a program folder: the Python tests' folders
// and the README's example.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "support/generated_market.h"

int main(int argc, char** argv) {
    if (argc < 2 || argc > 5) {
        std::fprintf(stderr, "usage: tavrento-market-writer FOLDER [SECURITIES [BARS [SEED]]]\n");
        return 2;
    }
    tav::test::GeneratedMarket market;
    if (argc > 2) market.securities = std::atoi(argv[2]);
    if (argc > 3) market.bars = std::atoi(argv[3]);
    if (argc > 4) market.seed = static_cast<uint32_t>(std::strtoul(argv[4], nullptr, 10));
    if (market.securities < 1 || market.bars < 1) {
        std::fprintf(stderr, "tavrento-market-writer: SECURITIES and BARS take numbers from 1\n");
        return 2;
    }
    market.writeTo(argv[1]);
    return 0;
}
