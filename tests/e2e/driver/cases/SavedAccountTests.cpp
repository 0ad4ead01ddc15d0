// The remembered account: what start-up restores from the settings file, and what the save
// box and the choice of entry write there.

#include "probes/AppProcess.h"
#include "probes/MainWindowView.h"
#include "probes/SettingsFile.h"
#include "probes/WindowProbe.h"
#include "steps/Steps.h"
#include "TestRunner.h"

namespace {

using namespace e2e;

const PhoneBook kThreeEntries{{"b", "a", "c"}, ""}; // listed a, b, c

std::string OptionFile(const std::string& flag, const std::string& user,
                       const std::string& password, const std::string& pos) {
    return "[Option]\nSaveUserPwd=" + flag + "\nUser=" + user + "\nPwd=" + password +
           "\nPos=" + pos + "\n";
}

std::string Option(const char* key) {
    return settings::Value("Option", key).value_or("(missing)");
}

// Waits until the file's [Option] section has the value; the program writes on its own
// thread after our click arrived.
bool WaitOption(const char* key, const std::string& value) {
    return WaitUntil([&] { return settings::Stored("Option", key) == value; });
}

bool WaitOptionFilled(const char* key) {
    return WaitUntil([&] { return !settings::Stored("Option", key).value_or("").empty(); });
}

// Types the account into the fields and ticks the save box; returns once the file holds it.
void TypeAndSave(const Started& s, const std::string& user, const std::string& password) {
    REQUIRE(TypeAccount(s.main, user, password));
    ClickControl(Item(s.main, ids::kSaveBox));
    REQUIRE_MSG(WaitOption("SaveUserPwd", "True"), "the flag was not written");
    REQUIRE_MSG(WaitOptionFilled("Pwd"), "the password was not written");
}

// The program ended and started again, as a user does on the next day: what it shows then.
MainWindowState Restarted(Started& s) {
    s.app.Kill();
    s = StartShown(kThreeEntries);
    return ReadMainWindow(s.main);
}

void CheckNothingRestored(const MainWindowState& state, const std::string& context) {
    CHECK_MSG(state.saveBox == BST_UNCHECKED, context + ": box ticked");
    CHECK_MSG(state.selection == 0, context + ": selection " + std::to_string(state.selection));
    CHECK_MSG(state.user.empty(), context + ": account " + Describe(state.user));
    CHECK_MSG(state.password.empty(), context + ": password " + Describe(state.password));
}

} // namespace

E2E_TEST(SavedAccount, TrueInAnyCaseRestoresBoxEntryAndTexts) {
    for (const char* flag : {"True", "true", "TRUE", "tRUE"}) {
        Started s = StartShown(kThreeEntries, OptionFile(flag, "alice", "secret", "2"));
        const MainWindowState state = ReadMainWindow(s.main);
        const std::string context = std::string("SaveUserPwd=") + flag;
        CHECK_MSG(state.saveBox == BST_CHECKED, context + ": box clear");
        CHECK_MSG(state.selection == 2 && state.entryText == "c",
                  context + ": entry " + Describe(state.entryText));
        CHECK_MSG(state.user == "alice", context + ": account " + Describe(state.user));
        // A password in clear text, as older files have it, is taken as it stands.
        CHECK_MSG(state.password == "secret", context + ": password " + Describe(state.password));
    }
}

E2E_TEST(SavedAccount, AnyOtherFlagRestoresNothing) {
    for (const char* flag : {"yes", "1", "False", "", "Truee"}) {
        Started s = StartShown(kThreeEntries, OptionFile(flag, "alice", "secret", "2"));
        CheckNothingRestored(ReadMainWindow(s.main), std::string("SaveUserPwd=") + flag);
    }
}

E2E_TEST(SavedAccount, PositionBeyondTheListLeavesNoSelection) {
    for (const char* pos : {"3", "7"}) {
        Started s = StartShown(kThreeEntries, OptionFile("True", "alice", "secret", pos));
        const MainWindowState state = ReadMainWindow(s.main);
        const std::string context = std::string("Pos=") + pos;
        CHECK_MSG(state.selection == -1,
                  context + ": selection " + std::to_string(state.selection));
        CHECK_MSG(state.entryText.empty(), context + ": shows " + Describe(state.entryText));
        CHECK_MSG(state.saveBox == BST_CHECKED && state.user == "alice",
                  context + ": the rest was not restored");
    }
}

E2E_TEST(SavedAccount, TickingStoresTheTextsOfThatMomentWithThePasswordSealed) {
    Started s = StartShown(kThreeEntries);
    TypeAndSave(s, "alice", "Pa55-word");
    CHECK_EQ(CheckState(Item(s.main, ids::kSaveBox)), BST_CHECKED);
    CHECK_EQ(Option("SaveUserPwd"), "True");
    CHECK_EQ(Option("User"), "alice");
    // Sealed: a marker, then the sealed bytes in hex; the password is nowhere in the file,
    // neither as typed nor merely hex-encoded.
    const std::string stored = Option("Pwd");
    const size_t markerEnd = stored.find_last_not_of("0123456789abcdefABCDEF") + 1;
    const size_t hexDigits = stored.size() - markerEnd;
    CHECK_MSG(markerEnd > 0 && hexDigits >= 64 && hexDigits % 2 == 0,
              "not a marker followed by sealed bytes in hex: " + Describe(stored));
    const std::string file = settings::Bytes();
    for (const std::string& form : {std::string("Pa55-word"), std::string("506135352d776f7264"),
                                    std::string("506135352D776F7264")}) {
        CHECK_MSG(file.find(form) == std::string::npos,
                  "the password is in the file as " + Describe(form));
    }

    // Typing afterwards changes nothing stored.
    const std::string before = settings::Bytes();
    PressKey(Item(s.main, ids::kUser), VK_END);
    TypeText(Item(s.main, ids::kUser), "-more");
    REQUIRE(WaitUntil([&] { return WindowText(Item(s.main, ids::kUser)) == "alice-more"; }));
    CHECK_EQ(settings::Bytes(), before);

    // The next start gives back what was stored when the box was ticked.
    const MainWindowState state = Restarted(s);
    CHECK_EQ(state.saveBox, BST_CHECKED);
    CHECK_EQ(state.user, "alice");
    CHECK_EQ(state.password, "Pa55-word");
    CHECK_EQ(state.selection, 0);
}

E2E_TEST(SavedAccount, ChineseAccountNameRoundTrips) {
    Started s = StartShown(kThreeEntries);
    TypeAndSave(s, "张三@宽带", "密码123");
    REQUIRE(WaitOption("User", "张三@宽带"));

    const MainWindowState state = Restarted(s);
    CHECK_EQ(state.user, "张三@宽带");
    CHECK_EQ(state.password, "密码123");
}

E2E_TEST(SavedAccount, ClearingTheBoxForgetsTheAccount) {
    Started s = StartShown(kThreeEntries, OptionFile("True", "alice", "secret", "1"));
    REQUIRE_EQ(CheckState(Item(s.main, ids::kSaveBox)), BST_CHECKED);

    ClickControl(Item(s.main, ids::kSaveBox));
    REQUIRE_MSG(WaitOption("SaveUserPwd", "False"), "the flag was not cleared");
    REQUIRE(WaitOption("Pwd", ""));
    CHECK_EQ(CheckState(Item(s.main, ids::kSaveBox)), BST_UNCHECKED);
    CHECK_EQ(Option("SaveUserPwd"), "False");
    CHECK_EQ(Option("User"), "");
    CHECK_EQ(Option("Pwd"), "");
    CHECK_EQ(Option("Pos"), "1");
    // The fields keep what they show.
    const MainWindowState state = ReadMainWindow(s.main);
    CHECK_EQ(state.user, "alice");
    CHECK_EQ(state.password, "secret");
    CHECK_EQ(state.selection, 1);

    CheckNothingRestored(Restarted(s), "after clearing");
}

E2E_TEST(SavedAccount, ChoosingAnotherEntryForgetsTheAccountAndStoresThePosition) {
    Started s = StartShown(kThreeEntries, OptionFile("True", "alice", "secret", "0"));
    REQUIRE_EQ(CheckState(Item(s.main, ids::kSaveBox)), BST_CHECKED);

    REQUIRE(ChooseComboItem(s.main, ids::kEntry, 2));
    REQUIRE_MSG(WaitOption("Pos", "2"), "the position was not written");
    CHECK_EQ(Option("SaveUserPwd"), "False");
    CHECK_EQ(Option("User"), "");
    CHECK_EQ(Option("Pwd"), "");
    MainWindowState state = ReadMainWindow(s.main);
    CHECK_EQ(state.saveBox, BST_UNCHECKED);
    CHECK_EQ(state.user, "alice");
    CHECK_EQ(state.password, "secret");
    CHECK_EQ(state.entryText, "c");

    // The keyboard's way: Up in the closed list picks the entry above.
    PressKey(Item(s.main, ids::kEntry), VK_UP);
    CHECK_MSG(WaitOption("Pos", "1"), "Up in the list did not store the position");
    CHECK_EQ(ReadMainWindow(s.main).entryText, "b");

    // Not restored at the next start: the flag is off, so the position is not read.
    CheckNothingRestored(Restarted(s), "after choosing an entry");
}

E2E_TEST(SavedAccount, TickingAfterChoosingAnEntryRemembersThatEntry) {
    Started s = StartShown(kThreeEntries);
    REQUIRE(ChooseComboItem(s.main, ids::kEntry, 1));
    REQUIRE(WaitOption("Pos", "1"));
    TypeAndSave(s, "bob", "hunter2");

    const MainWindowState state = Restarted(s);
    CHECK_EQ(state.saveBox, BST_CHECKED);
    CHECK_EQ(state.entryText, "b");
    CHECK_EQ(state.user, "bob");
    CHECK_EQ(state.password, "hunter2");
}

// A settings file from another user or computer: the sealed password cannot be opened here.
E2E_TEST(SavedAccount, PasswordThatCannotBeOpenedIsToldOnceAndNotShownAsRemembered) {
    REQUIRE(settings::Write(OptionFile("True", "alice", "{sealed}00ff", "1")));
    const std::string before = settings::Bytes();
    App app = App::Start(kThreeEntries);
    const std::optional<MessageBoxView> box = app.WaitMessageBox();
    REQUIRE_MSG(box.has_value(), "nothing said of the password");
    CHECK_EQ(box->caption, texts::kNotice);
    CHECK_EQ(box->icon, BoxIcon::Information);
    CHECK_EQ(box->buttons, std::vector<int>{IDOK});
    CHECK_MSG(box->text.find("无法解密") != std::string::npos, "notice " + Describe(box->text));
    REQUIRE(AnswerMessageBox(box->window, IDOK));
    HWND main = app.WaitMainWindow();
    REQUIRE(main != nullptr);
    CHECK(!app.WaitMessageBox(0).has_value());
    const MainWindowState state = ReadMainWindow(main);
    CHECK_MSG(state.saveBox == BST_UNCHECKED, "the box is ticked over an empty password");
    CHECK_EQ(state.user, "alice");
    CHECK_EQ(state.selection, 1);
    CHECK(state.password.empty());
    // Left for the user whose password it is.
    CHECK_EQ(settings::Bytes(), before);
}
