// The statistics window: the stored records as rows, their total, and clearing them, as a user
// sees them from the main window's "时间统计" button.

#include "probes/AppProcess.h"
#include "probes/DialogProbe.h"
#include "probes/ListViewProbe.h"
#include "probes/MainWindowView.h"
#include "probes/MessageBoxProbe.h"
#include "probes/Screenshot.h"
#include "probes/SettingsFile.h"
#include "probes/WindowProbe.h"
#include "steps/Steps.h"
#include "TestRunner.h"
#include "Text.h"

#include <windows.h>

#include <utility>

namespace {

using namespace e2e;

using texts::TotalText;

// A settings file with the counter and the given "data[n]" values in the order given.
std::string RecordsFile(const std::string& count,
                        const std::vector<std::pair<int, std::string>>& records) {
    std::string text = "[Memory]\nMaxDataNumber=" + count + "\n[Data]\n";
    for (const auto& [number, value] : records) {
        text += "data[" + std::to_string(number) + "]=" + value + "\n";
    }
    return text;
}

// Record i of a long log: i seconds, the date and time running with i.
std::string RecordOf(int i) {
    return "20" + std::to_string(10 + i % 90) + "-" + std::to_string(1 + i % 12) + "-" +
           std::to_string(1 + i % 28) + "," + std::to_string(i) + "@" + std::to_string(i % 24) +
           ":" + std::to_string(i % 60) + ":" + std::to_string(i / 60 % 60);
}

// A stored value as a row: split at the first "," and the first "@" after it; empty when
// either is missing.
std::optional<std::vector<std::string>> CellsOf(const std::string& record) {
    const size_t comma = record.find(',');
    const size_t at = comma == std::string::npos ? comma : record.find('@', comma + 1);
    if (at == std::string::npos) {
        return std::nullopt;
    }
    return std::vector<std::string>{
        record.substr(0, comma), record.substr(comma + 1, at - comma - 1), record.substr(at + 1)};
}

// The cells of RecordOf(i) as a row.
std::vector<std::string> RowOf(int i) {
    return CellsOf(RecordOf(i)).value_or(std::vector<std::string>{});
}

// The focus starts on the first tab stop.
// Under the list the current cycle's line, the plan's two settings over the width of the three
// record buttons, the cycles' views and the export in line with the record buttons, then the
// record buttons.
const DialogLayout kLayout{
    kStatsTemplate,
    291,
    280,
    {{ids::kReturn, "Button", "返回主界面", {199, 248, 280, 273}, TabStop::Yes},
     {ids::kReset, "Button", "数据复位", {114, 248, 195, 273}, TabStop::Yes},
     {ids::kTotal, "Button", "数据统计", {28, 248, 109, 273}, TabStop::Yes},
     {ids::kStatsList, "SysListView32", nullptr, {7, 7, 281, 153}, TabStop::Yes},
     {ids::kCycleLine, "Static", nullptr, {9, 158, 279, 185}, TabStop::No},
     {ids::kPlan, "Button", "套餐设置", {28, 188, 152, 213}, TabStop::Yes},
     {ids::kGuard, "Button", "连接保护", {156, 188, 280, 213}, TabStop::Yes},
     {ids::kCycles, "Button", "各期统计", {28, 218, 109, 243}, TabStop::Yes},
     {ids::kChart, "Button", "本期图表", {114, 218, 195, 243}, TabStop::Yes},
     {ids::kExport, "Button", "导出...", {199, 218, 280, 243}, TabStop::Yes}},
    ids::kReturn};

// The guards' settings as the statistics window opens them, with the service's traffic figures:
// label, field, unit and range on each line; the line for a service without figures is empty.
const DialogLayout kGuardLayout{
    kGuardTemplate,
    250,
    193,
    {{ids::kLabel, "Static", "空闲挂断：", {12, 15, 60, 23}},
     {ids::kGuardIdle, "Edit", nullptr, {62, 12, 102, 26}, TabStop::Yes},
     {ids::kLabel, "Static", "分钟（0 表示不用，最多 240）", {107, 15, 243, 23}},
     {ids::kLabel, "Static", "空闲标准：", {12, 37, 60, 45}},
     {ids::kGuardThreshold, "Edit", nullptr, {62, 34, 102, 48}, TabStop::Yes},
     {ids::kLabel, "Static", "字节/分钟以下算作空闲", {107, 37, 243, 45}},
     {ids::kGuardNoFigures, "Static", "", {12, 54, 243, 62}, TabStop::No},
     {ids::kLabel, "Static", "每次最长：", {12, 73, 60, 81}},
     {ids::kGuardHours, "Edit", nullptr, {62, 70, 86, 84}, TabStop::Yes},
     {ids::kLabel, "Static", "小时", {89, 73, 105, 81}},
     {ids::kGuardMinutes, "Edit", nullptr, {107, 70, 131, 84}, TabStop::Yes},
     {ids::kLabel, "Static", "分（0 表示不限）", {136, 73, 243, 81}},
     {ids::kLabel, "Static", "定时挂断：", {12, 95, 60, 103}},
     {ids::kGuardDaily, "Edit", nullptr, {62, 92, 102, 106}, TabStop::Yes},
     {ids::kLabel, "Static", "每天此时，如 23:30（空表示不用）", {107, 95, 243, 103}},
     {ids::kLabel, "Static", "断线重拨：", {12, 117, 60, 125}},
     {ids::kGuardTries, "Edit", nullptr, {62, 114, 102, 128}, TabStop::Yes},
     {ids::kLabel, "Static", "次（0 表示不用，最多 99）", {107, 117, 243, 125}},
     {ids::kLabel, "Static", "重拨间隔：", {12, 139, 60, 147}},
     {ids::kGuardPause, "Edit", nullptr, {62, 136, 102, 150}, TabStop::Yes},
     {ids::kLabel, "Static", "秒（5—600）", {107, 139, 243, 147}},
     {ids::kGuardSave, "Button", "保存设置", {41, 160, 122, 185}, TabStop::Yes},
     {ids::kReturn, "Button", "返回", {128, 160, 209, 185}, TabStop::Yes}},
    ids::kGuardIdle};

Rows ListedRows(HWND stats) {
    return ListRows(Item(stats, ids::kStatsList), 3);
}

std::vector<MessageBoxView> MessageBoxesOf(const App& app) {
    std::vector<MessageBoxView> boxes;
    for (HWND window : TopWindowsOf(app.Id(), "#32770")) {
        if (LooksLikeMessageBox(window)) {
            boxes.push_back(ReadMessageBox(window));
        }
    }
    return boxes;
}

// Presses "数据复位" and answers its question; the box, or none when no box came.
std::optional<MessageBoxView> PressReset(const App& app, HWND stats, int answer) {
    return AnsweredAfter(app, Item(stats, ids::kReset), answer);
}

// [Memory] and [Data] with `count` records in "\r\n" lines; record i holds i seconds.
std::string ManyRecordsFile(int count) {
    std::string text = "[Memory]\r\nMaxDataNumber=" + std::to_string(count) + "\r\n[Data]\r\n";
    text.reserve(text.size() + static_cast<size_t>(count) * 34);
    for (int i = 1; i <= count; ++i) {
        text += "data[" + std::to_string(i) + "]=" + RecordOf(i) + "\r\n";
    }
    return text;
}

// Presses "数据统计": the notice tells the total given.
void CheckTotal(const App& app, HWND stats, const std::string& total) {
    PressButton(Item(stats, ids::kTotal));
    CheckNotice(app, stats, total);
}

// Starts with the settings text (none: the file as it is), opens the statistics window and
// checks its rows, and with `noBox` that no message box came, then closes it.
void CheckListed(const std::string& settingsText, const Rows& expected, bool noBox) {
    Started s = StartShown(OneEntryBook(), settingsText);
    HWND stats = RequireStats(s);
    CHECK_EQ(ListedRows(stats), expected);
    if (noBox) {
        CHECK_EQ(MessageBoxesOf(s.app).size(), 0u);
    }
    CHECK(CloseByBackButton(stats));
}

const Rows kThreeRows = {
    {"2003-9-5", "60", "8:0:0"},
    {"2003-9-4", "120", "21:30:5"},
    {"2003-9-3", "3725", "15:9:51"},
};
const std::vector<std::pair<int, std::string>> kThreeRecords = {
    {1, "2003-9-3,3725@15:9:51"},
    {2, "2003-9-4,120@21:30:5"},
    {3, "2003-9-5,60@8:0:0"},
};

} // namespace

E2E_TEST(Stats, OpensAsAModalDialogOfItsTemplate) {
    Started s = StartShown(OneEntryBook(), RecordsFile("3", kThreeRecords));
    // Away from the corner, so that centring shows.
    REQUIRE(MoveTo(s.main, 420, 260));
    HWND stats = RequireStats(s);
    CHECK_MSG(ScreenshotTaken("stats-window", stats), "no screenshot of the statistics window");

    // The focus starts on the first tab stop.
    CheckModalLayout(stats, s.main, kLayout);

    HWND list = Item(stats, ids::kStatsList);
    const LONG listStyle = StyleOf(list);
    CHECK_EQ(listStyle & LVS_TYPEMASK, LVS_REPORT);
    CHECK_MSG(listStyle & LVS_SINGLESEL, "several rows can be selected");
    // The list turns a WS_BORDER of its template into a sunken client edge.
    CHECK_MSG((listStyle & WS_BORDER) || (ExStyleOf(list) & WS_EX_CLIENTEDGE),
              "list without a border");
    CHECK_EQ(ListExtendedStyle(list), static_cast<DWORD>(LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT));
    CHECK_EQ(ListColumnCount(list), 3);
    CHECK_EQ(ListColumnAt(list, 0), std::optional<ListColumn>({"拨号上网日期", 120, LVCFMT_LEFT}));
    CHECK_EQ(ListColumnAt(list, 1),
             std::optional<ListColumn>({"精确上网时长(单位: 秒)", 160, LVCFMT_LEFT}));
    CHECK_EQ(ListColumnAt(list, 2), std::optional<ListColumn>({"下线时间", 100, LVCFMT_LEFT}));

    REQUIRE(CloseByBackButton(stats));
    CHECK(IsEnabled(s.main));

    // Over a main window near the bottom right corner it stays inside the work area.
    const RECT area = WorkArea();
    REQUIRE(MoveTo(s.main, area.right - 120, area.bottom - 80));
    stats = RequireStats(s);
    const RECT cornered = ScreenRect(stats);
    CHECK_MSG(cornered.right == area.right && cornered.bottom == area.bottom,
              "at " + Units(cornered) + " in the work area " + Units(area));
    CHECK(CloseByBackButton(stats));
}

E2E_TEST(Stats, GuardButtonOpensTheGuardSettingsShowingTheDefaults) {
    Started s = StartShown(OneEntryBook(), RecordsFile("3", kThreeRecords));
    const std::string before = settings::Bytes();
    HWND stats = RequireStats(s);
    HWND guard = OpenGuardFromStats(s.app, stats);
    REQUIRE_MSG(guard != nullptr, "the guards' settings did not open");
    CheckModalLayout(guard, stats, kGuardLayout);
    CHECK_MSG(ScreenshotTaken("guard-dialog", guard), "no screenshot of the guards' settings");
    // Nothing stored: every guard off, 4096 bytes a minute count as idle, 30 s between redials.
    const std::vector<std::pair<int, const char*>> shown = {
        {ids::kGuardIdle, "0"},    {ids::kGuardThreshold, "4096"}, {ids::kGuardHours, "0"},
        {ids::kGuardMinutes, "0"}, {ids::kGuardDaily, ""},         {ids::kGuardTries, "0"},
        {ids::kGuardPause, "30"}};
    for (const auto& [id, text] : shown) {
        CHECK_MSG(WindowText(Item(guard, id)) == text,
                  "field " + std::to_string(id) + ": " + Describe(WindowText(Item(guard, id))));
        CHECK_MSG(IsEnabled(Item(guard, id)), "field " + std::to_string(id) + " is off");
    }
    REQUIRE(CloseByBackButton(guard));
    CHECK(IsEnabled(stats));
    CHECK(CloseByBackButton(stats));
    CHECK_EQ(settings::Bytes(), before);
}

E2E_TEST(Stats, ListsEveryRecordNewestOnTop) {
    CheckListed(RecordsFile("3", kThreeRecords), kThreeRows, false);
}

E2E_TEST(Stats, AMissingRecordIsSkippedWithoutAMessage) {
    CheckListed(RecordsFile("5", {{1, "2003-9-1,1@1:1:1"},
                                  {2, "2003-9-2,2@2:2:2"},
                                  {3, "2003-9-3,3@3:3:3"},
                                  {5, "2003-9-5,5@5:5:5"}}),
                {{"2003-9-5", "5", "5:5:5"},
                 {"2003-9-3", "3", "3:3:3"},
                 {"2003-9-2", "2", "2:2:2"},
                 {"2003-9-1", "1", "1:1:1"}},
                true);
}

E2E_TEST(Stats, ShortEmptiedAndMalformedValuesAreSkippedLongPartsShownWhole) {
    const std::string longDate(60, '7');
    const std::string longTime(30, '8');
    const std::string tooLong = "2003-9-9,9@" + std::string(250, '9'); // cut to 199 on reading
    CheckListed(RecordsFile("9", {{1, "3-9-3,0@1:"},                   // 10 characters: skipped
                                  {2, "3-9-3,0@1:2"},                  // 11: shown
                                  {3, ""},                             // emptied
                                  {4, "2003-9-3 3725 15:9:51"},        // no ","
                                  {5, "2003-9-3,3725 15:9:51"},        // no "@" after it
                                  {6, longDate + ",5@" + longTime},
                                  {7, "2003-9-7,7@7:7:7"},
                                  {8, tooLong},
                                  {9, "a@b,c,d@e@f1234"},
                                  {10, "2003-9-10,10@10:10:10"}}), // beyond the count
                {{"a@b", "c,d", "e@f1234"},
                 {"2003-9-9", "9", std::string(199 - 11, '9')},
                 {"2003-9-7", "7", "7:7:7"},
                 {longDate, "5", longTime},
                 {"3-9-3", "0", "1:2"}},
                true);
}

// The rows must be exactly what reading data[1] ... data[n] one key at a time gives, however
// the file was edited: keys out of order, twice, in other letter cases, quoted, with blanks.
E2E_TEST(Stats, RowsMatchReadingEveryKeyOnItsOwn) {
    std::string text = "[Option]\nUser=someone\n[Memory]\nMaxDataNumber=40\n[Data]\n";
    for (int i = 40; i >= 1; --i) {
        const std::string key = "data[" + std::to_string(i) + "]";
        const std::string record = "2024-1-" + std::to_string(i) + "," + std::to_string(i * 61) +
                                   "@12:0:" + std::to_string(i);
        switch (i % 8) {
        case 0:
            break; // missing
        case 1:
            text += "DATA[" + std::to_string(i) + "]=" + record + "\n";
            break;
        case 2:
            text += key + "=\"" + record + "\"\n";
            break;
        case 3:
            text += "  " + key + "  =   " + record + "   \n";
            break;
        case 4:
            text += key + "=" + record + "\n" + key + "=2099-1-1,1@1:1:1\n"; // first one counts
            break;
        case 5:
            text += key + "=\n";
            break;
        case 6:
            text += key + "=" + record + "中文" + "\n";
            break;
        default:
            text += key + "=" + record + "\n";
            break;
        }
    }
    text += "data[41]=2024-2-1,41@1:1:1\ndata[0]=2024-2-2,0@1:1:1\ndata[07]=2024-2-3,7@1:1:1\n";
    REQUIRE(settings::Write(text));

    // The reference: the platform's reader, one key at a time, with the default "Error" and a
    // 200-character buffer; values of 11 or more characters split at "," and the "@" after it.
    const std::string path = settings::Path();
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, path.c_str());
    const UINT count = GetPrivateProfileIntA("Memory", "MaxDataNumber", 0, path.c_str());
    Rows expected;
    for (UINT i = 1; i <= count; ++i) {
        char value[200] = {};
        GetPrivateProfileStringA("Data", ("data[" + std::to_string(i) + "]").c_str(), "Error",
                                 value, sizeof value, path.c_str());
        const std::string record = value;
        if (const auto cells = CellsOf(record); record.size() > 10 && cells) {
            expected.insert(expected.begin(), *cells);
        }
    }
    CHECK_EQ(count, 40u);
    CHECK_MSG(expected.size() > 25, "reference reading gave " + std::to_string(expected.size()));
    CheckListed({}, expected, false);
}

E2E_TEST(Stats, TotalsSecondsMinutesAndHours) {
    Started s = StartShown(OneEntryBook(), RecordsFile("3", {{1, "2003-9-3,3000@15:9:51"},
                                                             {2, "2003-9-4,599@21:30:5"},
                                                             {3, "2003-9-5,@8:0:0"}}));
    HWND stats = RequireStats(s);
    // The record whose "," is followed by the "@" shows an empty cell and adds nothing.
    CHECK_EQ(ListedRows(stats)[0], (std::vector<std::string>{"2003-9-5", "", "8:0:0"}));
    CheckTotal(s.app, stats, TotalText("3599", "59", "0"));
    // Pressed again without changes: the same numbers, not twice the sum.
    CheckTotal(s.app, stats, TotalText("3599", "59", "0"));
    REQUIRE(CloseByBackButton(stats));

    // Every opening reads the file again.
    REQUIRE(settings::Write(
        RecordsFile("2", {{1, "2003-9-3,3600@15:9:51"}, {2, "2003-9-4,3600@21:30:5"}})));
    stats = RequireStats(s);
    CHECK_EQ(ListRowCount(Item(stats, ids::kStatsList)), 2);
    CheckTotal(s.app, stats, TotalText("7200", "120", "2"));
    REQUIRE(CloseByBackButton(stats));

    REQUIRE(settings::Remove());
    stats = RequireStats(s);
    CHECK_EQ(ListRowCount(Item(stats, ids::kStatsList)), 0);
    CheckTotal(s.app, stats, TotalText("0", "0", "0"));
    CHECK(CloseByBackButton(stats));
    CHECK_MSG(!settings::Exists(), "looking at the records created the settings file");
}

E2E_TEST(Stats, HugeHandEditedValuesDoNotTurnTheTotalNegative) {
    Started s = StartShown(OneEntryBook(), RecordsFile("3", {{1, "2003-9-3,2147483647@15:9:51"},
                                                             {2, "2003-9-4,99999999999@21:30:5"},
                                                             {3, "2003-9-5,  12abc@8:0:0"}}));
    HWND stats = RequireStats(s);
    // Each cell counts at most 2147483647; the sum is shown whole.
    CheckTotal(s.app, stats, TotalText("4294967306", "71582788", "1193046"));
    CHECK(CloseByBackButton(stats));
}

E2E_TEST(Stats, ResetAnsweredNoChangesNothing) {
    const std::string text = RecordsFile("3", kThreeRecords);
    Started s = StartShown(OneEntryBook(), text);
    const std::string before = settings::Bytes();
    HWND stats = RequireStats(s);

    const std::optional<MessageBoxView> box = PressReset(s.app, stats, IDNO);
    REQUIRE(box.has_value());
    CHECK_EQ(box->caption, texts::kNotice);
    CHECK_EQ(box->text, texts::kResetQuestion);
    CHECK_EQ(box->buttons, (std::vector<int>{IDYES, IDNO}));
    CHECK_EQ(box->icon, BoxIcon::Question);
    CHECK_EQ(box->owner, stats);

    CHECK_EQ(ListedRows(stats), kThreeRows);
    CHECK_EQ(settings::Bytes(), before);
    CHECK(CloseByBackButton(stats));
}

E2E_TEST(Stats, ResetAnsweredYesEmptiesTheRecordsAndTheNextHangUpIsNumberOne) {
    // data[4] is left from before an earlier reset: beyond the count, it stays as it is.
    const std::string text =
        "[Option]\nUser=someone\n" + RecordsFile("3", {{1, "2003-9-3,3725@15:9:51"},
                                                       {2, "2003-9-4,120@21:30:5"},
                                                       {3, "2003-9-5,60@8:0:0"},
                                                       {4, "2003-9-6,1@1:1:1"}});
    Started s = StartShown(QuickConnectBook(), text);
    HWND stats = RequireStats(s);
    REQUIRE_EQ(ListRowCount(Item(stats, ids::kStatsList)), 3);

    const std::optional<MessageBoxView> box = PressReset(s.app, stats, IDYES);
    REQUIRE(box.has_value());
    CHECK_EQ(box->text, texts::kResetQuestion);
    CHECK(WaitUntil([&] { return ListRowCount(Item(stats, ids::kStatsList)) == 0; }));

    const std::string bytes = settings::Bytes();
    using Value = std::optional<std::string>;
    CHECK_EQ(settings::ValueInText(bytes, "Memory", "MaxDataNumber"), Value(""));
    for (const char* key : {"data[1]", "data[2]", "data[3]"}) {
        CHECK_MSG(settings::ValueInText(bytes, "Data", key) == Value(""),
                  std::string(key) + " is " + Describe(settings::ValueInText(bytes, "Data", key)));
    }
    CHECK_EQ(settings::ValueInText(bytes, "Data", "data[4]"), Value("2003-9-6,1@1:1:1"));
    CHECK_EQ(settings::ValueInText(bytes, "Option", "User"), Value("someone"));
    CheckTotal(s.app, stats, TotalText("0", "0", "0"));
    REQUIRE(CloseByBackButton(stats));

    stats = RequireStats(s);
    CHECK_EQ(ListRowCount(Item(stats, ids::kStatsList)), 0);
    REQUIRE(CloseByBackButton(stats));

    // A connection made and ended now is stored as record 1.
    PressButton(Item(s.main, ids::kDial));
    REQUIRE_MSG(WaitUntil([&] { return !IsWindowVisible(s.main); }),
                "the main window did not go to the tray on connecting");
    PostMessageA(s.main, WM_COMMAND, MAKEWPARAM(ids::kHangUp, BN_CLICKED),
                 reinterpret_cast<LPARAM>(Item(s.main, ids::kHangUp)));
    // The counter is written before the record: wait for both.
    Value record;
    REQUIRE(WaitUntil([&] {
        record = settings::Record(1);
        return settings::RecordCounter() == Value("1") && record.has_value() && record->size() > 10;
    }));
    CHECK_EQ(settings::Record(2), Value(""));

    // The main window is hidden now: the window is centred over the work area instead.
    stats = OpenStatsByCommand(s.app, s.main);
    REQUIRE(stats != nullptr);
    CheckCentredOver(stats, WorkArea(), "with the main window hidden");
    CHECK_EQ(ListedRows(stats), Rows{CellsOf(*record).value_or(std::vector<std::string>{})});
    CHECK(CloseByBackButton(stats));
}

E2E_TEST(Stats, EndsByItsButtonEscAndTheCloseBox) {
    Started s = StartShown(OneEntryBook(), RecordsFile("3", kThreeRecords));
    const std::string before = settings::Bytes();
    CheckEachWayEnds([&] { return OpenStats(s.app, s.main); },
                     {ByBackButton(), ByKey("Esc", ids::kStatsList, VK_ESCAPE), ByCloseBox()},
                     s.main);
    // The main window is back and nothing was written.
    CHECK(s.app.Running());
    CHECK_EQ(settings::Bytes(), before);
}

// Owner data: the list holds no rows but answers for them as a list that holds them does.
E2E_TEST(Stats, AHundredThousandRecordsOpenTotalAndReset) {
    constexpr int kCount = 100000;
    Started s = StartShown(OneEntryBook(), ManyRecordsFile(kCount));
    HWND stats = RequireStats(s);
    HWND list = Item(stats, ids::kStatsList);
    CHECK_EQ(ListRowCount(list), kCount);
    CHECK_EQ(ListRow(list, 0, 3), RowOf(kCount));
    CHECK_EQ(ListRow(list, 1, 3), RowOf(kCount - 1));
    CHECK_EQ(ListRow(list, kCount / 2, 3), RowOf(kCount - kCount / 2));
    CHECK_EQ(ListRow(list, kCount - 1, 3), RowOf(1));
    CHECK_MSG(ScreenshotTaken("stats-100000", stats), "no screenshot of the statistics window");
    // 1 + 2 + ... + 100000 seconds.
    CheckTotal(s.app, stats, TotalText("5000050000", "83334166", "1388902"));

    const std::optional<MessageBoxView> question = PressReset(s.app, stats, IDYES);
    REQUIRE(question.has_value());
    CHECK_EQ(question->text, texts::kResetQuestion);
    CHECK(WaitUntil([&] { return ListRowCount(list) == 0; }));
    using Value = std::optional<std::string>;
    const std::string bytes = settings::Bytes();
    CHECK_EQ(settings::ValueInText(bytes, "Memory", "MaxDataNumber"), Value(""));
    CHECK_EQ(settings::ValueInText(bytes, "Data", "data[1]"), Value(""));
    CHECK_EQ(settings::ValueInText(bytes, "Data", "data[100000]"), Value(""));
    CheckTotal(s.app, stats, TotalText("0", "0", "0"));
    CHECK(CloseByBackButton(stats));
}

E2E_TEST(Stats, HandEditedCountersDuplicatesAndGarbageOpenTotalAndReset) {
    const std::string text = "no section yet\n"
                             "[Memory]\n"
                             "MaxDataNumber=2147483647\n"
                             "MaxDataNumber=5\n" // the first one counts
                             "[Data]\n"
                             "data[1]=2003-9-1,100@1:1:1\n"
                             "data[2]=2003-9-2,200@2:2:2\n"
                             "data[2]=2099-1-1,999@9:9:9\n" // the first one counts
                             "a line without an equals sign\n"
                             "=a value without a key\n"
                             "\x7f\xfe\xff\x01\x02===\n"
                             ";data[4]=2003-9-4,400@4:4:4\n"
                             "data[3]=2003-9-3,-50@3:3:3\n"
                             "data[x]=2003-9-8,800@8:8:8\n"
                             "data[7]=2003-9-7,2147483647@7:7:7\n";
    Started s = StartShown(OneEntryBook(), text);
    HWND stats = RequireStats(s);
    const Rows expected = {{"2003-9-7", "2147483647", "7:7:7"},
                           {"2003-9-3", "-50", "3:3:3"},
                           {"2003-9-2", "200", "2:2:2"},
                           {"2003-9-1", "100", "1:1:1"}};
    CHECK_EQ(ListedRows(stats), expected);
    CheckTotal(s.app, stats, TotalText("2147483897", "35791398", "596523"));
    REQUIRE(PressReset(s.app, stats, IDYES).has_value());
    HWND list = Item(stats, ids::kStatsList);
    CHECK(WaitUntil([&] { return ListRowCount(list) == 0; }));
    CHECK_EQ(settings::Record(7), std::optional<std::string>(""));
    REQUIRE(CloseByBackButton(stats));

    // A negative counter: no live records, nothing to clear.
    REQUIRE(settings::Write("[Memory]\nMaxDataNumber=-5\n[Data]\ndata[1]=2003-9-1,100@1:1:1\n"));
    const std::string before = settings::Bytes();
    stats = RequireStats(s);
    CHECK_EQ(ListRowCount(Item(stats, ids::kStatsList)), 0);
    CheckTotal(s.app, stats, TotalText("0", "0", "0"));
    REQUIRE(PressReset(s.app, stats, IDYES).has_value());
    CHECK(CloseByBackButton(stats));
    CHECK_EQ(settings::Bytes(), before);
}

// A file above 64 MiB is never read nor written: the window says so once, totals nothing and
// refuses to reset.
E2E_TEST(Stats, ATooLargeFileIsNamedAndLeftAsItIs) {
    std::string text = ManyRecordsFile(1'750'000);
    REQUIRE_MSG(text.size() > (size_t{64} << 20), "only " + std::to_string(text.size()));
    REQUIRE(settings::Write(text));
    // The start names the file first, before the window is used.
    Started s{App::Start(OneEntryBook())};
    const std::optional<MessageBoxView> atStart = s.app.WaitMessageBox();
    REQUIRE_MSG(atStart.has_value(), "no notice at the start");
    CHECK_EQ(atStart->text, texts::kFileTooLarge);
    REQUIRE(AnswerMessageBox(atStart->window, IDOK));
    s.main = s.app.WaitMainWindow();
    REQUIRE(s.main != nullptr);
    HWND stats = RequireStats(s);
    CheckNotice(s.app, stats, texts::kFileTooLarge);
    CHECK_EQ(ListRowCount(Item(stats, ids::kStatsList)), 0);
    CheckTotal(s.app, stats, TotalText("0", "0", "0"));
    PressButton(Item(stats, ids::kReset));
    CheckNotice(s.app, stats, texts::kResetRefused);
    CHECK_EQ(MessageBoxesOf(s.app).size(), 0u);
    CHECK(CloseByBackButton(stats));
    CHECK_MSG(settings::Bytes() == text, "the file was changed");
}

// While another program holds the file the program writes first, corvantile.ini.tmp (which it
// then moves over the settings file), the reset's write fails: the window says so and keeps
// its rows.
E2E_TEST(Stats, AResetThatCannotWriteSaysSoAndKeepsTheRows) {
    Started s = StartShown(OneEntryBook(), RecordsFile("3", kThreeRecords));
    const std::string before = settings::Bytes();
    HWND stats = RequireStats(s);
    const std::string temporary = settings::Path() + ".tmp";
    HANDLE held = CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    REQUIRE(held != INVALID_HANDLE_VALUE);
    const std::optional<MessageBoxView> question = PressReset(s.app, stats, IDYES);
    CHECK(question.has_value() && question->text == texts::kResetQuestion);
    CheckNotice(s.app, stats, texts::kResetFailed);
    CloseHandle(held);
    DeleteFileA(temporary.c_str());
    CHECK_EQ(ListedRows(stats), kThreeRows);
    CHECK_EQ(settings::Bytes(), before);
    CHECK(CloseByBackButton(stats));
}
