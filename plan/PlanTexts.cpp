#include "plan/PlanTexts.h"

#include <algorithm>
#include <cstdio>

#include "plan/Budget.h"

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

// The projection in whole hours (rounded down), then what each day may use or that nothing
// remains, joined by `separator`.
std::string PacePhrase(const PlanSettings& plan, const Cycle& cycle, const Date& today,
                       long long usedSeconds, const char* separator) {
    std::string phrase;
    if (const auto projected = ProjectedSeconds(cycle, today, usedSeconds)) {
        phrase = "按目前速度本期将用 " + std::to_string(*projected / 3600) + "小时" + separator;
    }
    if (const auto daily = DailyBudgetSeconds(plan, cycle, today, usedSeconds)) {
        return phrase + "今后每天可用 " + HoursMinutes(*daily);
    }
    return phrase + "本期套餐已用完";
}

std::string Yuan(long long cents) {
    return FormatCents(cents) + " 元";
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

std::string CycleLine(const Cycle& cycle, const PlanSettings& plan, long long usedSeconds,
                      const Date& today) {
    char dates[64];
    std::snprintf(dates, sizeof dates, "本期（%d月%d日—%d月%d日）", cycle.first.month,
                  cycle.first.day, cycle.last.month, cycle.last.day);
    std::string line = dates + std::string("已上网 ") + HoursMinutes(usedSeconds);
    if (plan.HasAllowance()) {
        line += "，" + AllowancePhrase(plan) + "，" + RemainingPhrase(plan, usedSeconds) + "（" +
                std::to_string(SharePercent(plan, usedSeconds)) + "%）；" +
                PacePhrase(plan, cycle, today, usedSeconds, "；");
    }
    if (plan.HasCost()) {
        line += "；本期费用约 " + Yuan(CostCents(plan, usedSeconds));
    }
    return line;
}

std::vector<CycleColumn> CycleColumns(const std::vector<CycleUsage>& table,
                                      const PlanSettings& plan) {
    std::vector<CycleColumn> columns = {CycleColumn::Cycle, CycleColumn::Connections,
                                        CycleColumn::Used, CycleColumn::Share};
    if (std::any_of(table.begin(), table.end(),
                    [](const CycleUsage& usage) { return usage.elsewhere > 0; })) {
        columns.push_back(CycleColumn::Elsewhere);
    }
    if (plan.HasCost()) {
        columns.push_back(CycleColumn::Cost);
    }
    return columns;
}

const char* CycleHeading(CycleColumn column) {
    switch (column) {
    case CycleColumn::Cycle:
        return "计费周期";
    case CycleColumn::Connections:
        return "连接次数";
    case CycleColumn::Used:
        return "上网时间";
    case CycleColumn::Share:
        return "占套餐";
    case CycleColumn::Elsewhere:
        return "含其他地方";
    case CycleColumn::Cost:
        break;
    }
    return "费用（元）";
}

CycleCells CycleRow(const CycleUsage& usage, const PlanSettings& plan) {
    CycleCells cells{CycleDates(usage.cycle),
                     std::to_string(usage.connections),
                     HoursMinutes(usage.Used()),
                     {},
                     {},
                     {}};
    if (plan.HasAllowance()) {
        cells.share = std::to_string(SharePercent(plan, usage.Used())) + "%";
    }
    if (usage.elsewhere > 0) {
        cells.elsewhere = HoursMinutes(usage.elsewhere);
    }
    if (plan.HasCost()) {
        cells.cost = FormatCents(CostCents(plan, usage.Used()));
    }
    return cells;
}

const std::string& CycleCell(const CycleCells& cells, CycleColumn column) {
    switch (column) {
    case CycleColumn::Cycle:
        return cells.cycle;
    case CycleColumn::Connections:
        return cells.connections;
    case CycleColumn::Used:
        return cells.used;
    case CycleColumn::Share:
        return cells.share;
    case CycleColumn::Elsewhere:
        return cells.elsewhere;
    case CycleColumn::Cost:
        break;
    }
    return cells.cost;
}

std::string TrayTipLine(const PlanSettings& plan, long long usedSeconds) {
    if (!plan.HasAllowance()) {
        return {};
    }
    return "\n本期" + RemainingPhrase(plan, usedSeconds);
}

Balloon WarningBalloon(int level, const PlanSettings& plan, long long usedSeconds,
                       const Cycle& cycle, const Date& today) {
    if (level >= 100) {
        return {"本期套餐时间已经用完", "本期" + AllowancePhrase(plan) + "已经用完，已上网 " +
                                            HoursMinutes(usedSeconds) + "，继续上网将超出套餐。"};
    }
    Balloon balloon{"本期套餐时间已用 " + std::to_string(level) + "%",
                    "本期" + AllowancePhrase(plan) + "，已上网 " + HoursMinutes(usedSeconds) +
                        "，" + RemainingPhrase(plan, usedSeconds) + "。"};
    if (level == 80) {
        balloon.text += PacePhrase(plan, cycle, today, usedSeconds, "，") + "。";
    }
    return balloon;
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
