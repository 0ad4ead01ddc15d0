// The current cycle day by day, as a user opens it from the statistics window's "本期图表".

#include "probes/AppProcess.h"
#include "probes/DialogProbe.h"
#include "probes/Screenshot.h"
#include "probes/WindowProbe.h"
#include "steps/Steps.h"
#include "TestRunner.h"
#include "Text.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>

namespace {

using namespace e2e;

// The heading, the drawn area and the day's line beside the back button; the focus on the
// button, the only tab stop.
const DialogLayout kChartLayout{
    kChartTemplate,
    320,
    214,
    {{ids::kReturn, "Button", "返回", {232, 182, 313, 207}, TabStop::Yes},
     {ids::kChartHeading, "Static", nullptr, {9, 7, 311, 15}, TabStop::No},
     {ids::kChartArea, "Static", "", {7, 19, 313, 177}, TabStop::No},
     {ids::kChartDay, "Static", nullptr, {9, 191, 227, 199}, TabStop::No}},
    ids::kReturn};

SYSTEMTIME DayBefore(const SYSTEMTIME& day) {
    FILETIME file{};
    SystemTimeToFileTime(&day, &file);
    ULARGE_INTEGER ticks{};
    ticks.LowPart = file.dwLowDateTime;
    ticks.HighPart = file.dwHighDateTime;
    ticks.QuadPart -= 864000000000ULL; // a day in 100-ns steps
    file.dwLowDateTime = ticks.LowPart;
    file.dwHighDateTime = ticks.HighPart;
    SYSTEMTIME before{};
    FileTimeToSystemTime(&file, &before);
    return before;
}

// "Y-M-D,seconds@h:m:s" as the program stores a connection hung up on `day` at the time given.
std::string Record(const SYSTEMTIME& day, int seconds, const char* time) {
    char text[64];
    std::snprintf(text, sizeof text, "%d-%d-%d,%d@%s", day.wYear, day.wMonth, day.wDay, seconds,
                  time);
    return text;
}

std::string DayLineShown(HWND chart) {
    return WindowText(Item(chart, ids::kChartDay));
}

// How many of the picture's pixels have the system colour (0x00BBGGRR).
long CountColour(const Pixels& pixels, COLORREF colour) {
    const unsigned rgb = (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
    return static_cast<long>(std::count(pixels.data.begin(), pixels.data.end(), rgb));
}

} // namespace

// Yesterday an hour from 21:30 and an hour and a half from 23:00, across midnight: yesterday
// holds two hours of two connections, today half an hour of one. The cycle starts two days
// before today (or on the 28th, early in a month), so that yesterday lies in it.
E2E_TEST(Chart, ShowsTheCycleDayByDayAndTheArrowKeysChooseADay) {
    SYSTEMTIME today{};
    GetLocalTime(&today);
    const SYSTEMTIME yesterday = DayBefore(today);
    const int firstDay = today.wDay >= 3 ? std::min(today.wDay - 2, 28) : 28;
    const std::string text =
        "[Memory]\nMaxDataNumber=2\n[Data]\ndata[1]=" + Record(yesterday, 3600, "22:30:0") +
        "\ndata[2]=" + Record(today, 5400, "0:30:0") +
        "\n[Plan]\nHours=100\nFirstDay=" + std::to_string(firstDay) + "\n";
    Started s = StartShown(OneEntryBook(), text);
    HWND stats = RequireStats(s);
    // The pointer away from where the chart opens: a day under it would be chosen instead of today.
    SetCursorPos(0, 0);
    PressButton(Item(stats, ids::kChart));
    HWND chart = s.app.WaitDialog(kChartTitle, ids::kChartArea);
    REQUIRE_MSG(chart != nullptr, "the chart window did not open");
    CheckModalLayout(chart, stats, kChartLayout);

    // Today is chosen at first; the bars are drawn in the selection's colour.
    const std::string todayLine = texts::ChartDayLine(today.wMonth, today.wDay, true, 1800, 1);
    CHECK_MSG(WaitUntil([&] { return DayLineShown(chart) == todayLine; }),
              "at the opening: " + DayLineShown(chart));
    CHECK(WaitUntilPainted(chart));
    CHECK_MSG(CountColour(CaptureScreen(ScreenRect(Item(chart, ids::kChartArea))),
                          GetSysColor(COLOR_HIGHLIGHT)) > 0,
              "no bar drawn");
    CHECK_MSG(ScreenshotTaken("cycle-chart", chart), "no screenshot of the chart");

    PressKey(Item(chart, ids::kChartArea), VK_LEFT);
    const std::string yesterdayLine =
        texts::ChartDayLine(yesterday.wMonth, yesterday.wDay, false, 7200, 2);
    CHECK_MSG(WaitUntil([&] { return DayLineShown(chart) == yesterdayLine; }),
              "after the left arrow: " + DayLineShown(chart));

    REQUIRE(CloseByBackButton(chart));
    CHECK(IsEnabled(stats));
    CHECK(CloseByBackButton(stats));
}
