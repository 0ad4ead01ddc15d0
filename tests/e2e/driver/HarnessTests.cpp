// Checks of the driver's own tools where a fault would make other cases pass wrongly.

#include "SettingsFile.h"
#include "TestRunner.h"
#include "Text.h"

#include <windows.h>

namespace {

using namespace e2e;

FILETIME WriteTime(const std::string& path) {
    FILETIME written{};
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        GetFileTime(file, nullptr, nullptr, &written);
        CloseHandle(file);
    }
    return written;
}

void SetWriteTime(const std::string& path, const FILETIME& written) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        SetFileTime(file, nullptr, nullptr, &written);
        CloseHandle(file);
    }
}

} // namespace

E2E_TEST(Harness, SettingsReaderSeesAChangeThatKeptTheFileTime) {
    REQUIRE(settings::Write("[Option]\nUser=first\n"));
    REQUIRE_EQ(settings::Value("Option", "User"), std::optional<std::string>("first"));
    const FILETIME before = WriteTime(settings::Path());

    // Same size, same time: only a reader without a stale cache sees the new text.
    REQUIRE(settings::Write("[Option]\nUser=other\n"));
    SetWriteTime(settings::Path(), before);
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
