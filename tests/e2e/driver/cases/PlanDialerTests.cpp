// The monthly allowance in the main window and the tray: the tip tells what remains, balloons
// warn at 80 % and 90 %, the limit asks whether to hang up, each warning once a cycle, and the
// dial button asks first once the allowance is used up. An allowance of one hour and records
// just under a level keep every case to a few seconds online.
//
// Most cases run on a desktop without a taskbar whose notification area is the driver's own
// (SimulatedShell): it sees each request the program makes of the shell, balloons included.
// The questions are looked at on the screen of Wine's own desktop, where the box's icon is told
// by its pixels.

#include "probes/AppProcess.h"
#include "probes/DialogProbe.h"
#include "probes/MainWindowView.h"
#include "probes/Screenshot.h"
#include "probes/SettingsFile.h"
#include "probes/SimulatedShell.h"
#include "probes/TaskbarlessDesktop.h"
#include "probes/TrayIconProbe.h"
#include "probes/WindowProbe.h"
#include "steps/Steps.h"
#include "TestRunner.h"
#include "Text.h"

#include <cstdio>
#include <functional>

namespace {

using namespace e2e;

constexpr int kHours = 1;
constexpr int kAllowance = kHours * 3600;
constexpr int kLevel80 = kAllowance * 80 / 100;
constexpr int kLevel90 = kAllowance * 90 / 100;
// Seconds of the stored record: this much short of a level.
constexpr int kShortOf = 2;

SYSTEMTIME Now() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return now;
}

// A cycle that began a day or more ago, so that a record ending now lies wholly in it.
int FirstDayForToday() {
    return Now().wDay >= 2 ? 1 : 28;
}

// The first day of the current cycle, as the warned cycle is stored.
std::string CycleFirstDay() {
    const SYSTEMTIME now = Now();
    const int firstDay = FirstDayForToday();
    int year = now.wYear;
    int month = now.wMonth;
    if (now.wDay < firstDay) {
        month = month == 1 ? 12 : month - 1;
        year = month == 12 ? year - 1 : year;
    }
    return std::to_string(year) + "-" + std::to_string(month) + "-" + std::to_string(firstDay);
}

// One record of `recordSeconds` that ended now (none for 0), and the plan's lines: an
// allowance of one hour (no [Plan] section when `withPlan` is false) and any more lines.
std::string PlanFile(int recordSeconds, bool withPlan = true, const std::string& moreLines = {}) {
    std::string text;
    if (recordSeconds > 0) {
        const SYSTEMTIME now = Now();
        char record[96];
        std::snprintf(record, sizeof record, "data[1]=%d-%d-%d,%d@%d:%d:%d\n", now.wYear,
                      now.wMonth, now.wDay, recordSeconds, now.wHour, now.wMinute, now.wSecond);
        text += "[Memory]\nMaxDataNumber=1\n[Data]\n" + std::string(record);
    }
    if (withPlan) {
        text += "[Plan]\nHours=" + std::to_string(kHours) +
                "\nFirstDay=" + std::to_string(FirstDayForToday()) + "\n" + moreLines;
    }
    return text;
}

// The balloon's text at a level: at 80 % with the pace of the cycle of FirstDayForToday().
std::string LevelBalloonText(int level, long long used) {
    std::string text = texts::BalloonText(level, kHours, used);
    if (level != 80) {
        return text;
    }
    const SYSTEMTIME now = Now();
    const int firstDay = FirstDayForToday();
    const int month = now.wDay >= firstDay ? now.wMonth : (now.wMonth == 1 ? 12 : now.wMonth - 1);
    const int year = now.wDay >= firstDay || now.wMonth != 1 ? now.wYear : now.wYear - 1;
    // A cycle from `firstDay` (at most 28) lasts as many days as its first month has.
    const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    const int total = days[month - 1] + (month == 2 && leap ? 1 : 0);
    const int elapsed =
        now.wDay >= firstDay ? now.wDay - firstDay + 1 : total - firstDay + 1 + now.wDay;
    return text + texts::PaceText(elapsed, total - elapsed + 1, total, used, kHours, "，") + "。";
}

// The level already warned in the current cycle, as a former run stored it.
std::string WarnedLine(int level) {
    return std::string(plan_keys::kWarnedCycle) + "=" + CycleFirstDay() + "\n" +
           plan_keys::kWarnedLevel + "=" + std::to_string(level) + "\n";
}

// Runs the case on a desktop whose notification area is the driver's own.
void OnOwnShell(void (*body)(SimulatedShell&)) {
    std::string error;
    const bool ran = RunOnDesktopWithoutTaskbar(
        [body] {
            SimulatedShell shell;
            body(shell);
        },
        &error);
    CHECK_MSG(ran, error);
}

// A text the program shows for the cycle's time at the moment it warned: that moment lies
// within a few ticks after the level was reached.
bool SaidAtLevel(const std::string& shown, int levelSeconds,
                 const std::function<std::string(long long)>& text) {
    for (long long used = levelSeconds; used <= levelSeconds + 5; ++used) {
        if (shown == text(used)) {
            return true;
        }
    }
    return false;
}

// The one balloon for the level: its title and text, alone in its request and in the larger
// record form's fields; the level is stored as warned in this cycle.
void CheckBalloonAt(const SimulatedShell& shell, HWND main, int level, int levelSeconds) {
    REQUIRE_MSG(shell.WaitBalloonCount(main, 1), "no balloon at " + std::to_string(level) + "%");
    const ShellRequest balloon = shell.Balloons(main).front();
    CHECK_EQ(balloon.message, static_cast<DWORD>(NIM_MODIFY));
    CHECK_EQ(balloon.flags, static_cast<UINT>(NIF_INFO));
    CHECK_EQ(balloon.id, kTrayIconId);
    CHECK_EQ(balloon.infoTitle, texts::BalloonTitle(level));
    CHECK_MSG(SaidAtLevel(balloon.info, levelSeconds,
                          [&](long long used) { return LevelBalloonText(level, used); }),
              "balloon text " + Describe(balloon.info));
    CHECK(balloon.timeoutMs > 0);
    CHECK(WaitUntil([&] {
        return settings::Stored(plan_keys::kSection, plan_keys::kWarnedLevel) ==
               std::to_string(level);
    }));
    CHECK_EQ(settings::Stored(plan_keys::kSection, plan_keys::kWarnedCycle),
             std::optional<std::string>(CycleFirstDay()));
}

// The connection goes on for `moreSeconds` of the status line's count; false when a message
// box of the program came up meanwhile.
bool CountsOnWithoutABox(const Started& s, int moreSeconds) {
    const int from = ShownSeconds(s.main).value_or(0);
    bool box = false;
    WaitUntil([&] {
        box = s.app.WaitMessageBox(0).has_value();
        return box || ShownSeconds(s.main).value_or(0) >= from + moreSeconds;
    });
    return !box && ShownSeconds(s.main).value_or(0) >= from + moreSeconds;
}

// The question at the limit, checked: text, caption, Yes and No, the question icon.
MessageBoxView WaitLimitQuestion(const Started& s) {
    const std::optional<MessageBoxView> box = s.app.WaitMessageBox();
    REQUIRE_MSG(box.has_value(), "no question at the limit");
    CHECK_EQ(box->caption, texts::kNotice);
    CHECK_EQ(box->buttons, std::vector<int>({IDYES, IDNO}));
    CHECK_EQ(box->icon, BoxIcon::Question);
    CHECK_MSG(SaidAtLevel(box->text, kAllowance,
                          [](long long used) {
                              return texts::LimitQuestion(kHours, used, texts::kAskHangUp);
                          }),
              "question " + Describe(box->text));
    return *box;
}

// A balloon Wine's own taskbar shows: a tooltip window of its shell, whose text is the
// balloon's text (the title is drawn, not held as text).
HWND ShownBalloon(DWORD programId, std::string* text) {
    const std::vector<HWND> shown = TopWindows([&](HWND window) {
        return ProcessOf(window) != programId && IsWindowVisible(window) &&
               ClassNameOf(window) == "tooltips_class32" &&
               WindowText(window).rfind("本期套餐", 0) == 0;
    });
    if (!shown.empty()) {
        *text = WindowText(shown.front());
    }
    return shown.empty() ? nullptr : shown.front();
}

} // namespace

E2E_TEST(PlanDialer, ABalloonAt80PercentSaysWhatRemains) {
    OnOwnShell([](SimulatedShell& shell) {
        Started s = StartConnected(PlanFile(kLevel80 - kShortOf));
        CheckBalloonAt(shell, s.main, 80, kLevel80);
        // The icon was added with its own record.
        const std::vector<ShellRequest> requests = shell.Requests(s.main);
        REQUIRE(!requests.empty());
        CHECK_EQ(requests.front().message, static_cast<DWORD>(NIM_ADD));
        CHECK_EQ(requests.front().flags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
        CHECK_EQ(requests.front().tip, texts::kTrayTip);
    });
}

E2E_TEST(PlanDialer, ABalloonAt90PercentAfterThe80PercentOne) {
    OnOwnShell([](SimulatedShell& shell) {
        Started s = StartConnected(PlanFile(kLevel90 - kShortOf, true, WarnedLine(80)));
        CheckBalloonAt(shell, s.main, 90, kLevel90);
    });
}

E2E_TEST(PlanDialer, AtTheLimitWithoutAskingABalloonSaysItIsUsedUp) {
    OnOwnShell([](SimulatedShell& shell) {
        const std::string noAsking = std::string(plan_keys::kAskAtLimit) + "=False\n";
        Started s =
            StartConnected(PlanFile(kAllowance - kShortOf, true, WarnedLine(90) + noAsking));
        CheckBalloonAt(shell, s.main, 100, kAllowance);
        CHECK(CountsOnWithoutABox(s, 2));
    });
}

E2E_TEST(PlanDialer, AtTheLimitYesHangsUpAndStoresTheRecord) {
    Started s = StartConnected(PlanFile(kAllowance - kShortOf, true, WarnedLine(90)));
    const MessageBoxView box = WaitLimitQuestion(s);
    CHECK_EQ(box.owner, s.main);
    std::string balloon;
    CHECK_MSG(ShownBalloon(s.app.Id(), &balloon) == nullptr, "a balloon beside the question");
    REQUIRE(AnswerMessageBox(box.window, IDYES));
    CHECK(WaitUntil([&] { return ReadMainWindow(s.main).status == texts::kHungUp; }));
    CHECK(WaitUntil([] { return StoredRecordCount() == 2; }));
    CHECK(StoredRecordSeconds(2).value_or(0) >= kShortOf);
    CHECK_EQ(RasCalls(s.app, "RasHangUpA"), 1);
    CHECK(TrayIconPresent(s.main));
    CHECK_EQ(settings::Stored(plan_keys::kSection, plan_keys::kWarnedLevel),
             std::optional<std::string>("100"));
}

E2E_TEST(PlanDialer, AtTheLimitNoGoesOnWithoutAskingAgain) {
    Started s = StartConnected(PlanFile(kAllowance - kShortOf, true, WarnedLine(90)));
    const MessageBoxView box = WaitLimitQuestion(s);
    // The box runs its own loop: the seconds count on while it is up.
    CHECK(SecondsKeepCounting(s.main));
    REQUIRE(AnswerMessageBox(box.window, IDNO));
    // The answered box may linger a moment; only a box after it is a second question.
    REQUIRE(WaitGone(box.window));
    CHECK(CountsOnWithoutABox(s, 3));
    CHECK_EQ(RasCalls(s.app, "RasHangUpA"), 0);
    CHECK_EQ(StoredRecordCount(), 1);
}

// Hung up from the tray menu while the question is up: the answer finds no connection of its
// own, and Yes stores nothing more.
E2E_TEST(PlanDialer, AtTheLimitAHangUpWhileAskingLeavesYesNothingToDo) {
    Started s = StartConnected(PlanFile(kAllowance - kShortOf, true, WarnedLine(90)));
    const MessageBoxView box = WaitLimitQuestion(s);
    PostMessageA(s.main, WM_COMMAND, ids::kHangUp, 0);
    REQUIRE(WaitUntil([] { return StoredRecordCount() == 2; }));
    REQUIRE(AnswerMessageBox(box.window, IDYES));
    CHECK(WaitGone(box.window));
    CHECK(Responds(s.main, DefaultTimeoutMs()));
    CHECK_EQ(ReadMainWindow(s.main).status, texts::kHungUp);
    CHECK_EQ(StoredRecordCount(), 2);
    CHECK_EQ(RasCalls(s.app, "RasHangUpA"), 1);
}

E2E_TEST(PlanDialer, AWarningIsNotGivenAgainAfterARestart) {
    OnOwnShell([](SimulatedShell& shell) {
        {
            Started s = StartConnected(PlanFile(kLevel80 - kShortOf));
            REQUIRE(shell.WaitBalloonCount(s.main, 1));
            PostMessageA(s.main, WM_COMMAND, ids::kHangUp, 0);
            REQUIRE(WaitUntil([] { return StoredRecordCount() == 2; }));
            PostMessageA(s.main, WM_COMMAND, tray_ids::kShowMain, 0);
            REQUIRE(WaitShown(s.main));
            REQUIRE(s.app.EndWithCloseBox());
        }
        // The settings file as the first run left it: 80 % passed and warned.
        Started again = StartConnected({});
        CHECK(CountsOnWithoutABox(again, 3));
        CHECK(shell.Balloons(again.main).empty());
    });
}

E2E_TEST(PlanDialer, DialingWithTheAllowanceUsedUpAsksAndNoDoesNotDial) {
    Started s = StartShown(QuickConnectBook(), PlanFile(kAllowance + 100));
    PressButton(Item(s.main, ids::kDial));
    const std::optional<MessageBoxView> box = s.app.WaitMessageBox();
    REQUIRE_MSG(box.has_value(), "no question before dialing");
    CHECK_EQ(box->caption, texts::kNotice);
    CHECK_EQ(box->buttons, std::vector<int>({IDYES, IDNO}));
    CHECK_EQ(box->icon, BoxIcon::Question);
    CHECK_EQ(box->text, texts::LimitQuestion(kHours, kAllowance + 100, texts::kAskDial));
    REQUIRE(AnswerMessageBox(box->window, IDNO));
    CHECK(WaitUntil([&] { return !s.app.WaitMessageBox(0).has_value(); }));
    CHECK(Responds(s.main, DefaultTimeoutMs()));
    CHECK_EQ(RasCalls(s.app, "RasDialA"), 0);
    CHECK_EQ(ReadMainWindow(s.main).status, texts::kReady);
    CHECK(IsWindowEnabled(Item(s.main, ids::kDial)));
}

E2E_TEST(PlanDialer, DialingWithTheAllowanceUsedUpAsksAndYesDials) {
    Started s = StartShown(QuickConnectBook(), PlanFile(kAllowance + 100));
    PressButton(Item(s.main, ids::kDial));
    const std::optional<MessageBoxView> box = s.app.WaitMessageBox();
    REQUIRE_MSG(box.has_value(), "no question before dialing");
    REQUIRE(AnswerMessageBox(box->window, IDYES));
    REQUIRE_MSG(WaitHidden(s.main), "Yes did not dial");
    CHECK_EQ(RasCalls(s.app, "RasDialA"), 1);
    // The user knows the allowance is used up: connected, the limit does not ask again.
    CHECK(CountsOnWithoutABox(s, 2));
}

E2E_TEST(PlanDialer, TheTipTellsWhatRemainsAndKeepsCurrentWhileConnected) {
    OnOwnShell([](SimulatedShell& shell) {
        constexpr int kRecord = kAllowance - 600; // ten minutes left
        Started s = StartConnected(PlanFile(kRecord, true, WarnedLine(90)));
        // Ten minutes left at the connect, and less than that a second later.
        CHECK_MSG(shell.WaitTip(s.main, kTrayIconId, texts::TrayTipWithPlan(599)),
                  "tip " + Describe(shell.Tip(s.main, kTrayIconId)));
        bool toldTen = false;
        for (const ShellRequest& request : shell.Requests(s.main)) {
            toldTen = toldTen || (request.message == NIM_MODIFY && request.flags == NIF_TIP &&
                                  request.tip == texts::TrayTipWithPlan(600));
        }
        CHECK_MSG(toldTen, "the tip never told the ten minutes left at the connect");
    });
}

// A reset confirmed in the statistics window while connected: with that window still open the
// tip no longer counts the cleared records, only the running connection's seconds.
E2E_TEST(PlanDialer, AResetWhileConnectedCountsFromTheEmptiedLog) {
    OnOwnShell([](SimulatedShell& shell) {
        Started s = StartConnected(PlanFile(kAllowance - 600, true, WarnedLine(90)));
        REQUIRE(shell.WaitTip(s.main, kTrayIconId, texts::TrayTipWithPlan(599)));
        HWND stats = OpenStatsByCommand(s.app, s.main);
        REQUIRE(stats != nullptr);
        REQUIRE(AnsweredAfter(s.app, Item(stats, ids::kReset), IDYES).has_value());
        // Half the allowance or more left, to the minute (the connection runs on meanwhile).
        const auto leftAtLeastHalf = [&] {
            const std::optional<std::string> tip = shell.Tip(s.main, kTrayIconId);
            for (long long left = kAllowance / 2; left <= kAllowance; left += 60) {
                if (tip == texts::TrayTipWithPlan(left)) {
                    return true;
                }
            }
            return false;
        };
        CHECK_MSG(WaitUntil(leftAtLeastHalf), "tip " + Describe(shell.Tip(s.main, kTrayIconId)));
        CHECK(CloseByBackButton(stats));
    });
}

E2E_TEST(PlanDialer, WithoutAnAllowanceTheIconKeepsItsOwnRecord) {
    OnOwnShell([](SimulatedShell& shell) {
        Started s = StartConnected(PlanFile(kAllowance + 100, false));
        CHECK(CountsOnWithoutABox(s, 2));
        // The add and nothing else from the program (the driver's probes change nothing).
        std::vector<ShellRequest> changes;
        for (const ShellRequest& request : shell.Requests(s.main)) {
            if (request.flags != 0) {
                changes.push_back(request);
            }
        }
        REQUIRE_EQ(changes.size(), 1u);
        CHECK_EQ(changes[0].message, static_cast<DWORD>(NIM_ADD));
        CHECK_EQ(changes[0].flags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
        CHECK_EQ(changes[0].callbackMessage, kTrayNotifyMessage);
        CHECK_EQ(shell.Tip(s.main, kTrayIconId), std::optional<std::string>(texts::kTrayTip));
    });
}

E2E_TEST(PlanDialer, APlanChangeRefreshesTheTip) {
    OnOwnShell([](SimulatedShell& shell) {
        Started s = StartShown(NeverConnectingBook(), PlanFile(kAllowance - 600, false));
        PostMinimise(s.main);
        REQUIRE(WaitHidden(s.main));
        REQUIRE(shell.WaitTip(s.main, kTrayIconId, texts::kTrayTip));
        // An allowance saved by the plan settings: the tip tells what remains.
        REQUIRE(settings::Write(PlanFile(kAllowance - 600)));
        PostMessageA(s.main, kPlanChangedMessage, 0, 0);
        CHECK_MSG(shell.WaitTip(s.main, kTrayIconId, texts::TrayTipWithPlan(600)),
                  "tip " + Describe(shell.Tip(s.main, kTrayIconId)));
        // And removed again: the program's name alone.
        REQUIRE(settings::Write(PlanFile(kAllowance - 600, false)));
        PostMessageA(s.main, kPlanChangedMessage, 0, 0);
        CHECK(shell.WaitTip(s.main, kTrayIconId, texts::kTrayTip));
    });
}

E2E_TEST(PlanDialer, WinesTaskbarShowsTheBalloon) {
    Started s = StartConnected(PlanFile(kLevel80 - kShortOf));
    HWND balloon = nullptr;
    std::string text;
    REQUIRE_MSG(WaitUntil([&] { return (balloon = ShownBalloon(s.app.Id(), &text)) != nullptr; }),
                "the taskbar shows no balloon");
    CHECK_MSG(
        SaidAtLevel(text, kLevel80, [](long long used) { return LevelBalloonText(80, used); }),
        "balloon text " + Describe(text));
    WaitUntilPainted(balloon);
    CHECK(ScreenshotTaken("plan-balloon-80"));
}

// A connection dialed elsewhere, found at the start, counts in the tip with the time it has
// been up: ten minutes were left before it, two of them went to it.
E2E_TEST(PlanDialer, AConnectionDialedElsewhereCountsInTheTip) {
    OnOwnShell([](SimulatedShell& shell) {
        const PhoneBook book{{kEntryName}, "connection = " + std::string(kEntryName) + " 120\n"};
        Started s = StartShown(book, PlanFile(kAllowance - 600, true, WarnedLine(90)));
        const auto leftAfterIt = [&] {
            const std::optional<std::string> tip = shell.Tip(s.main, kTrayIconId);
            return tip == texts::TrayTipWithPlan(480) || tip == texts::TrayTipWithPlan(420);
        };
        CHECK_MSG(WaitUntil(leftAfterIt), "tip " + Describe(shell.Tip(s.main, kTrayIconId)));
        CHECK(IsWindowVisible(s.main));
    });
}

// With "立即挂断" the allowance ends the connection at once, a balloon says why, and the next
// dial asks first, with No as the default answer.
E2E_TEST(PlanDialer, HangingUpAtOnceAtTheAllowanceThenAskingBeforeTheNextDial) {
    OnOwnShell([](SimulatedShell& shell) {
        constexpr const char* kWhy = "本期套餐时长已用完，已按设置自动挂断";
        Started s = StartConnected(
            PlanFile(kAllowance - 3, true, std::string("AtLimit=HangUp\n") + WarnedLine(90)));
        REQUIRE_MSG(WaitStatus(s.main, kWhy, ScaledMs(8000)), "status " + Describe(Status(s.main)));
        CHECK_EQ(StoredRecordCount(), 2);
        bool told = false;
        for (const ShellRequest& balloon : shell.Balloons(s.main)) {
            told = told || balloon.info == kWhy;
        }
        CHECK_MSG(told, "no balloon said why");

        PressButton(Item(s.main, ids::kDial));
        const std::optional<MessageBoxView> box = s.app.WaitMessageBox();
        REQUIRE_MSG(box.has_value(), "the dial did not ask");
        CHECK_EQ(box->buttons, std::vector<int>({IDYES, IDNO}));
        // The default button has the focus (Wine's box marks it so, not by DM_GETDEFID).
        CHECK_EQ(FocusedWindow(box->window), Item(box->window, IDNO));
        REQUIRE(AnswerMessageBox(box->window, IDNO));
        CHECK_EQ(RasCalls(s.app, "RasDialA"), 1);
    });
}
