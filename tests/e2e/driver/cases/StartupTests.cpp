// Start-up: the entry list, the notice when there is no dial-up entry, and the single-copy
// guard.

#include "probes/AppProcess.h"
#include "probes/MainWindowView.h"
#include "probes/PlantedDll.h"
#include "probes/Screenshot.h"
#include "probes/SettingsFile.h"
#include "probes/WindowProbe.h"
#include "steps/Steps.h"
#include "TestRunner.h"

namespace {

using namespace e2e;

const PhoneBook kThreeEntries{{"b", "a", "c"}, ""};

// Main windows shown by any of the copies.
int MainWindowCount(const std::vector<const App*>& apps) {
    int count = 0;
    for (const App* app : apps) {
        count += app->MainWindow() != nullptr ? 1 : 0;
    }
    return count;
}

void CheckNoEntriesNotice(const App& app, const std::string& screenshot) {
    const auto box = app.WaitMessageBox();
    REQUIRE_MSG(box.has_value(), "no message box appeared");
    TakeScreenshot(screenshot, box->window);
    CHECK_EQ(box->caption, texts::kNotice);
    CHECK_EQ(box->text, texts::kNoEntries);
    CHECK_EQ(box->icon, BoxIcon::Information);
    CHECK_EQ(box->buttons, std::vector<int>{IDOK});
    // The main window is never shown, and nothing has been written.
    CHECK(app.MainWindow() == nullptr);
    CHECK(!settings::Exists());

    REQUIRE(AnswerMessageBox(box->window, IDOK));
    CHECK_EQ(app.WaitExit(), std::optional<DWORD>(1));
    CHECK(!settings::Exists());
}

} // namespace

E2E_TEST(Startup, ListsEntriesSortedWithTheFirstSelected) {
    Started s = StartShown(kThreeEntries);
    const MainWindowState state = ReadMainWindow(s.main);
    CHECK_EQ(state.entries, (std::vector<std::string>{"a", "b", "c"}));
    CHECK_EQ(state.selection, 0);
    CHECK_EQ(state.entryText, "a");
}

E2E_TEST(Startup, ListsNamesWithChineseTextAndSpaces) {
    Started s = StartShown(PhoneBook{{"宽带 连接", "我的连接", "ADSL"}, ""});
    const MainWindowState state = ReadMainWindow(s.main);
    REQUIRE_EQ(state.entries.size(), 3u);
    // Sorted by the list's own comparison; every name appears once, whole.
    CHECK_EQ(state.entries[0], "ADSL");
    std::vector<std::string> rest{state.entries[1], state.entries[2]};
    CHECK_MSG(rest == (std::vector<std::string>{"宽带 连接", "我的连接"}) ||
                  rest == (std::vector<std::string>{"我的连接", "宽带 连接"}),
              "listed " + Describe(state.entries));
    CHECK_EQ(state.entryText, state.entries[0]);
}

E2E_TEST(Startup, WithoutSettingsFileNothingIsRestoredOrWritten) {
    Started s = StartShown(kThreeEntries);
    const MainWindowState state = ReadMainWindow(s.main);
    CHECK_EQ(state.saveBox, BST_UNCHECKED);
    CHECK_EQ(state.user, "");
    CHECK_EQ(state.password, "");
    CHECK_EQ(state.selection, 0);

    REQUIRE_MSG(s.app.EndWithCloseBox(), "the close box did not end the program");
    CHECK_MSG(!settings::Exists(), "a run without any choice made must not create the file");
}

// A power cut in the middle of a replace on FAT32 leaves only the temporary file: the start
// makes it the settings file again instead of truncating it with its first write.
E2E_TEST(Startup, AMissingFileComesBackFromTheTemporaryFileOfACutReplace) {
    const std::string text = "[Memory]\r\nMaxDataNumber=1\r\n[Data]\r\n"
                             "data[1]=2003-9-3,3725@15:9:51\r\n";
    const std::string temporary = settings::Path() + ".tmp";
    REQUIRE(settings::Write(text));
    REQUIRE(MoveFileExA(settings::Path().c_str(), temporary.c_str(), MOVEFILE_REPLACE_EXISTING));
    Started s = StartShown(kThreeEntries);
    REQUIRE(s.main != nullptr);
    CHECK_EQ(settings::Bytes(), text);
    CHECK_MSG(GetFileAttributesA(temporary.c_str()) == INVALID_FILE_ATTRIBUTES,
              "the temporary file is still there");
    REQUIRE(s.app.EndWithCloseBox());
}

E2E_TEST(Startup, NoPhoneBookShowsTheNoticeAndEndsWithCode1) {
    App app = App::Start(std::nullopt);
    CheckNoEntriesNotice(app, "no-entries-notice");
}

E2E_TEST(Startup, EmptyPhoneBookShowsTheNoticeAndEndsWithCode1) {
    App app = App::Start(PhoneBook{});
    CheckNoEntriesNotice(app, "no-entries-notice-empty-book");
}

E2E_TEST(Startup, SecondCopyShowsTheMessageAndEndsLeavingTheFirst) {
    Started first = StartShown(kThreeEntries);

    App second = App::Start(kThreeEntries);
    const auto box = second.WaitMessageBox();
    REQUIRE_MSG(box.has_value(), "the second copy showed no message");
    TakeScreenshot("second-copy-message", box->window);
    CHECK_EQ(box->text, texts::kAlreadyRunning);
    CHECK_EQ(box->buttons, std::vector<int>{IDOK});
    CHECK(second.MainWindow() == nullptr);
    CHECK_EQ(RunningCopies().size(), 2u);

    REQUIRE(AnswerMessageBox(box->window, IDOK));
    CHECK(second.WaitExit().has_value());
    // The first copy is undisturbed.
    CHECK(first.app.Running());
    CHECK(first.app.MainWindow() == first.main);
    const std::vector<DWORD> onlyFirst{first.app.Id()};
    WaitUntil([&] { return RunningCopies() == onlyFirst; });
    CHECK_EQ(RunningCopies(), onlyFirst);
}

E2E_TEST(Startup, StartsAgainAfterTheFirstCopyWasKilled) {
    Started first = StartShown(kThreeEntries);
    first.app.Kill();
    REQUIRE(!first.app.Running());
    // The name goes away with its last handle, shortly after the process.
    REQUIRE_MSG(WaitUntil([] { return !MutexExists(); }), "the single-copy name stayed");

    Started again = StartProgram(kThreeEntries);
    CHECK_MSG(again.main != nullptr, "the new copy did not show its window");
    CHECK(!again.app.WaitMessageBox(0).has_value());
}

E2E_TEST(Startup, StartsAgainAfterTheFirstCopyEnded) {
    Started first = StartShown(kThreeEntries);
    REQUIRE_MSG(first.app.EndWithCloseBox(), "the close box did not end the program");

    Started again = StartProgram(kThreeEntries);
    CHECK_MSG(again.main != nullptr, "the new copy did not show its window");
    CHECK(again.app.MainWindow() != nullptr && !again.app.WaitMessageBox(0).has_value());
}

E2E_TEST(Startup, RefusedCopyKeepsTheNameWhileItsMessageIsOpen) {
    Started first = StartShown(kThreeEntries);
    App second = App::Start(kThreeEntries);
    const auto box = second.WaitMessageBox();
    REQUIRE(box.has_value());

    first.app.Kill();
    // The refused copy still holds the name it opened, so a third copy is refused too.
    App third = App::Start(kThreeEntries);
    const auto thirdBox = third.WaitMessageBox();
    CHECK_MSG(thirdBox.has_value(), "the third copy did not show the message");
    CHECK(third.MainWindow() == nullptr);
    if (thirdBox) {
        CHECK_EQ(thirdBox->text, texts::kAlreadyRunning);
    }
}

E2E_TEST(Startup, TwoCopiesStartedTogetherLeaveOneWindow) {
    // The race is short; several rounds make a lost race likely to show.
    for (int round = 0; round < 4; ++round) {
        App one = App::Start(kThreeEntries, true);
        App two = App::Start(kThreeEntries, true);
        REQUIRE(one.Started() && two.Started());
        one.Resume();
        two.Resume();

        std::optional<MessageBoxView> refused;
        const App* winner = nullptr;
        const App* loser = nullptr;
        const bool settled = WaitUntil([&] {
            for (const auto& [candidate, other] : {std::pair{&one, &two}, std::pair{&two, &one}}) {
                if (candidate->MainWindow() != nullptr) {
                    refused = other->WaitMessageBox(0);
                    if (refused) {
                        winner = candidate;
                        loser = other;
                        return true;
                    }
                }
            }
            return false;
        });
        REQUIRE_MSG(settled, "round " + std::to_string(round) + ": main windows " +
                                 std::to_string(MainWindowCount({&one, &two})));
        CHECK_EQ(refused->text, texts::kAlreadyRunning);
        CHECK_EQ(MainWindowCount({&one, &two}), 1);
        REQUIRE(AnswerMessageBox(refused->window, IDOK));
        CHECK(loser->WaitExit().has_value());
        CHECK(winner->Running());
        CHECK_EQ(MainWindowCount({&one, &two}), 1);
        // Both end before the next round starts.
        one.Kill();
        two.Kill();
        REQUIRE(WaitUntil([] { return !MutexExists(); }));
    }
}

// A rasapi32.dll in the program's folder (a Downloads folder the portable zip was unpacked into)
// is not loaded: the entries come from the system's service.
E2E_TEST(Startup, ARasDllBesideTheProgramIsNotLoaded) {
    const std::string program = JoinPath(CaseFolder(), "kelvorin.exe");
    const std::string planted = JoinPath(CaseFolder(), "rasapi32.dll");
    REQUIRE(CopyFileA(AppPath().c_str(), program.c_str(), FALSE));
    REQUIRE(CopyFileA(JoinPath(DriverFolder(), kPlantedRasDll).c_str(), planted.c_str(), FALSE));
    App app = App::StartCopy(program, OneEntryBook());
    const std::string loaded = planted + kLoadedMarkerSuffix;
    WaitUntil([&] { return app.MainWindow() != nullptr || FileExists(loaded) || !app.Running(); });
    REQUIRE_MSG(!FileExists(loaded), "the rasapi32.dll beside the program was loaded");
    HWND main = app.WaitMainWindow();
    REQUIRE_MSG(main != nullptr, "no main window");
    CHECK_EQ(ReadMainWindow(main).entries, std::vector<std::string>{kEntryName});
}
