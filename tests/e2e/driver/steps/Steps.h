#pragma once

// The steps the cases are built from: what a user does with the program, and the checks
// several cases share. A case includes this header (and the probes it reads directly). Look
// here before writing a helper in a case file; a step a second case could use belongs here.
//
// StartSteps.h    starting the program
//   StartProgram            settings text written, program started, main window up and idle
//   StartProgramReading     the same with the phone book read from a pipe
//   StartShown              StartProgram, and the case ends when no window came
//   ConnectAndWait          presses dial, waits for the window hidden and the icon added
//   StartConnected          StartShown with the quick connection, then connected
//   StartHidden             StartShown, then minimised to the tray
// AnswerSteps.h   message boxes
//   Answered                waits for a box, answers it and waits until it has gone
//   AnsweredAfter           presses a button, then Answered
//   CheckNotice             Answered, and the box is a notice of the owner with the text
// WindowSteps.h   the program's other windows
//   OpenStats               "时间统计" in the main window; the statistics window
//   RequireStats            OpenStats, and the case ends when none came
//   OpenStatsByCommand      the statistics command as the tray menus send it
//   OpenHelp                "使用帮助" in the main window; the help window
//   OpenPlanFromStats       "套餐设置" in the statistics window; the plan dialog
//   OpenCycles              "各期统计" in the statistics window; the table of cycles
//   OpenGuardFromStats      "连接保护" in the statistics window; the guards' settings
//   ExportThroughSaveDialog "导出..." and a path typed into the system's save dialog
//   WaitOwnedDialog         a modal dialog of the program other than the main window or a box
// TraySteps.h     the tray
//   OpenTrayMenu            the tray menu, as a right click on the icon opens it
//   RequireSafeMenuChoice   refuses a menu choice that could end the session for real
//   ChooseTrayItem          opens the tray menu and chooses an item by position
//   CloseMenuWithEscape     closes the open menu with Esc
//   PostMinimise            the minimise command of the caption box or the system menu
//   HideToTray              minimises, and the case ends unless the window goes to the tray
//   WaitHidden, WaitShown   waits for the window to be hidden or shown
//   RequireHiddenNotIconic  the window went to the tray without being minimised on screen
//   CheckOneIcon            exactly one icon on the taskbar, the program's
//   RestartTaskbar          the icon lost as a restarting shell loses it, "TaskbarCreated" sent
//   IconGoneWithTheWindow   the icon was gone as soon as the window was
//   CheckNoIconLeft         after the end: no icon of the program, none on the taskbar
// ExitSteps.h     leaving the program
//   WaysOut                 every way out (exit item, close box, Alt+F4, Enter, Esc ...)
//   ShowIfNeeded            shows a hidden window when the way out needs it on screen
//   AskByWay                takes a way out and checks the question it asks
// DialSteps.h     dialing, the connection and the simulated RAS service's log
//   TypeAccount             types the account name and password
//   StartDialer             StartShown with a dial script, and the account typed
//   Dial                    presses dial and waits until the service was asked
//   WaitConnected           waits for the connection's text; the driver's time of it
//   DialAndConnect          Dial, then connected: window hidden, icon added, controls locked
//   PressHangUp             presses hang-up; the local time of that moment
//   HangUpAndCheckRecord    PressHangUp, and the record stored as long as it was connected
//   Status, WaitStatus      the status line's text, and waiting for one
//   ReadControls            which of dial, hang-up, entry, account and password are enabled
//   WaitControls            waits for the controls to be as given (kIdle, kBusy)
//   FollowStatus            the status line's texts in turn until a condition holds
//   CheckCountsTo           the connected seconds count one a second up to a number
//   ShownSeconds            the seconds the status line shows while connected
//   WaitSecondsAbove        waits for the seconds to pass a number
//   SecondsKeepCounting     the seconds go on
//   CheckQuiet              nothing changes on the line, the window or the icon for a while
//   CheckIdleOnScreen       controls unlocked, window shown, no icon
//   CheckHungUpOnce         the service was asked to hang up once
//   Calls, WaitCalls        the service's log lines of a call or event
//   RasCalls                how many such lines there are
//   LinesBefore             the log's lines before the first one that matches
//   StatusCallsBeforeHangUp how often the line was asked about before the hang-up
//   Responds                the window answers a sent message in time
//   MsSince                 milliseconds since a moment of the steady clock
// RecordSteps.h   the stored connection records
//   ParseRecord             "Y-M-D,S@h:m:s" read, exactly as the program writes it
//   WithinTwoSeconds        two times at most two seconds apart
//   TimeText                a time for failure messages
//   CheckRecord             data[n] stored, ended at the hang-up, as long as measured
//   RunningRecord           the running connection as stored now
//   StoredRecordCount       the record counter as stored now
//   StoredRecordSeconds     the seconds of one stored record

#include "steps/AnswerSteps.h"
#include "steps/DialSteps.h"
#include "steps/ExitSteps.h"
#include "steps/RecordSteps.h"
#include "steps/StartSteps.h"
#include "steps/TraySteps.h"
#include "steps/WindowSteps.h"
