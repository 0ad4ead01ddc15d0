// The remembered account and the chosen entry in section "Option".

#include "store/Options.h"

#include <gtest/gtest.h>

#include "store/IniDocument.h"
#include "tests/unit/store/RecordingStore.h"

namespace store {
namespace {

using testing::RecordingStore;

// Seals by XOR with a key of its user and a check byte, so another user's protector cannot
// open what this one sealed.
class XorProtector : public SecretProtector {
public:
    explicit XorProtector(char userKey) : key_(userKey) {}
    std::optional<std::string> Seal(const std::string& clear) const override {
        std::string sealed(1, key_);
        for (char c : clear) {
            sealed.push_back(static_cast<char>(c ^ key_));
        }
        return sealed;
    }
    std::optional<std::string> Open(const std::string& sealed) const override {
        if (sealed.empty() || sealed[0] != key_) {
            return std::nullopt;
        }
        std::string clear;
        for (std::size_t i = 1; i < sealed.size(); ++i) {
            clear.push_back(static_cast<char>(sealed[i] ^ key_));
        }
        return clear;
    }

private:
    char key_;
};

class FailingProtector : public SecretProtector {
public:
    std::optional<std::string> Seal(const std::string&) const override { return std::nullopt; }
    std::optional<std::string> Open(const std::string&) const override { return std::nullopt; }
};

class OptionsTest : public ::testing::Test {
protected:
    IniDocument settings;
    XorProtector protector{'\x5A'};
};

TEST(SaveFlagTest, OnlyTrueInAnyCaseCountsAsSet) {
    EXPECT_TRUE(IsSaveFlagSet("True"));
    EXPECT_TRUE(IsSaveFlagSet("true"));
    EXPECT_TRUE(IsSaveFlagSet("TRUE"));
    EXPECT_TRUE(IsSaveFlagSet("tRuE"));
    EXPECT_FALSE(IsSaveFlagSet("yes"));
    EXPECT_FALSE(IsSaveFlagSet("False"));
    EXPECT_FALSE(IsSaveFlagSet("1"));
    EXPECT_FALSE(IsSaveFlagSet(""));
    EXPECT_FALSE(IsSaveFlagSet("True "));
    EXPECT_FALSE(IsSaveFlagSet("Tru"));
    EXPECT_FALSE(IsSaveFlagSet("Truer"));
}

TEST_F(OptionsTest, NothingIsRestoredWithoutTheFlagAndPosIsNotRead) {
    for (const std::string& file :
         {std::string(), std::string("[Option]\r\nSaveUserPwd=yes\r\nPos=2\r\nUser=u\r\nPwd=p\r\n"),
          std::string("[Option]\r\nSaveUserPwd=False\r\nPos=2\r\nUser=u\r\n")}) {
        settings = IniDocument(file);
        RecordingStore recording(settings);
        const SavedAccount account = LoadSavedAccount(recording, protector);
        EXPECT_FALSE(account.restore);
        EXPECT_EQ(recording.calls, std::vector<std::string>{"read Option/SaveUserPwd 100"});
    }
}

TEST_F(OptionsTest, ASetFlagRestoresEntryUserAndPasswordInThatOrder) {
    settings = IniDocument("[Option]\r\nSaveUserPwd=TRUE\r\nUser=\xD5\xCB\xBA\xC5\r\nPos=3\r\n"
                           "Pwd=old clear\r\n");
    RecordingStore recording(settings);
    const SavedAccount account = LoadSavedAccount(recording, protector);
    EXPECT_TRUE(account.restore);
    EXPECT_EQ(account.entryIndex, 3);
    EXPECT_EQ(account.user, "\xD5\xCB\xBA\xC5");
    EXPECT_EQ(account.password, "old clear");
    ASSERT_GE(recording.calls.size(), 4u);
    EXPECT_EQ(recording.calls[0], "read Option/SaveUserPwd 100");
    EXPECT_EQ(recording.calls[1], "int Option/Pos");
    EXPECT_EQ(recording.calls[2], "read Option/User 100");
    EXPECT_EQ(recording.calls[3].substr(0, 15), "read Option/Pwd");
}

TEST_F(OptionsTest, ClearTextOfOlderFilesIsCutLikeTheTwoHundredCharacterRead) {
    const std::string longUser(150, 'u');
    const std::string longPassword(250, 'p');
    settings = IniDocument("[Option]\r\nSaveUserPwd=True\r\nUser=" + longUser + "\r\nPwd=\"" +
                           std::string(199, 'q') + "\"\r\n");
    SavedAccount account = LoadSavedAccount(settings, protector);
    EXPECT_EQ(account.user, longUser.substr(0, 99));
    // The 200-character read drops the closing quote after the cut, and with it the last q.
    EXPECT_EQ(account.password, std::string(198, 'q'));
    settings = IniDocument("[Option]\r\nSaveUserPwd=True\r\nPwd=" + longPassword + "\r\n");
    EXPECT_EQ(LoadSavedAccount(settings, protector).password, longPassword.substr(0, 199));
}

TEST_F(OptionsTest, RememberingWritesFlagUserThenSealedPassword) {
    RecordingStore recording(settings);
    RememberAccount(recording, protector, "user", "secret");
    ASSERT_EQ(recording.calls.size(), 3u);
    EXPECT_EQ(recording.calls[0], "write Option/SaveUserPwd=True");
    EXPECT_EQ(recording.calls[1], "write Option/User=user");
    EXPECT_EQ(recording.calls[2].substr(0, 25), "write Option/Pwd={sealed}");
    EXPECT_EQ(settings.Bytes().find("secret"), std::string::npos);

    const SavedAccount account = LoadSavedAccount(settings, protector);
    EXPECT_TRUE(account.restore);
    EXPECT_EQ(account.entryIndex, 0);
    EXPECT_EQ(account.user, "user");
    EXPECT_EQ(account.password, "secret");
}

TEST_F(OptionsTest, LongPasswordsAndCodePage936TextSurviveSealing) {
    const std::string password = std::string(300, 'x') + "\xC3\xDC\xC2\xEB \"'=;";
    RememberAccount(settings, protector, "\xD3\xC3\xBB\xA7", password);
    const SavedAccount account = LoadSavedAccount(settings, protector);
    EXPECT_EQ(account.user, "\xD3\xC3\xBB\xA7");
    EXPECT_EQ(account.password, password);
}

TEST_F(OptionsTest, ForgettingWritesFalseAndEmptiesInThatOrder) {
    RememberAccount(settings, protector, "user", "secret");
    RecordingStore recording(settings);
    ForgetAccount(recording);
    const std::vector<std::string> calls = {"write Option/SaveUserPwd=False",
                                            "write Option/User=", "write Option/Pwd="};
    EXPECT_EQ(recording.calls, calls);
    EXPECT_EQ(settings.Bytes(), "[Option]\r\nSaveUserPwd=False\r\nUser=\r\nPwd=\r\n");
    EXPECT_FALSE(LoadSavedAccount(settings, protector).restore);
}

TEST_F(OptionsTest, TheEntryIndexIsStoredAsADecimal) {
    StoreEntryIndex(settings, 12);
    StoreEntryIndex(settings, 4);
    EXPECT_EQ(settings.Bytes(), "[Option]\r\nPos=4\r\n");
    settings = IniDocument(settings.Bytes() + "SaveUserPwd=true\r\n");
    EXPECT_EQ(LoadSavedAccount(settings, protector).entryIndex, 4);
}

TEST_F(OptionsTest, APasswordThatCannotBeSealedLeavesNothingRemembered) {
    RememberAccount(settings, protector, "user", "secret");
    RecordingStore recording(settings);
    EXPECT_FALSE(RememberAccount(recording, FailingProtector(), "user", "secret"));
    EXPECT_EQ(recording.calls,
              (std::vector<std::string>{"write Option/SaveUserPwd=False",
                                        "write Option/User=", "write Option/Pwd="}));
    EXPECT_FALSE(LoadSavedAccount(settings, protector).restore);
    // An empty password is the user's own and needs no sealing.
    EXPECT_TRUE(RememberAccount(settings, FailingProtector(), "user", ""));
    EXPECT_TRUE(LoadSavedAccount(settings, protector).restore);
}

TEST_F(OptionsTest, AStoredPasswordThisUserCannotOpenIsMarkedUnreadable) {
    const std::string mine = EncodeStoredPassword(protector, "secret");
    const std::string someoneElses = EncodeStoredPassword(XorProtector('\x22'), "secret");
    struct Row {
        std::string stored;
        std::string password;
        bool unreadable;
    };
    const Row rows[] = {
        {mine, "secret", false},  {"old clear", "old clear", false}, {"", "", false},
        {someoneElses, "", true}, {"{sealed}11zz", "", true},        {"{sealed}", "", true},
    };
    for (const Row& row : rows) {
        settings =
            IniDocument("[Option]\r\nSaveUserPwd=True\r\nUser=user\r\nPwd=" + row.stored + "\r\n");
        const SavedAccount account = LoadSavedAccount(settings, protector);
        EXPECT_TRUE(account.restore) << row.stored;
        EXPECT_EQ(account.user, "user") << row.stored;
        EXPECT_EQ(account.password, row.password) << row.stored;
        EXPECT_EQ(account.passwordUnreadable, row.unreadable) << row.stored;
    }
}

TEST(StoredPasswordTest, EmptyPasswordsAndFailedSealingStoreNothing) {
    const XorProtector protector('\x11');
    EXPECT_EQ(EncodeStoredPassword(protector, ""), "");
    EXPECT_EQ(EncodeStoredPassword(FailingProtector(), "secret"), "");
}

TEST(StoredPasswordTest, SealedValuesAreMarkedHex) {
    const XorProtector protector('\x11');
    EXPECT_EQ(EncodeStoredPassword(protector, "ab"), "{sealed}117073");
    EXPECT_EQ(DecodeStoredPassword(protector, "{sealed}117073"), "ab");
    EXPECT_EQ(DecodeStoredPassword(protector, "{sealed}11A0B3"),
              DecodeStoredPassword(protector, "{sealed}11a0b3"));
}

TEST(StoredPasswordTest, UnopenableSealedValuesGiveNothingAndClearTextStaysAsItIs) {
    const XorProtector mine('\x11');
    const XorProtector someoneElse('\x22');
    const std::string stored = EncodeStoredPassword(mine, "secret");
    EXPECT_EQ(DecodeStoredPassword(someoneElse, stored), "");
    EXPECT_EQ(DecodeStoredPassword(FailingProtector(), stored), "");
    EXPECT_EQ(DecodeStoredPassword(mine, "{sealed}117"), "");  // odd length
    EXPECT_EQ(DecodeStoredPassword(mine, "{sealed}11zz"), ""); // not hex
    EXPECT_EQ(DecodeStoredPassword(mine, "{sealed}"), "");
    EXPECT_EQ(DecodeStoredPassword(mine, "plain password"), "plain password");
    EXPECT_EQ(DecodeStoredPassword(mine, "{seal}1170"), "{seal}1170");
    EXPECT_EQ(DecodeStoredPassword(mine, ""), "");
}

} // namespace
} // namespace store
