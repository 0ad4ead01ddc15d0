#pragma once

// What the windows, the tray tip and the balloons say about the allowance. Texts are in the
// program's code page (936) at run time; shares are rounded down, so "100%" appears only once
// the allowance is used up.

#include <string>
#include <vector>

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

// The statistics window's line for the current cycle on the day `today`, e.g.
// "本期（12月1日—12月31日）已上网 23小时14分，套餐 100小时，剩余 76小时46分（23%）；
// 按目前速度本期将用 52小时；今后每天可用 3小时22分"; over the allowance "……，已超出
// 3小时20分（103%）；按目前速度本期将用 120小时；本期套餐已用完". Without an allowance only dates
// and time used. The pace is left out on the cycle's first day and with nothing used (see
// plan/Budget.h). With a fee or a price "；本期费用约 12.50 元" ends it.
std::string CycleLine(const Cycle& cycle, const PlanSettings& plan, long long usedSeconds,
                      const Date& today);

// The table of cycles: the four columns of every table, then time used elsewhere when a cycle
// has some, and the cost with a fee or a price.
enum class CycleColumn { Cycle, Connections, Used, Share, Elsewhere, Cost };
std::vector<CycleColumn> CycleColumns(const std::vector<CycleUsage>& table,
                                      const PlanSettings& plan);
const char* CycleHeading(CycleColumn column);

// The cells of one row: the time used with what was used elsewhere in it, which the next cell
// gives on its own; share empty without an allowance, elsewhere empty without a correction.
struct CycleCells {
    std::string cycle;
    std::string connections;
    std::string used;
    std::string share;
    std::string elsewhere;
    std::string cost; // "12.50" (yuan)
};
CycleCells CycleRow(const CycleUsage& usage, const PlanSettings& plan);
const std::string& CycleCell(const CycleCells& cells, CycleColumn column);

// Bytes of the tray tip, its terminator not counted (the 64-byte field of the original icon
// record), and of the balloon's title and text.
inline constexpr std::size_t kTipBytes = 63;
inline constexpr std::size_t kBalloonTitleBytes = 63;
inline constexpr std::size_t kBalloonTextBytes = 255;

// Appended to the tray tip: "\n本期剩余 76小时46分", "\n本期已超出 3小时20分", or nothing
// without an allowance.
std::string TrayTipLine(const PlanSettings& plan, long long usedSeconds);

// The balloon for a warning level (80, 90; 100 when the user chose not to be asked). At 80 %
// it adds the pace and what each day may still use, as the cycle line gives them.
struct Balloon {
    std::string title;
    std::string text;
};
Balloon WarningBalloon(int level, const PlanSettings& plan, long long usedSeconds,
                       const Cycle& cycle, const Date& today);

// The questions at 100 % while connected, and before dialing with the allowance used up.
std::string HangUpQuestion(const PlanSettings& plan, long long usedSeconds);
std::string DialQuestion(const PlanSettings& plan, long long usedSeconds);

} // namespace plan
