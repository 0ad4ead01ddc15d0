// Checks of the driver's own tools where a fault would make other cases pass wrongly.

#include "probes/SettingsFile.h"
#include "TestRunner.h"
#include "Text.h"

using namespace e2e;

E2E_TEST(Harness, SettingsReaderSeesAChangeThatKeptTheFileTime) {
    REQUIRE(settings::Write("[Option]\nUser=first\n"));
    REQUIRE_EQ(settings::Value("Option", "User"), std::optional<std::string>("first"));
    const FILETIME before = settings::WriteTime();

    // Same size, same time: only a reader without a stale cache sees the new text.
    REQUIRE(settings::Write("[Option]\nUser=other\n"));
    REQUIRE(settings::SetWriteTime(before));
    CHECK_EQ(settings::Value("Option", "User"), std::optional<std::string>("other"));
    CHECK_EQ(settings::Value("Option", "Pwd"), std::optional<std::string>());

    REQUIRE(settings::Remove());
    CHECK_EQ(settings::Value("Option", "User"), std::optional<std::string>());
    CHECK_MSG(!settings::Exists(), "reading created the file");
}

E2E_TEST(Harness, OwnSettingsReaderAgreesWithThePlatform) {
    const std::string text = "[Memory]\nUser=wrong section\n[option]\n  user = 张三 \n"
                             "USER=second\nPwd=\nPos=2\n";
    REQUIRE(settings::Write(text));
    const std::string bytes = settings::Bytes();
    for (const char* key : {"User", "Pwd", "Pos", "SaveUserPwd"}) {
        CHECK_EQ(settings::ValueInText(bytes, "Option", key), settings::Value("Option", key));
    }
    CHECK_EQ(settings::ValueInText(bytes, "Option", "User"), std::optional<std::string>("张三"));
}
