#pragma once

// What the driver expects of the program, seen from outside: the ids of its controls, menus and
// resources, its window titles, its messages and the texts it shows. The driver keeps its own
// copy on purpose and never includes the program's res/resource.h: a changed id or text in the
// program must show up here as a failing case. Texts are ANSI (code page 936) like every test
// literal.

#include <string>
#include <vector>

namespace e2e {

// ---- the main window ----

inline constexpr const char* kMainTitle = "Kelvorin V3.0";
inline constexpr unsigned kMainTemplate = 102;
// The single-copy guard.
inline constexpr const char* kMutexName = "QuorvantaForWin32";

namespace ids {
inline constexpr int kEntry = 1000;
inline constexpr int kUser = 1001;
inline constexpr int kPassword = 1002;
inline constexpr int kStatus = 1003;
inline constexpr int kSaveBox = 1005;
inline constexpr int kStatistics = 1006;
inline constexpr int kHangUp = 1007;
inline constexpr int kDial = 1008;
inline constexpr int kHelp = 1044;
inline constexpr int kLabel = 0xFFFF; // statics without an id

// The statistics window; its back button is also the help window's.
inline constexpr int kStatsList = 1026;
inline constexpr int kReturn = 1027;
inline constexpr int kReset = 1032;
inline constexpr int kTotal = 1041;
// The help window.
inline constexpr int kHelpEdit = 1045;

// The plan settings dialog (its back button is 1027 too), the statistics window's cycle line and
// plan buttons (the plan button is also a tray menu command), the table of cycles.
inline constexpr int kPlanHours = 1050;
inline constexpr int kPlanFirstDay = 1051;
inline constexpr int kPlanSave = 1053;
inline constexpr int kCycleLine = 1054;
inline constexpr int kPlan = 1055;
inline constexpr int kCycles = 1056;
inline constexpr int kExport = 1057;
inline constexpr int kCyclesList = 1058;
// What the plan dialog does at the limit: three radio buttons, one group.
inline constexpr int kPlanWarn = 1059;
inline constexpr int kPlanAsk = 1060;
inline constexpr int kPlanHangUp = 1061;
// How the ISP counts (one group; the unit's minutes beside the third choice, enabled with it),
// the time used elsewhere in the current cycle, the fee, the hour's price and how extra time is
// charged (one group).
inline constexpr int kPlanBillSecond = 1090;
inline constexpr int kPlanBillMinute = 1091;
inline constexpr int kPlanBillUnit = 1092;
inline constexpr int kPlanUnit = 1093;
inline constexpr int kPlanElsewhereHours = 1094;
inline constexpr int kPlanElsewhereMinutes = 1095;
inline constexpr int kPlanFee = 1096;
inline constexpr int kPlanHourPrice = 1097;
inline constexpr int kPlanStartedHour = 1098;
inline constexpr int kPlanProRata = 1099;

// The connection guards: the statistics window's button (also a tray menu command), the
// settings dialog (its back button is 1027 too) and the countdown window.
inline constexpr int kGuard = 1062;
inline constexpr int kGuardIdle = 1063;
inline constexpr int kGuardThreshold = 1064;
inline constexpr int kGuardNoFigures = 1065; // why the idle fields are off; empty otherwise
inline constexpr int kGuardHours = 1066;
inline constexpr int kGuardMinutes = 1067;
inline constexpr int kGuardDaily = 1068;
inline constexpr int kGuardTries = 1069;
inline constexpr int kGuardPause = 1070;
inline constexpr int kGuardSave = 1071;
inline constexpr int kCountdownText = 1072;
inline constexpr int kKeepOnline = 1073;
inline constexpr int kHangUpNow = 1074;

// The current cycle day by day: the statistics window's button and the chart window (its back
// button is 1027 too): the line over the chart, the drawn chart, the chosen day's line.
inline constexpr int kChart = 1080;
inline constexpr int kChartHeading = 1081;
inline constexpr int kChartArea = 1082;
inline constexpr int kChartDay = 1083;
} // namespace ids

// The main window's image buttons in the order they are dressed, with their tooltips.
struct ButtonTip {
    int id;
    const char* tip;
};
inline const std::vector<ButtonTip> kMainButtonTips = {
    {ids::kDial, "连接网络，开始计时"},
    {ids::kHangUp, "断开网络连接"},
    {ids::kStatistics, "统计计时时间"},
    {ids::kHelp, "软件使用说明"},
};

// ---- the other windows ----

inline constexpr const char* kStatsTitle = "时间统计";
inline constexpr const char* kHelpTitle = "使用帮助";
inline constexpr unsigned kStatsTemplate = 137;
inline constexpr unsigned kHelpTemplate = 149;
inline constexpr const char* kPlanTitle = "套餐设置";
inline constexpr const char* kCyclesTitle = "各期统计";
inline constexpr unsigned kPlanTemplate = 150;
inline constexpr unsigned kCyclesTemplate = 151;
inline constexpr const char* kGuardTitle = "连接保护";
inline constexpr unsigned kGuardTemplate = 152;
// Modeless, top-most, owned by no window, not activated when it opens.
inline constexpr const char* kCountdownTitle = "连接保护";
inline constexpr unsigned kCountdownTemplate = 153;
inline constexpr const char* kChartTitle = "本期图表";
inline constexpr unsigned kChartTemplate = 156;

// ---- resources ----

inline constexpr unsigned kProgramIcon = 128; // the window's and the tray's
inline constexpr unsigned kDialIcon = 131;

// ---- the tray ----

inline constexpr unsigned kTrayIconId = 128;
inline constexpr unsigned kTrayNotifyMessage = 0x8064; // WM_APP + 100
inline constexpr unsigned kRasDialEventMessage = 0xCCCD;
// Posted to the main window when the plan settings were saved.
inline constexpr unsigned kPlanChangedMessage = 0x8065;
// Posted by the countdown window to the main window with the user's answer.
inline constexpr unsigned kGuardAnswerMessage = 0x8068;
inline constexpr unsigned kGuardAnswerKeepOnline = 1; // also Enter, Esc and the close box
inline constexpr unsigned kGuardAnswerHangUpNow = 2;
inline constexpr unsigned kIdleTrayMenu = 136;
inline constexpr unsigned kConnectedTrayMenu = 138;

namespace tray_ids {
inline constexpr unsigned kShowMain = 32771;
inline constexpr unsigned kExit = 32772;
inline constexpr unsigned kShutDown = 32773;
inline constexpr unsigned kRestart = 32774;
inline constexpr unsigned kShowAndDial = 32776;
} // namespace tray_ids

// Item positions (1-based, separators counted), the same in both tray menus.
namespace tray_positions {
inline constexpr int kShow = 1;
inline constexpr int kThird = 3; // start dialing (idle), break the connection (connected)
inline constexpr int kStatistics = 4;
inline constexpr int kRestart = 6;
inline constexpr int kShutDown = 7;
inline constexpr int kHelp = 9;
inline constexpr int kExit = 11;
inline constexpr int kPlan = 13;
inline constexpr int kGuard = 14;
} // namespace tray_positions
inline const std::vector<int> kTrayMenuSeparators{2, 5, 8, 10, 12};

struct TrayMenuItem {
    unsigned id; // 0: separator
    const char* text;
};
// The two menus differ in the third item and in the restart item's access key.
inline std::vector<TrayMenuItem> TrayItems(TrayMenuItem third, const char* restart) {
    return {{tray_ids::kShowMain, "显示主界面(&G)..."},
            {0, ""},
            third,
            {ids::kStatistics, "时间统计(&T)..."},
            {0, ""},
            {tray_ids::kRestart, restart},
            {tray_ids::kShutDown, "关闭计算机(&D)"},
            {0, ""},
            {ids::kHelp, "软件说明(&A)..."},
            {0, ""},
            {tray_ids::kExit, "退出程序(&Q)"},
            {0, ""},
            {ids::kPlan, "套餐设置(&P)..."},
            {ids::kGuard, "连接保护(&W)..."}};
}
inline const std::vector<TrayMenuItem> kIdleTrayItems =
    TrayItems({tray_ids::kShowAndDial, "开始拨号计时(&S)..."}, "重新启动计算机(&B)");
inline const std::vector<TrayMenuItem> kConnectedTrayItems =
    TrayItems({ids::kHangUp, "断开网络连接(&C)"}, "重新启动计算机(&R)");

// ---- the settings file ----

// The monthly allowance's section and keys.
namespace plan_keys {
inline constexpr const char* kSection = "Plan";
inline constexpr const char* kHours = "Hours";
inline constexpr const char* kFirstDay = "FirstDay";
inline constexpr const char* kAskAtLimit = "AskAtLimit";
inline constexpr const char* kWarnedCycle = "WarnedCycle"; // "Y-M-D", the cycle's first day
inline constexpr const char* kWarnedLevel = "WarnedLevel";
// Stored only when used: "Minute" or "Unit" (with BillingUnit minutes), yuan as "12.50", and
// "ProRata".
inline constexpr const char* kBilling = "Billing";
inline constexpr const char* kBillingUnit = "BillingUnit";
inline constexpr const char* kMonthlyFee = "MonthlyFee";
inline constexpr const char* kHourPrice = "HourPrice";
inline constexpr const char* kOverage = "Overage";
// Minutes used elsewhere, under the cycle's first day "Y-M-D".
inline constexpr const char* kCorrectionSection = "PlanCorrection";
} // namespace plan_keys

// ---- texts ----

namespace texts {

// The caption of every message box of the program.
inline constexpr const char* kNotice = "提示";

// The status line.
inline constexpr const char* kReady = "准备就绪，等待连接...";
inline constexpr const char* kDialFailed = "拨号连接失败，空闲中...";
inline constexpr const char* kConnected = "拨号连接成功，开始计时...";
inline constexpr const char* kHungUp = "连接已经被手工挂断，空闲中...";
inline constexpr const char* kLineDropped = "连接已经断开，空闲中...";
// While connected: "已连接N秒钟，合计H小时M分".
inline constexpr const char* kTickStart = "已连接";
inline constexpr const char* kTickSecondsUnit = "秒钟，合计";
inline constexpr const char* kTickHoursUnit = "小时";
inline constexpr const char* kTickMinutesUnit = "分";

// Message boxes.
inline constexpr const char* kExitQuestion = "注意：关闭程序前请确保网络连接已经被断开，"
                                             "否则本次上网时间将不会被保存！继续退出吗？";
inline constexpr const char* kNoEntries =
    "提示：由于在当前系统中没有检测到任何拨号网络连接，所以本程序无法继续工作！\n\n"
    "请在[控制面板]->[网络连接]中进行拨号网络连接设置！";
inline constexpr const char* kAlreadyRunning = "拨号网络计时已经在运行，请勿重复运行！";
inline constexpr const char* kResetQuestion =
    "注意：该操作将删除所有拨号上网记录，删除后将无法恢复，继续吗？";
// A settings file the program does not read (above 64 MiB), at the opening of the statistics
// window; and "数据复位" on such a file, or when the file could not be written.
inline constexpr const char* kFileTooLarge =
    "设置文件 corvantile.ini 太大（超过 64 MB 或四百万行），无法读取。为了不毁掉其中的上网记录，"
    "程序不会写入这个文件：新的上网记录和设置都无法保存。";
inline constexpr const char* kResetRefused =
    "设置文件 corvantile.ini 太大或无法读取，数据复位没有进行：这个文件没有被改动。";
inline constexpr const char* kResetFailed =
    "设置文件 corvantile.ini 无法写入，数据复位没有完成：上网记录仍然保存在文件中。";
// The plan settings dialog's answers to a field out of range.
inline constexpr const char* kHoursRange = "请输入 0 到 744 之间的整数小时数（0 表示不限）。";
inline constexpr const char* kFirstDayRange =
    "每期起始日请输入 1 到 31 之间的整数（月份没有这一天时从月末开始）。";
inline constexpr const char* kUnitRange = "计费单位请输入 1 到 60 之间的整数分钟数。";
inline constexpr const char* kElsewhereHoursRange =
    "本期已在其他地方使用的小时数请输入 0 到 744 之间的整数。";
inline constexpr const char* kElsewhereMinutesRange =
    "本期已在其他地方使用的分钟数请输入 0 到 59 之间的整数。";
inline constexpr const char* kFeeRange = "月租请输入 0 到 9999.99 之间的金额（元，最多两位小数）。";
inline constexpr const char* kHourPriceRange =
    "超出部分每小时的费用请输入 0 到 999.99 之间的金额（元，最多两位小数）。";
// The plan dialog's three choices at the limit.
inline constexpr const char* kAtLimitLabel = "套餐用完时：";
inline constexpr const char* kAtLimitWarn = "只提醒";
inline constexpr const char* kAtLimitAsk = "询问是否挂断（默认）";
inline constexpr const char* kAtLimitHangUp = "立即挂断";
// The plan dialog's labels and choices of how the ISP counts and what the plan costs.
inline constexpr const char* kBillingLabel = "计费方式：";
inline constexpr const char* kBillSecond = "按秒";
inline constexpr const char* kBillMinute = "按分钟（不足一分钟按一分钟）";
inline constexpr const char* kBillUnit = "按";
inline constexpr const char* kBillUnitAfter = "分钟为单位（1—60）";
inline constexpr const char* kElsewhereLabel = "本期已在其他地方使用：";
inline constexpr const char* kFeeLabel = "月租：";
inline constexpr const char* kHourPriceLabel = "超出部分每小时：";
inline constexpr const char* kStartedHour = "按开始的小时计";
inline constexpr const char* kProRata = "按实际时间折算";
// The guards' settings dialog: the line over its idle fields without traffic figures, and the
// notice when the file could not be written. Its answers to a bad field are the guards' own.
inline constexpr const char* kNoTrafficFigures = "本机的拨号服务不提供流量数据，无法判断空闲";
inline constexpr const char* kGuardNotSaved = "连接保护设置没有保存：设置文件无法写入。";
// The countdown window's buttons.
inline constexpr const char* kKeepOnline = "继续上网";
inline constexpr const char* kHangUpNow = "立即挂断";
inline std::string TotalText(const char* seconds, const char* minutes, const char* hours) {
    return std::string("截至目前，总共上网时间为：") + seconds + " 秒，即" + minutes +
           "分钟！大约：" + hours + "小时！";
}

// The tray icon's tip, and with an allowance what remains of the billing cycle.
inline constexpr const char* kTrayTip = "拨号网络计时器";
// "H小时M分", minutes rounded down.
inline std::string HoursMinutes(long long seconds) {
    return std::to_string(seconds / 3600) + "小时" + std::to_string(seconds / 60 % 60) + "分";
}
inline std::string TrayTipWithPlan(long long leftSeconds) {
    return std::string(kTrayTip) + "\n本期剩余 " + HoursMinutes(leftSeconds);
}
// What the cycle line adds after the share (joined by "；") and the 80 % balloon after what
// remains (by "，"), for a day `elapsed` of `total` with `left` to go (today counted in both):
// from the second day with something used the cycle's time at that pace in whole hours, then
// what each day may use of what remains, or that the allowance is used up.
inline std::string PaceText(int elapsed, int left, int total, long long usedSeconds, int hours,
                            const char* separator) {
    std::string pace;
    if (elapsed >= 2 && usedSeconds > 0) {
        pace = "按目前速度本期将用 " + std::to_string(usedSeconds * total / elapsed / 3600) +
               "小时" + separator;
    }
    const long long remaining = hours * 3600LL - usedSeconds;
    return pace + (remaining > 0 ? "今后每天可用 " + HoursMinutes(remaining / left)
                                 : std::string("本期套餐已用完"));
}
// The balloons at 80 % and 90 % of an allowance of whole hours, and at 100 % when the user
// chose not to be asked; at 80 % followed by PaceText(..., "，") and "。".
inline std::string BalloonTitle(int level) {
    return level >= 100 ? std::string("本期套餐时间已经用完")
                        : "本期套餐时间已用 " + std::to_string(level) + "%";
}
inline std::string BalloonText(int level, int hours, long long usedSeconds) {
    const std::string plan = "本期套餐 " + std::to_string(hours) + "小时";
    if (level >= 100) {
        return plan + "已经用完，已上网 " + HoursMinutes(usedSeconds) + "，继续上网将超出套餐。";
    }
    return plan + "，已上网 " + HoursMinutes(usedSeconds) + "，剩余 " +
           HoursMinutes(hours * 3600LL - usedSeconds) + "。";
}
// The questions at the limit while connected, and before dialing with the allowance used up.
inline std::string LimitQuestion(int hours, long long usedSeconds, const char* ask) {
    return "本期套餐时间已经用完（套餐 " + std::to_string(hours) + "小时，已上网 " +
           HoursMinutes(usedSeconds) + "）。" + ask;
}
inline constexpr const char* kAskHangUp = "现在挂断连接吗？";
inline constexpr const char* kAskDial = "仍然要拨号上网吗？";
// The chart window's line for a day with connections: "12月9日：上网 2小时15分，3 次连接", today
// marked "12月9日（今天）：……".
inline std::string ChartDayLine(int month, int day, bool today, long long seconds,
                                int connections) {
    return std::to_string(month) + "月" + std::to_string(day) + "日" + (today ? "（今天）" : "") +
           "：上网 " + HoursMinutes(seconds) + "，" + std::to_string(connections) + " 次连接";
}

// The help window's whole text: six lines joined by "\r\n", two of them bare line feeds.
// clang-format off
inline const std::string kHelp =
    "Kelvorin使用说明"
    "\r\n"
    "==============================="
    "\r\n"
    "\n\n"
    "\r\n"
    "    现在很多地方的 163/169包月上网都限制包月时间，"
    "比如每月限制100个小时！如果超出了时间，每小时还要加收电话费，"
    "很多朋友往往由于超出时间而被多收费！如果采用手工记录方式，"
    "每次都得把时间计下来，最后核算的时候仍然很麻烦！本软件就是为解决这个问题而写的！"
    "它件能记录每次上网的时间，以便到时候核对总时间，确保不会超过ISP规定的包月时间，"
    "以此节约上网费用！"
    "\r\n"
    "\n\n"
    "\r\n"
    "    软件使用方法很简单，运行程序后，软件将检测所有拨号连接。"
    "此时您只需选择一个连接，然后输入用户名合密码，点击“开始拨号”即可，"
    "拨号成功后，软件将最小化到系统托盘中，同时在后台为你计时，"
    "当你不需要上网的时候，打开软件界面，点击“挂断网络”即可，"
    "此时上网时间已经被自动保存了，如果你想查看上网时间记录，"
    "只需点击“时间统计”即可！是不是很简单方便呢？";
// clang-format on

} // namespace texts

} // namespace e2e
