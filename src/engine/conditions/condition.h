#pragma once

#include <array>
#include <cstdint>
#include <type_traits>

namespace tav {

// One row of a trading rule. Ten signed 16-bit fields in stored order; what
// p1, p2 and p3 mean depends on the category (see condition_tables.h). Fields
// a category does not use are ignored by evaluation and text, and kept by edits.
struct Condition {
    int16_t category = 0;   // ConditionCategory
    int16_t role = 0;       // codes depend on the context, see ConditionRole
    int16_t dayOffset = 0;  // bars back from the evaluation bar
    int16_t item = 0;
    int16_t p1 = 0;  // target, value, n or state
    int16_t p2 = 0;  // action or comparison
    int16_t p3 = 0;  // n, range upper bound or band line
    int16_t percent = 0;
    int16_t ticks = 0;  // not stored in capsule files
    int16_t spare = 0;

    friend bool operator==(const Condition&, const Condition&) = default;
};

static_assert(std::is_trivially_copyable_v<Condition> && sizeof(Condition) == 20);

enum ConditionCategory : int16_t {
    kPriceComparison = 0,      // 株価と比較
    kIndicatorComparison = 1,  // 指数と比較
    kValueComparison = 2,      // 数値と比較
    kCandleShape = 3,          // 足形・他
    kIndicatorMovement = 4,    // 指数単独
    kCapsuleReference = 5,     // 条件ｶﾌﾟｾﾙ, strategies only
};
inline constexpr int kCategoryCount = 6;

// Where a condition lives decides the codes of `role` and the sentence prefix.
enum class ConditionContext { Capsule, Strategy };

// Role codes. Inside a capsule 2 is 無効; in a strategy 2 is トリガー and 255 無効.
inline constexpr int16_t kRoleNormal = 0;
inline constexpr int16_t kRoleFilter = 1;
inline constexpr int16_t kRoleCapsuleDisabled = 2;
inline constexpr int16_t kRoleTrigger = 2;
inline constexpr int16_t kRoleStrategyDisabled = 255;

// Capsule logic.
inline constexpr int16_t kLogicOr = 0;
inline constexpr int16_t kLogicAnd = 1;

inline constexpr int kMaxCapsuleRows = 20;

// A named, reusable group of conditions. The title is not part of the record:
// it is the capsule's line in "Capsel.inf".
struct ConditionCapsule {
    int16_t logic = kLogicOr;
    int16_t unused1 = 0;
    int16_t unused2 = 0;
    int16_t rowCount = 0;  // 0 to kMaxCapsuleRows; rows beyond it are ignored
    std::array<Condition, kMaxCapsuleRows> rows{};

    friend bool operator==(const ConditionCapsule&, const ConditionCapsule&) = default;
};

static_assert(std::is_trivially_copyable_v<ConditionCapsule>);

}  // namespace tav
