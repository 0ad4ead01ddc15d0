#include "plan/Chart.h"

#include <algorithm>
#include <cstdio>

#include "plan/PlanTexts.h"

namespace plan {

namespace {

constexpr long long kSecondsPerHour = 3600;
// More lines than this crowd the labels of a chart a few hundred pixels high.
constexpr long long kMaxSteps = 6;

long long CeilDiv(long long a, long long b) {
    return (a + b - 1) / b;
}

long long StepHours(long long hours) {
    for (const long long step : {1, 2, 3, 4, 6, 12}) {
        if (CeilDiv(hours, step) <= kMaxSteps) {
            return step;
        }
    }
    long long step = 24;
    while (CeilDiv(hours, step) > kMaxSteps) {
        step *= 2;
    }
    return step;
}

bool IsToCome(const Date& date, const Date& today) {
    return DayNumber(date) > DayNumber(today);
}

} // namespace

std::vector<DayUsage> DaysOf(const Cycle& cycle, const std::vector<Connection>& connections) {
    const long long firstDay = DayNumber(cycle.first);
    const long long count = DayNumber(cycle.last) - firstDay + 1;
    if (count <= 0) {
        return {};
    }
    std::vector<DayUsage> days(static_cast<std::size_t>(count));
    for (long long i = 0; i < count; ++i) {
        days[static_cast<std::size_t>(i)].date = DateOfDay(firstDay + i);
    }
    for (const Connection& connection : connections) {
        if (!BelongsTo(cycle, connection)) {
            continue;
        }
        // Only the days the connection reaches are looked at: a day is a cycle of one day.
        const long long from = std::max(connection.start, cycle.Begin());
        const long long to = std::min(connection.end, cycle.End());
        const long long firstIndex = (from - cycle.Begin()) / kSecondsPerDay;
        const long long lastIndex =
            to > from ? (to - 1 - cycle.Begin()) / kSecondsPerDay : firstIndex;
        for (long long i = firstIndex; i <= lastIndex; ++i) {
            DayUsage& day = days[static_cast<std::size_t>(i)];
            const Cycle oneDay{day.date, day.date};
            if (BelongsTo(oneDay, connection)) {
                ++day.connections;
                day.seconds += SecondsIn(oneDay, connection);
            }
        }
    }
    return days;
}

long long PaceSeconds(const PlanSettings& plan, int days) {
    return plan.HasAllowance() && days > 0 ? plan.AllowanceSeconds() / days : 0;
}

ChartScale ScaleFor(const std::vector<DayUsage>& days, long long paceSeconds) {
    long long longest = std::max(paceSeconds, 0LL);
    for (const DayUsage& day : days) {
        longest = std::max(longest, day.seconds);
    }
    const long long hours = std::max(1LL, CeilDiv(longest, kSecondsPerHour));
    const long long step = StepHours(hours);
    return ChartScale{CeilDiv(hours, step) * step * kSecondsPerHour, step * kSecondsPerHour};
}

ChartGeometry LayOutChart(const std::vector<DayUsage>& days, const Date& today,
                          const ChartScale& scale, long long paceSeconds, const ChartRect& area,
                          const ChartMargins& margins) {
    ChartGeometry geometry;
    ChartRect& plot = geometry.plot;
    plot = {area.left + margins.left, area.top + margins.top, area.right - margins.right,
            area.bottom - margins.bottom};
    // A window too small for its texts still gets a plot, of no size.
    plot.right = std::max(plot.left, plot.right);
    plot.bottom = std::max(plot.top, plot.bottom);
    const long long height = plot.Height();
    const long long top = std::max(scale.topSeconds, 1LL);
    const auto yOf = [&](long long seconds) {
        const long long clamped = std::clamp(seconds, 0LL, top);
        return plot.bottom - static_cast<int>((clamped * height + top / 2) / top);
    };

    for (long long at = 0; scale.stepSeconds > 0 && at <= top; at += scale.stepSeconds) {
        geometry.gridY.push_back(yOf(at));
    }
    if (paceSeconds > 0) {
        geometry.paceY = yOf(paceSeconds);
    }

    const int count = static_cast<int>(days.size());
    const int width = plot.Width();
    for (int i = 0; i < count; ++i) {
        // Spread the remainder pixel by pixel, so that the columns fill the plot exactly.
        const ChartRect column{plot.left + i * width / count, plot.top,
                               plot.left + (i + 1) * width / count, plot.bottom};
        const int gap = column.Width() >= 4 ? std::max(1, column.Width() / 4) : 0;
        const int barWidth = std::min(column.Width() - gap, kMaxBarWidth);
        ChartBar bar;
        bar.rect.left = column.left + (column.Width() - barWidth) / 2;
        bar.rect.right = bar.rect.left + barWidth;
        bar.rect.bottom = plot.bottom;
        bar.toCome = IsToCome(days[static_cast<std::size_t>(i)].date, today);
        const long long seconds = days[static_cast<std::size_t>(i)].seconds;
        if (bar.toCome) {
            bar.rect.top = geometry.paceY.value_or(plot.top);
        } else {
            bar.rect.top = yOf(seconds);
            // A minute online still shows.
            if (seconds > 0 && bar.rect.top == plot.bottom && height > 0) {
                bar.rect.top = plot.bottom - 1;
            }
        }
        geometry.columns.push_back(column);
        geometry.bars.push_back(bar);
    }
    geometry.labelEvery =
        count == 0 || width <= 0
            ? std::max(count, 1)
            : std::clamp(static_cast<int>(CeilDiv(1LL * margins.dayLabelWidth * count, width)), 1,
                         count);
    return geometry;
}

std::optional<int> DayAt(const ChartGeometry& geometry, int x) {
    for (std::size_t i = 0; i < geometry.columns.size(); ++i) {
        if (x >= geometry.columns[i].left && x < geometry.columns[i].right) {
            return static_cast<int>(i);
        }
    }
    return std::nullopt;
}

std::string DayLine(const DayUsage& day, const Date& today) {
    char date[48];
    std::snprintf(date, sizeof date, "%d月%d日", day.date.month, day.date.day);
    std::string line = date;
    if (day.date == today) {
        line += "（今天）";
    }
    line += "：";
    if (day.connections > 0) {
        line += "上网 " + HoursMinutes(day.seconds) + "，" + std::to_string(day.connections) +
                " 次连接";
    } else {
        line += IsToCome(day.date, today) ? "还没到" : "没有上网";
    }
    return line;
}

std::string ChartHeading(const Cycle& cycle, const PlanSettings& plan) {
    std::string heading = CycleDates(cycle);
    if (plan.HasAllowance()) {
        const int days = static_cast<int>(DayNumber(cycle.last) - DayNumber(cycle.first) + 1);
        heading += "，套餐 " + std::to_string(plan.hours) + "小时，平均每天 " +
                   HoursMinutes(PaceSeconds(plan, days)) + "（虚线）";
    }
    return heading;
}

std::string HourLabel(long long seconds) {
    return seconds == 0 ? "0" : std::to_string(seconds / kSecondsPerHour) + "小时";
}

} // namespace plan
