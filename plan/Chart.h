#pragma once

// The current cycle day by day, as the chart window draws it: the time online on each day, the
// allowance's even pace, the vertical scale, and where everything stands in a given area. Plain
// numbers (pixels of the area's coordinates); the window only measures its texts and paints.

#include <optional>
#include <string>
#include <vector>

#include "plan/Calendar.h"
#include "plan/PlanSettings.h"
#include "plan/Usage.h"

namespace plan {

struct DayUsage {
    Date date;
    int connections = 0; // a connection across midnight counts on each day it ran in
    long long seconds = 0;
};

// The cycle's days, first to last, each with the part of every connection that lies in it; a
// connection of 0 seconds counts on the day of its moment. A running connection is one more
// span (RunningConnection).
std::vector<DayUsage> DaysOf(const Cycle& cycle, const std::vector<Connection>& connections);

// The allowance spread evenly over the days, in whole seconds a day; 0 without an allowance.
long long PaceSeconds(const PlanSettings& plan, int days);

// The vertical axis from 0 to `top`, with a line every `step`; both whole hours.
struct ChartScale {
    long long topSeconds = 3600;
    long long stepSeconds = 3600;
};
// The lowest top that holds the longest day and the pace, in at most six steps of 1, 2, 3, 4, 6
// or 12 hours or a day times a power of two; at least one hour.
ChartScale ScaleFor(const std::vector<DayUsage>& days, long long paceSeconds);

struct ChartRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool operator==(const ChartRect& other) const {
        return left == other.left && top == other.top && right == other.right &&
               bottom == other.bottom;
    }
};

// The room the texts around the plot take, measured in the window's font.
struct ChartMargins {
    int left = 0; // the hour labels
    int top = 0;  // half the top label stands above the plot
    int right = 0;
    int bottom = 0;        // the day numbers
    int dayLabelWidth = 0; // the widest day number with some air
};

// A bar wider than this reads as a block, not as a day.
inline constexpr int kMaxBarWidth = 32;

struct ChartBar {
    ChartRect rect;      // stands on the axis; no height for a day without time
    bool toCome = false; // after today: an empty box up to the pace (or the top without one)
};

struct ChartGeometry {
    ChartRect plot;                 // the axis is its bottom edge, the scale's top its top
    std::vector<ChartRect> columns; // each day's share of the plot's width, full height
    std::vector<ChartBar> bars;
    std::vector<int> gridY;   // a line for every step of the scale, from the axis up
    std::optional<int> paceY; // the pace line; none without an allowance
    int labelEvery = 1;       // a day number under the first column and every n-th after it
};

// The chart of `days` in `area`; `today` decides which days are still to come.
ChartGeometry LayOutChart(const std::vector<DayUsage>& days, const Date& today,
                          const ChartScale& scale, long long paceSeconds, const ChartRect& area,
                          const ChartMargins& margins);

// The day whose column holds x; nothing left or right of the plot.
std::optional<int> DayAt(const ChartGeometry& geometry, int x);

// The line under the chart for one day: "12月9日：上网 2小时15分，3 次连接", today marked
// "（今天）"; a day without connections "没有上网", or "还没到" while it is to come.
std::string DayLine(const DayUsage& day, const Date& today);

// The line over the chart: the cycle's dates and, with an allowance, its hours and the pace,
// e.g. "2026年12月1日—12月31日，套餐 100小时，平均每天 3小时13分（虚线）".
std::string ChartHeading(const Cycle& cycle, const PlanSettings& plan);

// The hour labels of the axis: "0", "4小时".
std::string HourLabel(long long seconds);

} // namespace plan
