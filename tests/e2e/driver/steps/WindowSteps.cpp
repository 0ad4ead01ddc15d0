#include "steps/WindowSteps.h"

#include "probes/MessageBoxProbe.h"
#include "probes/ProgramFacts.h"
#include "probes/WindowProbe.h"
#include "TestRunner.h"

namespace e2e {
namespace {

// The system's save dialog of the process: a dialog with the file name box of the system's
// dialogs (combo box 0x47c, or edit 0x480 in older ones).
HWND WaitSaveDialog(const App& app, HWND stats) {
    HWND found = nullptr;
    WaitUntil([&] {
        for (HWND window : TopWindowsOf(app.Id(), "#32770")) {
            if (window != stats && !LooksLikeMessageBox(window) &&
                (Item(window, 0x47c) != nullptr || Item(window, 0x480) != nullptr)) {
                found = window;
                return true;
            }
        }
        return false;
    });
    return found;
}

// The file name edit of the system's save dialog: edit 0x480 of older dialogs, or the edit
// inside combo box 0x47c, or else its first shown edit.
HWND FileNameEdit(HWND dialog) {
    HWND first = nullptr;
    for (HWND child : ChildWindowsOf(dialog)) {
        if (ClassNameOf(child) == "Edit" && IsWindowVisible(child)) {
            if (ItemId(child) == 0x480 || ItemId(GetParent(child)) == 0x47c) {
                return child;
            }
            first = first != nullptr ? first : child;
        }
    }
    return first;
}

// Types the path into the save dialog's file name and presses Save.
bool SaveAs(HWND dialog, const std::string& path) {
    HWND name = FileNameEdit(dialog);
    if (!CHECK_MSG(name != nullptr, "the save dialog has no file name edit") ||
        !SetWindowTextTo(name, path)) {
        return false;
    }
    PressButton(Item(dialog, IDOK));
    return true;
}

} // namespace

HWND OpenStats(const App& app, HWND main) {
    PressButton(Item(main, ids::kStatistics));
    return app.WaitDialog(kStatsTitle, ids::kStatsList);
}

HWND RequireStats(const Started& s) {
    HWND stats = OpenStats(s.app, s.main);
    REQUIRE_MSG(stats != nullptr, "the statistics window did not open");
    return stats;
}

HWND OpenStatsByCommand(const App& app, HWND main) {
    PostMessageA(main, WM_COMMAND, MAKEWPARAM(ids::kStatistics, BN_CLICKED),
                 reinterpret_cast<LPARAM>(Item(main, ids::kStatistics)));
    return app.WaitDialog(kStatsTitle, ids::kStatsList);
}

HWND OpenHelp(const App& app, HWND main) {
    PressButton(Item(main, ids::kHelp));
    return app.WaitDialog(kHelpTitle, ids::kHelpEdit);
}

HWND OpenPlanFromStats(const App& app, HWND stats) {
    PressButton(Item(stats, ids::kPlan));
    return app.WaitDialog(kPlanTitle, ids::kPlanHours);
}

HWND OpenCycles(const App& app, HWND stats) {
    PressButton(Item(stats, ids::kCycles));
    return app.WaitDialog(kCyclesTitle, ids::kCyclesList);
}

HWND OpenGuardFromStats(const App& app, HWND stats) {
    PressButton(Item(stats, ids::kGuard));
    return app.WaitDialog(kGuardTitle, ids::kGuardSave);
}

HWND ExportThroughSaveDialog(const App& app, HWND stats, const std::string& path) {
    PressButton(Item(stats, ids::kExport));
    HWND save = WaitSaveDialog(app, stats);
    REQUIRE_MSG(save != nullptr, "no save dialog");
    REQUIRE(SaveAs(save, path));
    return save;
}

HWND WaitOwnedDialog(const App& app, HWND main) {
    return app.WaitDialog([&](HWND w) { return w != main && !LooksLikeMessageBox(w); });
}

} // namespace e2e
