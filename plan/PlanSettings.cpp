#include "plan/PlanSettings.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <set>

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
constexpr std::string_view kFullWidthPoint = "．";

constexpr std::size_t kValueChars = 32;

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

bool TakePrefix(std::string_view& text, std::string_view prefix) {
    if (!StartsWith(text, prefix)) {
        return false;
    }
    text.remove_prefix(prefix.size());
    return true;
}

// The half- or full-width digit the text begins with, taken off it.
std::optional<int> TakeDigit(std::string_view& text) {
    if (!text.empty() && text.front() >= '0' && text.front() <= '9') {
        const int digit = text.front() - '0';
        text.remove_prefix(1);
        return digit;
    }
    for (int digit = 0; digit < 10; ++digit) {
        if (TakePrefix(text, kFullWidthDigits[digit])) {
            return digit;
        }
    }
    return std::nullopt;
}

bool InCycle(const Cycle& cycle, const Date& date) {
    const long long day = DayNumber(date);
    return day >= DayNumber(cycle.first) && day <= DayNumber(cycle.last);
}

const char* BillingName(Billing billing) {
    return billing == Billing::PerUnit ? keys::kBillingUnit : keys::kBillingMinute;
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
        const std::optional<int> digit = TakeDigit(text);
        if (!digit) {
            return std::nullopt;
        }
        if (value <= high) {
            value = value * 10 + *digit;
        }
    }
    if (value < low || value > high) {
        return std::nullopt;
    }
    return static_cast<int>(value);
}

std::optional<int> CentsIn(std::string_view typed, int maxCents) {
    std::string_view text = TrimFieldBlanks(typed);
    long long yuan = 0;
    int yuanDigits = 0;
    for (std::optional<int> digit = TakeDigit(text); digit; digit = TakeDigit(text)) {
        if (yuan <= maxCents) {
            yuan = yuan * 10 + *digit;
        }
        ++yuanDigits;
    }
    long long cents = 0;
    if (!text.empty()) {
        if (!TakePrefix(text, ".") && !TakePrefix(text, kFullWidthPoint)) {
            return std::nullopt;
        }
        int decimals = 0;
        for (std::optional<int> digit = TakeDigit(text); digit; digit = TakeDigit(text)) {
            cents = cents * 10 + *digit;
            if (++decimals > 2) {
                return std::nullopt;
            }
        }
        if (decimals == 0 || !text.empty()) {
            return std::nullopt;
        }
        cents *= decimals == 1 ? 10 : 1;
    }
    const long long total = yuan * 100 + cents;
    if (yuanDigits == 0 || total > maxCents) {
        return std::nullopt;
    }
    return static_cast<int>(total);
}

std::string FormatCents(long long cents) {
    cents = std::max(cents, 0LL);
    char text[32];
    std::snprintf(text, sizeof text, "%lld.%02lld", cents / 100, cents % 100);
    return text;
}

long long PlanSettings::BillingSeconds() const {
    switch (billing) {
    case Billing::PerMinute:
        return 60;
    case Billing::PerUnit:
        return unitMinutes * 60LL;
    case Billing::PerSecond:
        break;
    }
    return 1;
}

long long ElsewhereSeconds(const PlanSettings& plan, const Cycle& cycle) {
    long long seconds = 0;
    for (const Correction& correction : plan.corrections) {
        if (InCycle(cycle, correction.cycleFirst)) {
            seconds += correction.minutes * 60LL;
        }
    }
    return seconds;
}

void SetElsewhereMinutes(PlanSettings& plan, const Cycle& cycle, int minutes) {
    std::vector<Correction>& corrections = plan.corrections;
    corrections.erase(std::remove_if(corrections.begin(), corrections.end(),
                                     [&](const Correction& correction) {
                                         return InCycle(cycle, correction.cycleFirst);
                                     }),
                      corrections.end());
    if (minutes > 0) {
        corrections.push_back({cycle.first, minutes});
    }
    std::sort(corrections.begin(), corrections.end(), [](const Correction& a, const Correction& b) {
        return DayNumber(a.cycleFirst) < DayNumber(b.cycleFirst);
    });
}

FieldValue ReadHoursField(std::string_view typed) {
    return Field(WholeNumberIn(typed, 0, kMaxHours),
                 "请输入 0 到 744 之间的整数小时数（0 表示不限）。");
}

FieldValue ReadFirstDayField(std::string_view typed) {
    return Field(WholeNumberIn(typed, kMinFirstDay, kMaxFirstDay),
                 "每期起始日请输入 1 到 31 之间的整数（月份没有这一天时从月末开始）。");
}

FieldValue ReadUnitMinutesField(std::string_view typed) {
    return Field(WholeNumberIn(typed, kMinUnitMinutes, kMaxUnitMinutes),
                 "计费单位请输入 1 到 60 之间的整数分钟数。");
}

FieldValue ReadElsewhereHoursField(std::string_view typed) {
    return Field(WholeNumberIn(typed, 0, kMaxHours),
                 "本期已在其他地方使用的小时数请输入 0 到 744 之间的整数。");
}

FieldValue ReadElsewhereMinutesField(std::string_view typed) {
    return Field(WholeNumberIn(typed, 0, 59),
                 "本期已在其他地方使用的分钟数请输入 0 到 59 之间的整数。");
}

FieldValue ReadFeeField(std::string_view typed) {
    return Field(CentsIn(typed, kMaxFeeCents),
                 "月租请输入 0 到 9999.99 之间的金额（元，最多两位小数）。");
}

FieldValue ReadHourPriceField(std::string_view typed) {
    return Field(CentsIn(typed, kMaxHourPriceCents),
                 "超出部分每小时的费用请输入 0 到 999.99 之间的金额（元，最多两位小数）。");
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
    const auto stored = [&](const char* key) {
        return settings.ReadString(keys::kPlan, key, "", kValueChars);
    };
    const std::string billing = store::rules::FoldCase(stored(keys::kBilling));
    const FieldValue unit = ReadUnitMinutesField(stored(keys::kBillingUnitMinutes));
    if (billing == store::rules::FoldCase(keys::kBillingMinute)) {
        plan.billing = Billing::PerMinute;
    } else if (billing == store::rules::FoldCase(keys::kBillingUnit) && unit.valid) {
        plan.billing = Billing::PerUnit;
        plan.unitMinutes = unit.value;
    }
    plan.feeCents = CentsIn(stored(keys::kMonthlyFee), kMaxFeeCents).value_or(0);
    plan.hourPriceCents = CentsIn(stored(keys::kHourPrice), kMaxHourPriceCents).value_or(0);
    if (store::rules::FoldCase(stored(keys::kOverage)) ==
        store::rules::FoldCase(keys::kOverageProRata)) {
        plan.overage = Overage::ProRata;
    }
    std::set<long long> dated;
    settings.VisitSection(keys::kCorrections, [&](std::string_view key, std::string_view value) {
        const std::optional<Date> date = ParseDate(key);
        if (!date) {
            return;
        }
        plan.correctionKeysRead.emplace_back(key);
        const std::optional<int> minutes = WholeNumberIn(value, 1, kMaxCorrectionMinutes);
        if (minutes && dated.insert(DayNumber(*date)).second) {
            plan.corrections.push_back({*date, *minutes});
        }
    });
    return plan;
}

bool SavePlanSettings(store::ProfileStore& settings, const PlanSettings& plan) {
    const bool ask = plan.atLimit == LimitAction::Ask;
    using Value = std::optional<std::string>;
    store::ProfileEdits edits = {
        {keys::kPlan, keys::kHours, std::to_string(plan.hours)},
        {keys::kPlan, keys::kFirstDay, std::to_string(plan.firstDay)},
        {keys::kPlan, keys::kAskAtLimit, ask ? store::keys::kTrue : store::keys::kFalse},
        {keys::kPlan, keys::kAtLimit, LimitActionName(plan.atLimit)},
        {keys::kPlan, keys::kBilling,
         plan.billing == Billing::PerSecond ? Value() : Value(BillingName(plan.billing))},
        {keys::kPlan, keys::kBillingUnitMinutes,
         plan.billing == Billing::PerUnit ? Value(std::to_string(plan.unitMinutes)) : Value()},
        {keys::kPlan, keys::kMonthlyFee,
         plan.feeCents > 0 ? Value(FormatCents(plan.feeCents)) : Value()},
        {keys::kPlan, keys::kHourPrice,
         plan.hourPriceCents > 0 ? Value(FormatCents(plan.hourPriceCents)) : Value()},
        {keys::kPlan, keys::kOverage,
         plan.overage == Overage::ProRata ? Value(keys::kOverageProRata) : Value()},
    };
    std::set<std::string> written;
    for (const Correction& correction : plan.corrections) {
        written.insert(store::rules::FoldCase(FormatDate(correction.cycleFirst)));
    }
    for (const std::string& key : plan.correctionKeysRead) {
        if (written.count(store::rules::FoldCase(key)) == 0) {
            edits.push_back({keys::kCorrections, key, std::nullopt});
        }
    }
    for (const Correction& correction : plan.corrections) {
        edits.push_back({keys::kCorrections, FormatDate(correction.cycleFirst),
                         std::to_string(correction.minutes)});
    }
    return settings.WriteBatch(edits);
}

} // namespace plan
