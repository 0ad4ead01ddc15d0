#pragma once

// What the windows, the tray tip and the balloons say about the allowance. Texts are in the
// program's code page (936) at run time; shares are rounded down, so "100%" appears only once
// the allowance is used up.

#include <string>

#include "plan/Calendar.h"
#include "plan/PlanSettings.h"
#include "plan/Usage.h"

namespace plan {

// "23小时14分", minutes rounded down.
std::string HoursMinutes(long long seconds);

// Whole percent of the allowance used, rounded down; 0 without an allowance.
long long SharePercent(const PlanSettings& plan, long long usedSeconds);

// "2026年12月1日—12月31日"; across a year "2026年12月15日—2027年1月14日".
std::string CycleDates(const Cycle& cycle);

// The statistics window's line for the current cycle, e.g.
// "本期（12月1日—12月31日）已上网 23小时14分，套餐 100小时，剩余 76小时46分（23%）";
// over the allowance "……，已超出 3小时20分（103%）"; without one only dates and time used.
std::string CycleLine(const Cycle& cycle, const PlanSettings& plan, long long usedSeconds);

// The table of cycles: headings and the cells of one row (share empty without an allowance).
inline constexpr const char* kCycleHeadings[4] = {"计费周期", "连接次数", "上网时间", "占套餐"};
struct CycleCells {
    std::string cycle;
    std::string connections;
    std::string used;
    std::string share;
};
CycleCells CycleRow(const CycleUsage& usage, const PlanSettings& plan);

// Bytes of the tray tip, its terminator not counted (the 64-byte field of the original icon
// record), and of the balloon's title and text.
inline constexpr std::size_t kTipBytes = 63;
inline constexpr std::size_t kBalloonTitleBytes = 63;
inline constexpr std::size_t kBalloonTextBytes = 255;

// Appended to the tray tip: "\n本期剩余 76小时46分", "\n本期已超出 3小时20分", or nothing
// without an allowance.
std::string TrayTipLine(const PlanSettings& plan, long long usedSeconds);

// The balloon for a warning level (80, 90; 100 when the user chose not to be asked).
struct Balloon {
    std::string title;
    std::string text;
};
Balloon WarningBalloon(int level, const PlanSettings& plan, long long usedSeconds);

// The questions at 100 % while connected, and before dialing with the allowance used up.
std::string HangUpQuestion(const PlanSettings& plan, long long usedSeconds);
std::string DialQuestion(const PlanSettings& plan, long long usedSeconds);

} // namespace plan
