#include "plan/PlanTexts.h"

#include <algorithm>
#include <cstdio>

namespace plan {

namespace {

// What remains, or by how much the allowance is exceeded.
std::string RemainingPhrase(const PlanSettings& plan, long long usedSeconds) {
    const long long left = plan.AllowanceSeconds() - usedSeconds;
    return left >= 0 ? "剩余 " + HoursMinutes(left) : "已超出 " + HoursMinutes(-left);
}

std::string AllowancePhrase(const PlanSettings& plan) {
    return "套餐 " + std::to_string(plan.hours) + "小时";
}

} // namespace

std::string HoursMinutes(long long seconds) {
    seconds = std::max(seconds, 0LL);
    char text[64];
    std::snprintf(text, sizeof text, "%lld小时%lld分", seconds / 3600, seconds / 60 % 60);
    return text;
}

long long SharePercent(const PlanSettings& plan, long long usedSeconds) {
    if (!plan.HasAllowance()) {
        return 0;
    }
    // One percent of the allowance is hours * 36 seconds: exact, and no product to overflow.
    return std::max(usedSeconds, 0LL) / (plan.hours * 36LL);
}

std::string CycleDates(const Cycle& cycle) {
    char text[96];
    if (cycle.first.year == cycle.last.year) {
        std::snprintf(text, sizeof text, "%d年%d月%d日—%d月%d日", cycle.first.year,
                      cycle.first.month, cycle.first.day, cycle.last.month, cycle.last.day);
    } else {
        std::snprintf(text, sizeof text, "%d年%d月%d日—%d年%d月%d日", cycle.first.year,
                      cycle.first.month, cycle.first.day, cycle.last.year, cycle.last.month,
                      cycle.last.day);
    }
    return text;
}

std::string CycleLine(const Cycle& cycle, const PlanSettings& plan, long long usedSeconds) {
    char dates[64];
    std::snprintf(dates, sizeof dates, "本期（%d月%d日—%d月%d日）", cycle.first.month,
                  cycle.first.day, cycle.last.month, cycle.last.day);
    std::string line = dates + std::string("已上网 ") + HoursMinutes(usedSeconds);
    if (plan.HasAllowance()) {
        line += "，" + AllowancePhrase(plan) + "，" + RemainingPhrase(plan, usedSeconds) + "（" +
                std::to_string(SharePercent(plan, usedSeconds)) + "%）";
    }
    return line;
}

CycleCells CycleRow(const CycleUsage& usage, const PlanSettings& plan) {
    CycleCells cells{CycleDates(usage.cycle),
                     std::to_string(usage.connections),
                     HoursMinutes(usage.seconds),
                     {}};
    if (plan.HasAllowance()) {
        cells.share = std::to_string(SharePercent(plan, usage.seconds)) + "%";
    }
    return cells;
}

std::string TrayTipLine(const PlanSettings& plan, long long usedSeconds) {
    if (!plan.HasAllowance()) {
        return {};
    }
    return "\n本期" + RemainingPhrase(plan, usedSeconds);
}

Balloon WarningBalloon(int level, const PlanSettings& plan, long long usedSeconds) {
    if (level >= 100) {
        return {"本期套餐时间已经用完", "本期" + AllowancePhrase(plan) + "已经用完，已上网 " +
                                            HoursMinutes(usedSeconds) + "，继续上网将超出套餐。"};
    }
    return {"本期套餐时间已用 " + std::to_string(level) + "%",
            "本期" + AllowancePhrase(plan) + "，已上网 " + HoursMinutes(usedSeconds) + "，" +
                RemainingPhrase(plan, usedSeconds) + "。"};
}

std::string HangUpQuestion(const PlanSettings& plan, long long usedSeconds) {
    return "本期套餐时间已经用完（" + AllowancePhrase(plan) + "，已上网 " +
           HoursMinutes(usedSeconds) + "）。现在挂断连接吗？";
}

std::string DialQuestion(const PlanSettings& plan, long long usedSeconds) {
    return "本期套餐时间已经用完（" + AllowancePhrase(plan) + "，已上网 " +
           HoursMinutes(usedSeconds) + "）。仍然要拨号上网吗？";
}

} // namespace plan
