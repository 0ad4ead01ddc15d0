// Entry of the end-to-end driver. Normally started by tests/e2e/run.sh, which provides the
// desktop (E2E_DESKTOP), the screenshot folder (E2E_SHOT_DIR) and the case folders
// (E2E_WORK_DIR).

#include "probes/AppProcess.h"
#include "probes/Desktop.h"
#include "probes/Screenshot.h"
#include "probes/SettingsFile.h"
#include "steps/StartSteps.h"
#include "TestRunner.h"
#include "Text.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>

namespace {

// Started by the shell script as the virtual desktop's first program: the desktop lasts as
// long as a program of its own runs, and this one runs until the script ends the session.
int KeepDesktop() {
    for (;;) {
        Sleep(INFINITE);
    }
}

void RegisterIsolation() {
    auto& registry = e2e::Registry::Instance();
    registry.AddBeforeEach([] {
        CHECK_MSG(e2e::KillStrayCopies(), "a copy of the program from before is still there");
        CHECK_MSG(e2e::settings::Remove(), "cannot remove " + e2e::settings::Path());
    });
    registry.AddAfterEach([] {
        CHECK_MSG(e2e::RunningCopies().empty() || e2e::KillStrayCopies(),
                  "cannot end the copies of the program this case left");
    });
    // A hung case mostly waits on a program of its own: ending them lets the case return.
    registry.AddOnHang([] { e2e::KillStrayCopies(); });
}

// Every run leaves a picture of the main window, also when the cases chosen took none.
void EnsureMainWindowPicture() {
    const std::string folder = e2e::GetEnv("E2E_SHOT_DIR");
    if (folder.empty() || e2e::FileExists(e2e::JoinPath(folder, "main-window.png"))) {
        return;
    }
    e2e::KillStrayCopies();
    e2e::settings::Remove();
    const e2e::Started s = e2e::StartProgram();
    if (!s.main || e2e::TakeScreenshot("main-window", s.main).empty()) {
        std::printf("note: no picture of the main window was taken\n");
    }
}

} // namespace

int main(int argc, char** argv) {
    // The texts are GBK; keep "\n" as it is so the shell sees plain lines.
    _setmode(_fileno(stdout), _O_BINARY);
    std::vector<std::string> args(argv + 1, argv + argc);
    for (const auto& arg : args) {
        if (arg == "--keep-desktop") {
            return KeepDesktop();
        }
        if (arg == "--list" || arg == "--help" || arg == "-h") {
            return e2e::RunTests(args);
        }
    }

    const std::string desktop = e2e::GetEnv("E2E_DESKTOP");
    if (desktop.empty()) {
        std::printf("E2E_DESKTOP is not set: run the driver through tests/e2e/run.sh\n");
        return 2;
    }
    if (!e2e::JoinDesktop(desktop, e2e::ScaledMs(30000))) {
        std::printf("cannot join the desktop %s (error %lu)\n", desktop.c_str(), GetLastError());
        return 2;
    }
    if (!e2e::FileExists(e2e::AppPath())) {
        std::printf("the program %s is missing\n", e2e::AppPath().c_str());
        return 2;
    }
    std::printf("program:  %s\nsettings: %s\n", e2e::AppPath().c_str(),
                e2e::settings::Path().c_str());
    std::fflush(stdout);
    RegisterIsolation();
    const int result = e2e::RunTests(args);
    EnsureMainWindowPicture();
    return result;
}
