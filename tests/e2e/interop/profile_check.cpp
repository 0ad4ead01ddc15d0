// The Win32 side of the interop check: the same writes and reads as ini_tool, through the
// platform's private-profile calls and through the program's own settings file; a writer to
// be killed; and a round trip through the platform's data protection.

#include <fcntl.h>
#include <io.h>

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "store/ConnectionRecord.h"
#include "store/DataProtection_win.h"
#include "store/Options.h"
#include "tests/e2e/interop/PrivateProfileStore.h"
#include "store/SettingsFile.h"
#include "tests/e2e/interop/InteropCases.h"

namespace {

int CheckSealing() {
    const store::DataProtection protection;
    const std::string password = "p\xC3\xDC\xC2\xEB \"'=;" + std::string(100, 'x');
    const std::string stored = store::EncodeStoredPassword(protection, password);
    if (stored.rfind("{sealed}", 0) != 0 || stored.find("p\xC3\xDC") != std::string::npos) {
        std::printf("sealing gave %s\n", stored.c_str());
        return 1;
    }
    if (store::DecodeStoredPassword(protection, stored) != password) {
        std::printf("the sealed password did not open\n");
        return 1;
    }
    std::string damaged = stored;
    damaged[damaged.size() / 2] = damaged[damaged.size() / 2] == '0' ? '1' : '0';
    if (!store::DecodeStoredPassword(protection, damaged).empty()) {
        std::printf("a damaged sealed password opened\n");
        return 1;
    }
    return 0;
}

DWORD WINAPI ReleaseLater(LPVOID file) {
    Sleep(300);
    CloseHandle(static_cast<HANDLE>(file));
    return 0;
}

// Appends a record while this process holds the file open, without sharing its deletion, for
// a moment: the write must wait for the file instead of failing.
int AppendWhileHeld(const char* path) {
    HANDLE held = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (held == INVALID_HANDLE_VALUE) {
        std::printf("could not open the file\n");
        return 1;
    }
    HANDLE release = CreateThread(nullptr, 0, ReleaseLater, held, 0, nullptr);
    store::SettingsFile settings(store::SystemFileBytes(), path);
    const store::AppendedRecord record =
        store::AppendConnectionRecord(settings, {2003, 9, 3, 15, 9, 51}, 60);
    WaitForSingleObject(release, INFINITE);
    CloseHandle(release);
    std::printf("%s\n", record.written ? "appended" : "not appended");
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    _setmode(_fileno(stdout), _O_BINARY);
    if (argc == 2 && std::strcmp(argv[1], "seal") == 0) {
        return CheckSealing();
    }
    if (argc == 3 && std::strcmp(argv[1], "write") == 0) {
        store::PrivateProfileStore settings(argv[2]);
        interop::WriteCases(settings);
        return 0;
    }
    if (argc == 3 && std::strcmp(argv[1], "dump") == 0) {
        const std::string dump = interop::DumpCases(store::PrivateProfileStore(argv[2]));
        std::fwrite(dump.data(), 1, dump.size(), stdout);
        return 0;
    }
    if (argc == 3 && std::strcmp(argv[1], "program-write") == 0) {
        store::SettingsFile settings(store::SystemFileBytes(), argv[2]);
        interop::WriteCases(settings);
        return 0;
    }
    if (argc == 3 && std::strcmp(argv[1], "program-append") == 0) {
        store::SettingsFile settings(store::SystemFileBytes(), argv[2]);
        const char* states[] = {"readable", "too large", "unreadable"};
        const store::AppendedRecord record =
            store::AppendConnectionRecord(settings, {2003, 9, 3, 15, 9, 51}, 60);
        std::printf("%s, %s\n", states[static_cast<int>(settings.State())],
                    record.written ? "appended" : "not appended");
        return 0;
    }
    if (argc == 3 && std::strcmp(argv[1], "held-append") == 0) {
        return AppendWhileHeld(argv[2]);
    }
    if (argc == 3 && std::strcmp(argv[1], "append-loop") == 0) {
        store::SettingsFile settings(store::SystemFileBytes(), argv[2]);
        interop::AppendLoop(settings);
    }
    std::fprintf(stderr, "usage: profile_check write FILE | dump FILE | program-write FILE | "
                         "program-append FILE | held-append FILE | append-loop FILE | seal\n");
    return 2;
}
