#include "plan/PlanSettings.h"

#include <optional>

#include "plan/Calendar.h"
#include "plan/PlanKeys.h"
#include "store/ProfileRules.h"
#include "store/SettingsKeys.h"

namespace plan {

namespace {

// Literals in the program's code page, so the same bytes are matched that the edit control
// hands over (code page 936 in the program, UTF-8 in the native tests).
constexpr const char* kFullWidthDigits[10] = {"０", "１", "２", "３", "４",
                                              "５", "６", "７", "８", "９"};
constexpr std::string_view kFullWidthSpace = "　";

constexpr std::size_t kValueChars = 32;

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

const char* LimitActionName(LimitAction action) {
    switch (action) {
    case LimitAction::Warn:
        return keys::kAtLimitWarn;
    case LimitAction::HangUp:
        return keys::kAtLimitHangUp;
    case LimitAction::Ask:
        break;
    }
    return keys::kAtLimitAsk;
}

std::optional<LimitAction> LimitActionNamed(const std::string& stored) {
    const std::string name = store::rules::FoldCase(stored);
    for (LimitAction action : {LimitAction::Warn, LimitAction::Ask, LimitAction::HangUp}) {
        if (name == store::rules::FoldCase(LimitActionName(action))) {
            return action;
        }
    }
    return std::nullopt;
}

FieldValue Field(std::optional<int> number, const char* message) {
    if (!number) {
        return FieldValue{false, 0, message};
    }
    return FieldValue{true, *number, {}};
}

} // namespace

std::string_view TrimFieldBlanks(std::string_view text) {
    for (;;) {
        if (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
            text.remove_prefix(1);
        } else if (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
            text.remove_suffix(1);
        } else if (StartsWith(text, kFullWidthSpace)) {
            text.remove_prefix(kFullWidthSpace.size());
        } else if (text.size() >= kFullWidthSpace.size() &&
                   text.substr(text.size() - kFullWidthSpace.size()) == kFullWidthSpace) {
            text.remove_suffix(kFullWidthSpace.size());
        } else {
            return text;
        }
    }
}

// Digits beyond the range stop counting early, so a long run cannot overflow.
std::optional<int> WholeNumberIn(std::string_view typed, int low, int high) {
    std::string_view text = TrimFieldBlanks(typed);
    if (text.empty()) {
        return std::nullopt;
    }
    long long value = 0;
    while (!text.empty()) {
        int digit = -1;
        if (text.front() >= '0' && text.front() <= '9') {
            digit = text.front() - '0';
            text.remove_prefix(1);
        } else {
            for (int d = 0; d < 10 && digit < 0; ++d) {
                const std::string_view wide = kFullWidthDigits[d];
                if (StartsWith(text, wide)) {
                    digit = d;
                    text.remove_prefix(wide.size());
                }
            }
        }
        if (digit < 0) {
            return std::nullopt;
        }
        if (value <= high) {
            value = value * 10 + digit;
        }
    }
    if (value < low || value > high) {
        return std::nullopt;
    }
    return static_cast<int>(value);
}

FieldValue ReadHoursField(std::string_view typed) {
    return Field(WholeNumberIn(typed, 0, kMaxHours),
                 "请输入 0 到 744 之间的整数小时数（0 表示不限）。");
}

FieldValue ReadFirstDayField(std::string_view typed) {
    return Field(WholeNumberIn(typed, kMinFirstDay, kMaxFirstDay),
                 "每期起始日请输入 1 到 31 之间的整数（月份没有这一天时从月末开始）。");
}

PlanSettings LoadPlanSettings(const store::ProfileStore& settings) {
    PlanSettings plan;
    const FieldValue hours =
        ReadHoursField(settings.ReadString(keys::kPlan, keys::kHours, "", kValueChars));
    if (hours.valid) {
        plan.hours = hours.value;
    }
    const FieldValue firstDay =
        ReadFirstDayField(settings.ReadString(keys::kPlan, keys::kFirstDay, "", kValueChars));
    if (firstDay.valid) {
        plan.firstDay = firstDay.value;
    }
    const std::optional<LimitAction> action =
        LimitActionNamed(settings.ReadString(keys::kPlan, keys::kAtLimit, "", kValueChars));
    if (action) {
        plan.atLimit = *action;
    } else {
        const std::string ask =
            settings.ReadString(keys::kPlan, keys::kAskAtLimit, "", kValueChars);
        plan.atLimit =
            store::rules::FoldCase(ask) == "false" ? LimitAction::Warn : LimitAction::Ask;
    }
    return plan;
}

bool SavePlanSettings(store::ProfileStore& settings, const PlanSettings& plan) {
    const bool ask = plan.atLimit == LimitAction::Ask;
    return settings.WriteBatch({
        {keys::kPlan, keys::kHours, std::to_string(plan.hours)},
        {keys::kPlan, keys::kFirstDay, std::to_string(plan.firstDay)},
        {keys::kPlan, keys::kAskAtLimit, ask ? store::keys::kTrue : store::keys::kFalse},
        {keys::kPlan, keys::kAtLimit, LimitActionName(plan.atLimit)},
    });
}

} // namespace plan
