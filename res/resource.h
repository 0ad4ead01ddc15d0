// Numeric ids of the program's resources and controls, shared by the resource script and
// the code. Plain #defines: the resource compiler reads this file too.
#pragma once

#define IDR_MAINFRAME 128 // the apple: window and tray icon

// Pictures of the image buttons
#define IDI_DIAL 131         // a handshake: dial
#define IDI_HANG_UP 133      // a lightning bolt between arrows: hang up; total in the statistics
#define IDI_BACK 141         // a pointing hand: back to the main window
#define IDI_STATISTICS 142   // a clock
#define IDI_HELP 143         // a question-mark bubble
#define IDI_CLEAR 144        // a recycle bin: clear the records
#define IDC_HAND_POINTER 132 // cursor over every image button; hot spot (0, 0)

// Main window
#define IDD_DIALER 102
#define IDC_ENTRY_COMBO 1000
#define IDC_USER_EDIT 1001
#define IDC_PASSWORD_EDIT 1002
#define IDC_STATUS_STATIC 1003
#define IDC_SAVE_CHECK 1005
#define IDC_STATS_BUTTON 1006
#define IDC_HANGUP_BUTTON 1007
#define IDC_DIAL_BUTTON 1008
#define IDC_HELP_BUTTON 1044

// Dial stage texts: the string id is 100 + the stage's row in the table
#define IDS_STATE_FIRST 100
#define IDS_STATE_LAST 123

// Tray menus and their commands (the other items reuse the main window's button ids)
#define IDR_TRAY_IDLE 136
#define IDR_TRAY_CONNECTED 138
#define ID_TRAY_SHOW_MAIN 32771
#define ID_TRAY_EXIT 32772
#define ID_TRAY_SHUT_DOWN 32773
#define ID_TRAY_RESTART 32774
#define ID_TRAY_SHOW_AND_DIAL 32776

// Statistics and help windows (1027 is the back button of both)
#define IDD_STATS 137
#define IDD_HELP 149
#define IDC_STATS_LIST 1026
#define IDC_RETURN_BUTTON 1027
#define IDC_RESET_BUTTON 1032
#define IDC_TOTAL_BUTTON 1041
#define IDC_HELP_EDIT 1045

// The plan: its settings dialog (also a tray menu command), the statistics window's cycle line
// and buttons, and the table of cycles. 1052 was the plan dialog's check box "ask at the limit".
#define IDD_PLAN 150
#define IDD_CYCLES 151
#define IDC_PLAN_HOURS_EDIT 1050
#define IDC_PLAN_FIRST_DAY_EDIT 1051
#define IDC_PLAN_SAVE_BUTTON 1053
#define IDC_CYCLE_LINE_STATIC 1054
#define IDC_PLAN_BUTTON 1055
#define IDC_CYCLES_BUTTON 1056
#define IDC_EXPORT_BUTTON 1057
#define IDC_CYCLES_LIST 1058
// What the plan dialog does when the allowance is used up: one of three radio buttons
#define IDC_PLAN_WARN_RADIO 1059
#define IDC_PLAN_ASK_RADIO 1060
#define IDC_PLAN_HANG_UP_RADIO 1061
// How the ISP counts (one group, the unit's minutes beside the third), the time used elsewhere
// in the current cycle, and the cost: the fee, the hour's price and how extra time is charged
#define IDC_PLAN_BILL_SECOND_RADIO 1090
#define IDC_PLAN_BILL_MINUTE_RADIO 1091
#define IDC_PLAN_BILL_UNIT_RADIO 1092
#define IDC_PLAN_UNIT_EDIT 1093
#define IDC_PLAN_ELSEWHERE_HOURS_EDIT 1094
#define IDC_PLAN_ELSEWHERE_MINUTES_EDIT 1095
#define IDC_PLAN_FEE_EDIT 1096
#define IDC_PLAN_HOUR_PRICE_EDIT 1097
#define IDC_PLAN_STARTED_HOUR_RADIO 1098
#define IDC_PLAN_PRO_RATA_RADIO 1099

// The connection guards: their settings dialog (opened by the statistics window's button and
// the tray menus' command of the same id) and the countdown before a guard hangs up
#define IDD_GUARD 152
#define IDD_COUNTDOWN 153
#define IDC_GUARD_BUTTON 1062
#define IDC_GUARD_IDLE_EDIT 1063
#define IDC_GUARD_THRESHOLD_EDIT 1064
#define IDC_GUARD_NO_FIGURES_STATIC 1065
#define IDC_GUARD_HOURS_EDIT 1066
#define IDC_GUARD_MINUTES_EDIT 1067
#define IDC_GUARD_DAILY_EDIT 1068
#define IDC_GUARD_TRIES_EDIT 1069
#define IDC_GUARD_PAUSE_EDIT 1070
#define IDC_GUARD_SAVE_BUTTON 1071
#define IDC_COUNTDOWN_STATIC 1072
#define IDC_KEEP_ONLINE 1073
#define IDC_HANG_UP_NOW 1074

// The current cycle day by day: the statistics window's button and the chart window (its back
// button is 1027 too). Numbered apart from the plan's and the guards' ids, which may still grow.
#define IDD_CHART 156
#define IDC_CHART_BUTTON 1080
#define IDC_CHART_HEADING_STATIC 1081
#define IDC_CHART_AREA 1082
#define IDC_CHART_DAY_STATIC 1083
