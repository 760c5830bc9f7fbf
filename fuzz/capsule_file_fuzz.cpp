// The capsule reader must accept any bytes and give a record that writes and
// reads back unchanged (ticks and the spare field are not stored, nor the
// logic of a capsule without rows). Every row it yields, whatever its codes,
// must evaluate on a short series and turn into a sentence without reading
// outside anything.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "conditions/capsule_file.h"
#include "conditions/condition_evaluator.h"
#include "conditions/condition_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tav;
    const std::string_view input(reinterpret_cast<const char*>(data), size);

    const ConditionCapsule capsule = parseCapsuleFile(input);
    if (capsule.rowCount < 0 || capsule.rowCount > kMaxCapsuleRows) std::abort();
    for (int i = capsule.rowCount; i < kMaxCapsuleRows; ++i)
        if (!(capsule.rows[static_cast<std::size_t>(i)] == Condition{})) std::abort();

    ConditionCapsule expected = capsule;
    for (Condition& row : expected.rows) {
        row.ticks = 0;
        row.spare = 0;
    }
    if (expected.rowCount == 0) expected.logic = 0;
    if (!(parseCapsuleFile(formatCapsuleFile(capsule)) == expected)) std::abort();

    const std::vector<std::string> titles = parseCapsuleTitles(input);
    for (const std::string& title : titles)
        if (title.find('\n') != std::string::npos) std::abort();

    // A short series with a few slots set, and the capsule itself as capsule 0.
    std::vector<DailyBar> bars(4);
    for (int i = 0; i < 4; ++i) {
        DailyBar& bar = bars[static_cast<std::size_t>(i)];
        std::snprintf(bar.date, sizeof bar.date, "2024010%d", i + 1);
        bar.open = 1000 + i;
        bar.high = 1010 + 2 * i;
        bar.low = 990 - i;
        bar.close = 1005 - i;
        bar.volume = 1000 * (i + 1);
        bar.maMid = bar.bollingerMid = 1000;
    }
    const ConditionCapsule capsules[] = {capsule};
    ConditionInputs inputs{bars, 3000, 13, 10, 25, capsules};
    EvaluationContext context;
    context.entryBar = 1;
    context.entryPrice = 1000;
    for (int bar = -1; bar <= 4; ++bar) {
        context.evaluationBar = bar;
        evaluateCapsule(inputs, context, capsule);
        for (int i = 0; i < capsule.rowCount; ++i) {
            const Condition& row = capsule.rows[static_cast<std::size_t>(i)];
            evaluateCondition(inputs, context, row);
            Condition reference = row;
            reference.category = kCapsuleReference;
            evaluateCondition(inputs, context, reference);
        }
    }
    for (int i = 0; i < capsule.rowCount; ++i) {
        conditionText(capsule.rows[static_cast<std::size_t>(i)], ConditionContext::Capsule, titles);
        conditionText(capsule.rows[static_cast<std::size_t>(i)], ConditionContext::Strategy,
                      titles);
    }
    return 0;
}
