#include "steps/StartSteps.h"

#include "probes/ProgramFacts.h"
#include "probes/SettingsFile.h"
#include "probes/TrayIconProbe.h"
#include "probes/WindowProbe.h"
#include "steps/TraySteps.h"
#include "TestRunner.h"

namespace e2e {
namespace {

// The main window up and the program idle after showing it.
Started Settled(App app) {
    Started s;
    s.app = std::move(app);
    s.main = s.app.WaitMainWindow();
    if (!s.main) {
        return s;
    }
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | SYNCHRONIZE, FALSE, s.app.Id());
    if (process) {
        WaitForInputIdle(process, DefaultTimeoutMs());
        CloseHandle(process);
    }
    // Handled after the show that follows the first empty queue.
    SendTo(s.main, WM_NULL);
    return s;
}

} // namespace

Started StartProgram(const PhoneBook& book, const std::string& settingsText) {
    if (!settingsText.empty()) {
        CHECK_MSG(settings::Write(settingsText), "cannot write " + settings::Path());
    }
    return Settled(App::Start(book));
}

Started StartProgramReading(const std::string& phoneBookPath) {
    return Settled(App::StartReading(phoneBookPath));
}

Started StartShown(const PhoneBook& book, const std::string& settingsText) {
    Started s = StartProgram(book, settingsText);
    REQUIRE_MSG(s.main != nullptr, "the main window did not appear");
    return s;
}

bool ConnectAndWait(Started& s) {
    PressButton(Item(s.main, ids::kDial));
    return WaitHidden(s.main) && WaitUntil([&] { return TrayIconPresent(s.main); });
}

Started StartConnected(const std::string& settingsText) {
    Started s = StartShown(QuickConnectBook(), settingsText);
    REQUIRE_MSG(ConnectAndWait(s), "the connect step did not hide the window to the tray");
    return s;
}

Started StartHidden(const PhoneBook& book) {
    Started s = StartShown(book);
    HideToTray(s);
    return s;
}

} // namespace e2e
