// The monthly allowance as the windows show it: the plan settings dialog, the statistics
// window's line for the current cycle, the table of cycles and the CSV export; counting as the
// ISP counts, time used elsewhere and the cost.

#include "probes/AppProcess.h"
#include "probes/DialogProbe.h"
#include "probes/ListViewProbe.h"
#include "probes/MessageBoxProbe.h"
#include "probes/Screenshot.h"
#include "probes/SettingsFile.h"
#include "probes/WindowProbe.h"
#include "steps/Steps.h"
#include "TestRunner.h"
#include "Text.h"

#include <windows.h>

#include <cstdio>
#include <initializer_list>
#include <optional>
#include <string>

namespace {

using namespace e2e;

std::string CycleLineShown(HWND stats) {
    return WindowText(Item(stats, ids::kCycleLine));
}

// The radio button checked among a set of choices; 0 when none or several are.
int CheckedAmong(HWND dialog, std::initializer_list<int> choices) {
    int checked = 0;
    for (const int id : choices) {
        if (CheckState(Item(dialog, id)) == BST_CHECKED) {
            checked = checked == 0 ? id : -1;
        }
    }
    return checked > 0 ? checked : 0;
}

int AtLimitChecked(HWND plan) {
    return CheckedAmong(plan, {ids::kPlanWarn, ids::kPlanAsk, ids::kPlanHangUp});
}

int BillingChecked(HWND plan) {
    return CheckedAmong(plan, {ids::kPlanBillSecond, ids::kPlanBillMinute, ids::kPlanBillUnit});
}

// ---- dates relative to today ----

struct Day {
    int year;
    int month;
    int day;
};

Day Today() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return {now.wYear, now.wMonth, now.wDay};
}

constexpr ULONGLONG kTicksPerDay = 864000000000ULL; // of 100 ns

// 100 ns since 1601-01-01 at the day's midnight, and back.
ULONGLONG TicksOf(const Day& date) {
    SYSTEMTIME time{};
    time.wYear = static_cast<WORD>(date.year);
    time.wMonth = static_cast<WORD>(date.month);
    time.wDay = static_cast<WORD>(date.day);
    FILETIME file{};
    SystemTimeToFileTime(&time, &file);
    return ULARGE_INTEGER{{file.dwLowDateTime, file.dwHighDateTime}}.QuadPart;
}

Day DayOfTicks(ULONGLONG ticks) {
    const ULARGE_INTEGER value{.QuadPart = ticks};
    const FILETIME file{value.LowPart, value.HighPart};
    SYSTEMTIME time{};
    FileTimeToSystemTime(&file, &time);
    return {time.wYear, time.wMonth, time.wDay};
}

Day AddDays(const Day& date, int days) {
    return DayOfTicks(TicksOf(date) + static_cast<LONGLONG>(days) * kTicksPerDay);
}

Day SameDayMonthsOn(const Day& date, int months) {
    const int index = date.year * 12 + (date.month - 1) + months;
    return {index / 12, index % 12 + 1, date.day};
}

// The first day of the cycle that holds `date`, and of the one after it.
Day CycleStart(const Day& date, int firstDay) {
    const Day inMonth{date.year, date.month, firstDay};
    return date.day >= firstDay ? inMonth : SameDayMonthsOn(inMonth, -1);
}

std::string Format(const char* format, int a, int b, int c = 0, int d = 0, int e = 0, int f = 0) {
    char text[128];
    std::snprintf(text, sizeof text, format, a, b, c, d, e, f);
    return text;
}

// "Y-M-D,seconds@h:m:s" as the program stores a connection.
std::string Record(const Day& hungUp, int seconds, const char* time) {
    return Format("%d-%d-%d,", hungUp.year, hungUp.month, hungUp.day) + std::to_string(seconds) +
           "@" + time;
}

struct CycleDays {
    Day first;
    Day last;
};

CycleDays CycleAt(const Day& start, int firstDay) {
    return {start, AddDays(SameDayMonthsOn({start.year, start.month, firstDay}, 1), -1)};
}

std::string TableDates(const CycleDays& cycle) {
    if (cycle.first.year == cycle.last.year) {
        return Format("%d年%d月%d日—%d月%d日", cycle.first.year, cycle.first.month, cycle.first.day,
                      cycle.last.month, cycle.last.day);
    }
    return Format("%d年%d月%d日—%d年%d月%d日", cycle.first.year, cycle.first.month, cycle.first.day,
                  cycle.last.year, cycle.last.month, cycle.last.day);
}

std::string LineDates(const CycleDays& cycle) {
    return Format("本期（%d月%d日—%d月%d日）", cycle.first.month, cycle.first.day, cycle.last.month,
                  cycle.last.day);
}

std::string KeyOf(const Day& date) {
    return Format("%d-%d-%d", date.year, date.month, date.day);
}

// Days since 1601-01-01.
long long DayIndex(const Day& date) {
    return static_cast<long long>(TicksOf(date) / kTicksPerDay);
}

// The pace the cycle line ends in, for today in the cycle.
std::string PaceToday(const CycleDays& cycle, long long usedSeconds, int hours) {
    const long long today = DayIndex(Today());
    const int elapsed = static_cast<int>(today - DayIndex(cycle.first) + 1);
    const int left = static_cast<int>(DayIndex(cycle.last) - today + 1);
    return texts::PaceText(elapsed, left, elapsed + left - 1, usedSeconds, hours, "；");
}

// Four connections around the current cycle's first day S: one hung up at S 00:30 after an
// hour (half in each cycle), two hours ending S 12:00, an hour and a half 40 days before S (two
// cycles back), and a record that is no date, listed but counted nowhere.
struct CyclesFile {
    std::string text;
    CycleDays current;
    CycleDays previous;
    CycleDays beforeThat;
};

CyclesFile FileAroundTheCycle(int firstDay, const std::string& planSection) {
    const Day start = CycleStart(Today(), firstDay);
    const Day back40 = AddDays(start, -40);
    CyclesFile file;
    file.current = CycleAt(start, firstDay);
    file.previous = CycleAt(CycleStart(AddDays(start, -1), firstDay), firstDay);
    file.beforeThat = CycleAt(CycleStart(back40, firstDay), firstDay);
    file.text = "[Memory]\nMaxDataNumber=4\n[Data]\ndata[1]=" + Record(back40, 5400, "20:0:0") +
                "\ndata[2]=" + Record(start, 3600, "0:30:0") +
                "\ndata[3]=" + Record(start, 7200, "12:0:0") + "\ndata[4]=昨天晚上,60@12:0:0\n" +
                planSection;
    return file;
}

const char* const kExportFile = "[Memory]\nMaxDataNumber=3\n[Data]\n"
                                "data[1]=2003-9-3,3725@15:9:51\ndata[2]=2003-9-4,120@0:1:0\n"
                                "data[3]=2003-9-5,=1+1@8:0:0\n"
                                "[DataDetail]\ndata[1]=taken,5000000000,1200,我的连接\n"
                                "data[2]=dialed,,,宽带 连接\n";

} // namespace

E2E_TEST(PlanWindows, SettingsFromTheStatisticsWindowAreStoredAndShown) {
    Started s = StartShown(OneEntryBook(), "[Option]\nUser=someone\n");
    HWND stats = RequireStats(s);
    CHECK_MSG(CycleLineShown(stats).find("套餐") == std::string::npos,
              "without an allowance: " + CycleLineShown(stats));
    HWND plan = OpenPlanFromStats(s.app, stats);
    REQUIRE(plan != nullptr);
    CheckModalLayout(
        plan, stats,
        {kPlanTemplate,
         250,
         268,
         {{ids::kLabel, "Static", "每期上网时数：", {12, 15, 80, 23}},
          {ids::kPlanHours, "Edit", nullptr, {82, 12, 122, 26}, TabStop::Yes},
          {ids::kLabel, "Static", "小时（0 表示不限，最多 744）", {127, 15, 245, 23}},
          {ids::kLabel, "Static", "每期起始日：", {12, 37, 80, 45}},
          {ids::kPlanFirstDay, "Edit", nullptr, {82, 34, 122, 48}, TabStop::Yes},
          {ids::kLabel, "Static", "日（1—31，小月取月末）", {127, 37, 245, 45}},
          {ids::kLabel, "Static", texts::kAtLimitLabel, {12, 59, 80, 67}},
          // One group: the tab stop is the checked choice's.
          {ids::kPlanWarn, "Button", texts::kAtLimitWarn, {82, 58, 202, 69}, TabStop::No},
          {ids::kPlanAsk, "Button", texts::kAtLimitAsk, {82, 72, 202, 83}, TabStop::Yes},
          {ids::kPlanHangUp, "Button", texts::kAtLimitHangUp, {82, 86, 202, 97}, TabStop::No},
          {ids::kLabel, "Static", texts::kBillingLabel, {12, 105, 80, 113}},
          {ids::kPlanBillSecond, "Button", texts::kBillSecond, {82, 104, 242, 115}, TabStop::Yes},
          {ids::kPlanBillMinute, "Button", texts::kBillMinute, {82, 118, 242, 129}, TabStop::No},
          {ids::kPlanBillUnit, "Button", texts::kBillUnit, {82, 132, 104, 143}, TabStop::No},
          {ids::kPlanUnit, "Edit", nullptr, {106, 130, 130, 144}, TabStop::Yes},
          {ids::kLabel, "Static", texts::kBillUnitAfter, {134, 133, 234, 141}},
          {ids::kLabel, "Static", texts::kElsewhereLabel, {12, 155, 104, 163}},
          {ids::kPlanElsewhereHours, "Edit", nullptr, {106, 152, 136, 166}, TabStop::Yes},
          {ids::kLabel, "Static", "小时", {140, 155, 158, 163}},
          {ids::kPlanElsewhereMinutes, "Edit", nullptr, {160, 152, 184, 166}, TabStop::Yes},
          {ids::kLabel, "Static", "分", {188, 155, 200, 163}},
          {ids::kLabel, "Static", texts::kFeeLabel, {12, 177, 80, 185}},
          {ids::kPlanFee, "Edit", nullptr, {82, 174, 122, 188}, TabStop::Yes},
          {ids::kLabel, "Static", "元（0 表示没有）", {127, 177, 245, 185}},
          {ids::kLabel, "Static", texts::kHourPriceLabel, {12, 199, 80, 207}},
          {ids::kPlanHourPrice, "Edit", nullptr, {82, 196, 122, 210}, TabStop::Yes},
          {ids::kLabel, "Static", "元（0 表示不另收费）", {127, 199, 245, 207}},
          {ids::kPlanStartedHour, "Button", texts::kStartedHour, {82, 214, 158, 225}, TabStop::Yes},
          {ids::kPlanProRata, "Button", texts::kProRata, {162, 214, 242, 225}, TabStop::No},
          {ids::kPlanSave, "Button", "保存设置", {41, 236, 122, 261}, TabStop::Yes},
          {ids::kReturn, "Button", "返回", {128, 236, 209, 261}, TabStop::Yes}},
         ids::kPlanHours});
    // Nothing stored yet: no allowance, cycles from the 1st, asking at the limit.
    CHECK_EQ(WindowText(Item(plan, ids::kPlanHours)), "0");
    CHECK_EQ(WindowText(Item(plan, ids::kPlanFirstDay)), "1");
    CHECK_EQ(AtLimitChecked(plan), ids::kPlanAsk);
    // To the second, nothing used elsewhere, no cost; the unit's minutes wait for their choice.
    CHECK_EQ(BillingChecked(plan), ids::kPlanBillSecond);
    CHECK_EQ(WindowText(Item(plan, ids::kPlanUnit)), "");
    CHECK(!IsWindowEnabled(Item(plan, ids::kPlanUnit)));
    CHECK_EQ(WindowText(Item(plan, ids::kPlanElsewhereHours)), "0");
    CHECK_EQ(WindowText(Item(plan, ids::kPlanElsewhereMinutes)), "0");
    CHECK_EQ(WindowText(Item(plan, ids::kPlanFee)), "0");
    CHECK_EQ(WindowText(Item(plan, ids::kPlanHourPrice)), "0");
    CHECK_EQ(CheckedAmong(plan, {ids::kPlanStartedHour, ids::kPlanProRata}), ids::kPlanStartedHour);
    CHECK_MSG(ScreenshotTaken("plan-dialog", plan), "no screenshot of the plan dialog");

    REQUIRE(SetWindowTextTo(Item(plan, ids::kPlanHours), "100"));
    REQUIRE(SetWindowTextTo(Item(plan, ids::kPlanFirstDay), "15"));
    ClickControl(Item(plan, ids::kPlanWarn));
    REQUIRE(WaitUntil([&] { return AtLimitChecked(plan) == ids::kPlanWarn; }));
    PressButton(Item(plan, ids::kPlanSave));
    REQUIRE_MSG(WaitGone(plan), "the dialog stayed after saving");

    using Value = std::optional<std::string>;
    CHECK_EQ(settings::Stored("Plan", "Hours"), Value("100"));
    CHECK_EQ(settings::Stored("Plan", "FirstDay"), Value("15"));
    CHECK_EQ(settings::Stored("Plan", "AskAtLimit"), Value("False"));
    CHECK_EQ(settings::Stored("Option", "User"), Value("someone"));
    // The settings left as they were get no key.
    for (const char* unused : {plan_keys::kBilling, plan_keys::kBillingUnit, plan_keys::kMonthlyFee,
                               plan_keys::kHourPrice, plan_keys::kOverage}) {
        CHECK_EQ(settings::Stored(plan_keys::kSection, unused), Value());
    }
    const CycleDays cycle = CycleAt(CycleStart(Today(), 15), 15);
    const std::string line = LineDates(cycle) +
                             "已上网 0小时0分，套餐 100小时，剩余 100小时0分（0%）；" +
                             PaceToday(cycle, 0, 100);
    CHECK(WaitUntil([&] { return CycleLineShown(stats) == line; }));
    CHECK_EQ(CycleLineShown(stats), line);

    // Opened again it shows what is stored.
    plan = OpenPlanFromStats(s.app, stats);
    REQUIRE(plan != nullptr);
    CHECK_EQ(WindowText(Item(plan, ids::kPlanHours)), "100");
    CHECK_EQ(WindowText(Item(plan, ids::kPlanFirstDay)), "15");
    CHECK_EQ(AtLimitChecked(plan), ids::kPlanWarn);

    // The third choice is stored and shown the same way.
    ClickControl(Item(plan, ids::kPlanHangUp));
    REQUIRE(WaitUntil([&] { return AtLimitChecked(plan) == ids::kPlanHangUp; }));
    PressButton(Item(plan, ids::kPlanSave));
    REQUIRE_MSG(WaitGone(plan), "the dialog stayed after saving");
    plan = OpenPlanFromStats(s.app, stats);
    REQUIRE(plan != nullptr);
    CHECK_EQ(AtLimitChecked(plan), ids::kPlanHangUp);
    CHECK_EQ(WindowText(Item(plan, ids::kPlanHours)), "100");
    CHECK(CloseByBackButton(plan));
    CHECK(CloseByBackButton(stats));
}

E2E_TEST(PlanWindows, BadInputIsRefusedWithTheRangeAndNothingStored) {
    Started s = StartShown(OneEntryBook(), "[Plan]\nHours=20\nFirstDay=3\n");
    const std::string before = settings::Bytes();
    HWND stats = RequireStats(s);
    HWND plan = OpenPlanFromStats(s.app, stats);
    REQUIRE(plan != nullptr);
    // With "按 N 分钟为单位" chosen its minutes are read too.
    CHECK(!IsWindowEnabled(Item(plan, ids::kPlanUnit)));
    ClickControl(Item(plan, ids::kPlanBillUnit));
    REQUIRE(WaitUntil([&] { return IsWindowEnabled(Item(plan, ids::kPlanUnit)) != FALSE; }));
    struct Good {
        int field;
        const char* typed;
    };
    const Good good[] = {
        {ids::kPlanHours, "50"},         {ids::kPlanFirstDay, "1"},         {ids::kPlanUnit, "5"},
        {ids::kPlanElsewhereHours, "0"}, {ids::kPlanElsewhereMinutes, "0"}, {ids::kPlanFee, "0"},
        {ids::kPlanHourPrice, "0"}};
    struct Bad {
        int field;
        const char* typed;
        const char* answer;
    };
    for (const Bad& bad : {Bad{ids::kPlanHours, "", texts::kHoursRange},
                           Bad{ids::kPlanHours, "abc", texts::kHoursRange},
                           Bad{ids::kPlanHours, "745", texts::kHoursRange},
                           Bad{ids::kPlanHours, "-1", texts::kHoursRange},
                           Bad{ids::kPlanFirstDay, "32", texts::kFirstDayRange},
                           Bad{ids::kPlanUnit, "61", texts::kUnitRange},
                           Bad{ids::kPlanElsewhereHours, "745", texts::kElsewhereHoursRange},
                           Bad{ids::kPlanElsewhereMinutes, "60", texts::kElsewhereMinutesRange},
                           Bad{ids::kPlanFee, "12.345", texts::kFeeRange},
                           Bad{ids::kPlanHourPrice, "1000", texts::kHourPriceRange}}) {
        for (const Good& field : good) {
            REQUIRE(SetWindowTextTo(Item(plan, field.field), field.typed));
        }
        REQUIRE(SetWindowTextTo(Item(plan, bad.field), bad.typed));
        PressButton(Item(plan, ids::kPlanSave));
        CheckNotice(s.app, plan, bad.answer);
        CHECK_MSG(IsWindow(plan), "the dialog ended on bad input");
        CHECK_EQ(settings::Bytes(), before);
    }
    CHECK(CloseByBackButton(plan));
    CHECK(CloseByBackButton(stats));
    CHECK_EQ(settings::Bytes(), before);
}

E2E_TEST(PlanWindows, SettingsOpenFromTheTrayMenuOverTheWorkArea) {
    Started s = StartShown(OneEntryBook());
    PostMinimise(s.main);
    REQUIRE(WaitHidden(s.main));
    ChooseTrayItem(s, tray_positions::kPlan);
    HWND plan = s.app.WaitDialog(kPlanTitle, ids::kPlanHours);
    REQUIRE(plan != nullptr);
    CheckCentredOver(plan, WorkArea(), "with the main window hidden");
    REQUIRE(SetWindowTextTo(Item(plan, ids::kPlanHours), "50"));
    PressButton(Item(plan, ids::kPlanSave));
    REQUIRE(WaitGone(plan));
    using Value = std::optional<std::string>;
    CHECK_EQ(settings::Stored("Plan", "Hours"), Value("50"));
    CHECK_EQ(settings::Stored("Plan", "FirstDay"), Value("1"));
    CHECK_EQ(settings::Stored("Plan", "AskAtLimit"), Value("True"));
    CHECK(s.app.Running());
}

E2E_TEST(PlanWindows, CycleLineAndTableWithAnAllowanceFromTheFirst) {
    const CyclesFile file = FileAroundTheCycle(1, "[Plan]\nHours=100\nFirstDay=1\n");
    Started s = StartShown(OneEntryBook(), file.text);
    HWND stats = RequireStats(s);
    CHECK_EQ(ListRowCount(Item(stats, ids::kStatsList)), 4);
    CHECK_EQ(CycleLineShown(stats), LineDates(file.current) +
                                        "已上网 2小时30分，套餐 100小时，剩余 97小时30分（2%）；" +
                                        PaceToday(file.current, 9000, 100));
    CHECK_MSG(ScreenshotTaken("stats-cycle-line", stats), "no screenshot of the cycle line");

    HWND cycles = OpenCycles(s.app, stats);
    REQUIRE(cycles != nullptr);
    CheckModalLayout(
        cycles, stats,
        {kCyclesTemplate,
         420,
         194,
         {{ids::kReturn, "Button", "返回", {332, 162, 413, 187}, TabStop::Yes},
          {ids::kCyclesList, "SysListView32", nullptr, {7, 7, 413, 157}, TabStop::Yes}},
         ids::kReturn});
    HWND list = Item(cycles, ids::kCyclesList);
    CHECK_EQ(ListColumnCount(list), 4);
    CHECK_EQ(ListColumnAt(list, 0).value_or(ListColumn{}).heading, std::string("计费周期"));
    CHECK_EQ(ListColumnAt(list, 1).value_or(ListColumn{}).heading, std::string("连接次数"));
    CHECK_EQ(ListColumnAt(list, 2).value_or(ListColumn{}).heading, std::string("上网时间"));
    CHECK_EQ(ListColumnAt(list, 3).value_or(ListColumn{}).heading, std::string("占套餐"));
    const Rows expected = {{TableDates(file.current), "2", "2小时30分", "2%"},
                           {TableDates(file.previous), "1", "0小时30分", "0%"},
                           {TableDates(file.beforeThat), "1", "1小时30分", "1%"}};
    CHECK_EQ(ListRows(list, 4), expected);
    CHECK_MSG(ScreenshotTaken("cycles-table", cycles), "no screenshot of the table of cycles");
    REQUIRE(CloseByBackButton(cycles));

    // After a reset the cycle has used nothing.
    REQUIRE(AnsweredAfter(s.app, Item(stats, ids::kReset), IDYES).has_value());
    CHECK(WaitUntil([&] {
        return CycleLineShown(stats) ==
               LineDates(file.current) + "已上网 0小时0分，套餐 100小时，剩余 100小时0分（0%）；" +
                   PaceToday(file.current, 0, 100);
    }));
    CHECK(CloseByBackButton(stats));
}

E2E_TEST(PlanWindows, CycleLineAndTableWithoutAnAllowanceFromTheFifteenth) {
    const CyclesFile file = FileAroundTheCycle(15, "[Plan]\nFirstDay=15\n");
    Started s = StartShown(OneEntryBook(), file.text);
    HWND stats = RequireStats(s);
    CHECK_EQ(CycleLineShown(stats), LineDates(file.current) + "已上网 2小时30分");
    HWND cycles = OpenCycles(s.app, stats);
    REQUIRE(cycles != nullptr);
    const Rows expected = {{TableDates(file.current), "2", "2小时30分", ""},
                           {TableDates(file.previous), "1", "0小时30分", ""},
                           {TableDates(file.beforeThat), "1", "1小时30分", ""}};
    CHECK_EQ(ListRows(Item(cycles, ids::kCyclesList), 4), expected);
    REQUIRE(CloseByBackButton(cycles));
    CHECK(CloseByBackButton(stats));
}

// Counted as the ISP counts, with time used elsewhere and a cost: a connection across the
// cycle's first midnight (23:29:45 to 0:30:15) rounded up to 31 minutes in each cycle, one of
// 7201 s to 121 minutes; an hour and a half used elsewhere in this cycle and 20 minutes in the
// last; a fee of 30 yuan and 3 yuan a started hour beyond an allowance of one hour. Setting this
// cycle's time used elsewhere to 0 removes it; the last cycle keeps its own.
E2E_TEST(PlanWindows, RoundedTimeUsedElsewhereAndTheCostInTheLineAndTheTable) {
    const Day start = CycleStart(Today(), 1);
    const CycleDays current = CycleAt(start, 1);
    const CycleDays previous = CycleAt(CycleStart(AddDays(start, -1), 1), 1);
    const std::string file =
        "[Memory]\nMaxDataNumber=2\n[Data]\ndata[1]=" + Record(start, 3630, "0:30:15") +
        "\ndata[2]=" + Record(start, 7201, "12:0:0") +
        "\n[Plan]\nHours=1\nFirstDay=1\nBilling=Minute\nMonthlyFee=30\n"
        "HourPrice=3\n[PlanCorrection]\n" +
        KeyOf(previous.first) + "=20\n" + KeyOf(current.first) + "=90\n";
    Started s = StartShown(OneEntryBook(), file);
    HWND stats = RequireStats(s);
    // 152 minutes here and 90 elsewhere: 3小时2分 beyond the hour, four started hours.
    CHECK_EQ(CycleLineShown(stats),
             LineDates(current) + "已上网 4小时2分，套餐 1小时，已超出 3小时2分（403%）；" +
                 PaceToday(current, (152 + 90) * 60, 1) + "；本期费用约 42.00 元");

    HWND cycles = OpenCycles(s.app, stats);
    REQUIRE(cycles != nullptr);
    HWND list = Item(cycles, ids::kCyclesList);
    REQUIRE_EQ(ListColumnCount(list), 6);
    CHECK_EQ(ListColumnAt(list, 4).value_or(ListColumn{}).heading, std::string("含其他地方"));
    CHECK_EQ(ListColumnAt(list, 5).value_or(ListColumn{}).heading, std::string("费用（元）"));
    const Rows expected = {{TableDates(current), "2", "4小时2分", "403%", "1小时30分", "42.00"},
                           {TableDates(previous), "1", "0小时51分", "85%", "0小时20分", "30.00"}};
    CHECK_EQ(ListRows(list, 6), expected);
    CHECK_MSG(ScreenshotTaken("cycles-table-cost", cycles), "no screenshot of the table");
    REQUIRE(CloseByBackButton(cycles));

    HWND plan = OpenPlanFromStats(s.app, stats);
    REQUIRE(plan != nullptr);
    CHECK_EQ(BillingChecked(plan), ids::kPlanBillMinute);
    CHECK_EQ(WindowText(Item(plan, ids::kPlanElsewhereHours)), "1");
    CHECK_EQ(WindowText(Item(plan, ids::kPlanElsewhereMinutes)), "30");
    CHECK_EQ(WindowText(Item(plan, ids::kPlanFee)), "30.00");
    CHECK_EQ(WindowText(Item(plan, ids::kPlanHourPrice)), "3.00");
    REQUIRE(SetWindowTextTo(Item(plan, ids::kPlanElsewhereHours), "0"));
    REQUIRE(SetWindowTextTo(Item(plan, ids::kPlanElsewhereMinutes), "0"));
    PressButton(Item(plan, ids::kPlanSave));
    REQUIRE_MSG(WaitGone(plan), "the dialog stayed after saving");
    using Value = std::optional<std::string>;
    CHECK_EQ(settings::Stored(plan_keys::kCorrectionSection, KeyOf(current.first)), Value());
    CHECK_EQ(settings::Stored(plan_keys::kCorrectionSection, KeyOf(previous.first)), Value("20"));
    CHECK_EQ(settings::Stored(plan_keys::kSection, plan_keys::kBilling), Value("Minute"));
    // 152 minutes: 1小时32分 beyond the hour, two started hours.
    const std::string after = LineDates(current) +
                              "已上网 2小时32分，套餐 1小时，已超出 1小时32分（253%）；" +
                              PaceToday(current, 152 * 60, 1) + "；本期费用约 36.00 元";
    CHECK(WaitUntil([&] { return CycleLineShown(stats) == after; }));
    CHECK_EQ(CycleLineShown(stats), after);
    CHECK(CloseByBackButton(stats));
}

E2E_TEST(PlanWindows, ExportWritesTheRecordsAsUtf8Csv) {
    Started s = StartShown(OneEntryBook(), kExportFile);
    const std::string before = settings::Bytes();
    const std::string path = CaseFolder() + "\\导出.csv";
    DeleteFileA(path.c_str());
    HWND stats = RequireStats(s);
    HWND save = ExportThroughSaveDialog(s.app, stats, path);
    REQUIRE(WaitGone(save));
    const std::string expected =
        "\xEF\xBB\xBF" +
        AnsiToUtf8("日期,开始时间,下线时间,秒数,时长,连接名称,连接方式,接收字节,发送字节\r\n"
                   "2003-09-03,14:07:46,15:09:51,3725,1:02:05,我的连接,接管,5000000000,1200\r\n"
                   "2003-09-04,2003-09-03 23:59:00,00:01:00,120,0:02:00,宽带 连接,本程序拨号,,\r\n"
                   "2003-09-05,08:00:00,08:00:00,0,0:00:00,,,,\r\n");
    CHECK(WaitUntil([&] { return ReadFileBytes(path) == expected; }));
    CHECK_EQ(ReadFileBytes(path), expected);
    CHECK_EQ(settings::Bytes(), before);
    CHECK(CloseByBackButton(stats));
}

E2E_TEST(PlanWindows, ExportToAFileThatCannotBeWrittenShowsANotice) {
    Started s = StartShown(OneEntryBook(), kExportFile);
    const std::string before = settings::Bytes();
    const std::string path = CaseFolder() + "\\locked.csv";
    // Held open without sharing: no one else may write it.
    HANDLE held = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    REQUIRE(held != INVALID_HANDLE_VALUE);
    HWND stats = RequireStats(s);
    HWND save = ExportThroughSaveDialog(s.app, stats, path);
    // The file exists: the save dialog asks first.
    std::optional<MessageBoxView> box = s.app.WaitMessageBox();
    REQUIRE(box.has_value());
    if (box->owner == save) {
        REQUIRE(AnswerMessageBox(box->window, IDYES));
        REQUIRE(WaitGone(box->window));
        box = s.app.WaitMessageBox();
        REQUIRE(box.has_value());
    }
    CHECK_EQ(box->caption, texts::kNotice);
    CHECK_EQ(box->text, "无法写入文件“" + path + "”，记录没有导出。请换一个位置或文件名再试。");
    CHECK_EQ(box->owner, stats);
    AnswerMessageBox(box->window, IDOK);
    WaitGone(box->window);
    CloseHandle(held);
    CHECK_EQ(settings::Bytes(), before);
    CHECK(CloseByBackButton(stats));
}
