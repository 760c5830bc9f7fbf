#include "security/loaded_security.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <latch>
#include <thread>

#include "core/text.h"
#include "engine/analysis/slot_fields.h"
#include "support/temp_folder.h"

namespace tav {
namespace {

// A deterministic random walk of `count` daily bars, as a data file holds them.
std::string walk(uint32_t seed, int count) {
    std::string text;
    int32_t close = 1000 + static_cast<int32_t>(seed % 500);
    int day = 0;
    for (int i = 0; i < count; ++i) {
        seed = seed * 1664525u + 1013904223u;
        int32_t move = static_cast<int32_t>(seed >> 24) % 41 - 20;
        int32_t open = close;
        close = std::max<int32_t>(50, close + move);
        int32_t high = std::max(open, close) + static_cast<int32_t>((seed >> 8) % 15);
        int32_t low = std::max<int32_t>(1, std::min(open, close) - static_cast<int32_t>((seed >> 16) % 15));
        int64_t volume = 10000 + (seed >> 4) % 90000;
        int year = 2018 + day / 336, month = day / 28 % 12 + 1, dom = day % 28 + 1;
        ++day;
        char line[96];
        std::snprintf(line, sizeof line, "%04d%02d%02d,%d,%d,%d,%d,%lld\n", year, month, dom, open,
                      high, low, close, static_cast<long long>(volume));
        text += line;
    }
    return text;
}

// Rows over every category but capsule references, with a spread of items and
// parameters, so that most slots and evaluation paths are read.
std::vector<Condition> conditionRows() {
    std::vector<Condition> rows;
    for (int16_t category = 0; category <= 4; ++category)
        for (int16_t item = 0; item < 10; ++item)
            for (int16_t p1 = 0; p1 < 3; ++p1)
                for (int16_t p2 = 0; p2 < 3; ++p2)
                    rows.push_back({category, 0, static_cast<int16_t>(p1 % 2), item, p1, p2,
                                    static_cast<int16_t>(p2 + 1), 5, 0, 0});
    return rows;
}

struct Analysed {
    LoadedSecurity security;
    std::vector<char> verdicts;  // per bar: every row, then every capsule
};

Analysed analyse(const ProgramFolder& folder, StockCode code,
                 const std::vector<Condition>& rows,
                 const std::vector<ConditionCapsule>& capsules, std::latch* start = nullptr) {
    const DisplaySwitches switches{};
    Analysed out;
    out.security.loadStored(folder, code, StorageMode::Accumulate);
    out.security.lookUp(StockMaster(folder.path(StockMaster::kFileName)));
    // Both threads recompute at the same moment, so anything shared collides.
    if (start) start->arrive_and_wait();
    out.security.recompute(switches);
    const ConditionInputs inputs = out.security.conditionInputs(switches, capsules);
    EvaluationContext context;
    for (int bar = 0; bar < out.security.series.count(); ++bar) {
        context.evaluationBar = bar;
        for (const Condition& row : rows)
            out.verdicts.push_back(evaluateCondition(inputs, context, row));
        for (const ConditionCapsule& capsule : capsules)
            out.verdicts.push_back(evaluateCapsule(inputs, context, capsule));
    }
    return out;
}

void expectSame(const Analysed& got, const Analysed& want) {
    const LoadedSecurity& a = got.security;
    const LoadedSecurity& b = want.security;
    EXPECT_EQ(a.series.code, b.series.code);
    EXPECT_EQ(a.series.name, b.series.name);
    EXPECT_EQ(a.security.unit, b.security.unit);
    EXPECT_EQ(a.analysis.values.meanClose, b.analysis.values.meanClose);
    EXPECT_EQ(a.analysis.values.meanVolume, b.analysis.values.meanVolume);
    EXPECT_EQ(a.analysis.values.volumeGuide, b.analysis.values.volumeGuide);
    ASSERT_EQ(a.series.count(), b.series.count());
    for (int i = 0; i < a.series.count(); ++i)
        ASSERT_EQ(test::firstDifference(a.series.bars[i], b.series.bars[i]), "")
            << "code " << a.series.code << " bar " << i;
    EXPECT_TRUE(got.verdicts == want.verdicts) << "code " << a.series.code;
}

TEST(LoadedSecurity, TwoSecuritiesOnTwoThreadsMatchTheSequentialRun) {
    test::TempFolder temp;
    test::writeFile(temp / "Stock.lst",
                    text::sjisFromUtf8("7203,トヨタ自動車,東証1部,100,-\n6758,ソニー,東証1部,100,-\n"));
    std::filesystem::create_directories(temp / "Data");
    test::writeFile(temp / "Data/7203.txt", walk(7203, 700));
    test::writeFile(temp / "Data/6758.txt", walk(6758, 520));
    const ProgramFolder folder(temp.str());
    const std::vector<Condition> rows = conditionRows();
    std::vector<ConditionCapsule> capsules(2);
    capsules[0].logic = kLogicOr;
    capsules[1].logic = kLogicAnd;
    for (ConditionCapsule& capsule : capsules) {
        capsule.rowCount = 4;
        for (int r = 0; r < 4; ++r) capsule.rows[r] = rows[r * 37 + (&capsule - capsules.data())];
    }

    const Analysed first = analyse(folder, 7203, rows, capsules);
    const Analysed second = analyse(folder, 6758, rows, capsules);
    // The two must differ, or the comparison below could not tell them apart.
    ASSERT_EQ(first.security.series.count(), 700);
    ASSERT_EQ(second.security.series.count(), 520);
    EXPECT_EQ(first.security.series.name, "トヨタ自動車");
    EXPECT_EQ(second.security.series.name, "ソニー");
    EXPECT_NE(first.security.analysis.values.meanClose, second.security.analysis.values.meanClose);
    const long trues = std::count(first.verdicts.begin(), first.verdicts.end(), 1);
    EXPECT_GT(trues, 0);
    EXPECT_LT(trues, static_cast<long>(first.verdicts.size()));

    for (int round = 0; round < 10; ++round) {
        Analysed onFirst, onSecond;
        std::latch start(2);
        {
            std::jthread a([&] { onFirst = analyse(folder, 7203, rows, capsules, &start); });
            std::jthread b([&] { onSecond = analyse(folder, 6758, rows, capsules, &start); });
        }
        expectSame(onFirst, first);
        expectSame(onSecond, second);
    }
}

}  // namespace
}  // namespace tav
