// The native side of the interop check: writes, dumps and lays out settings files with
// store::SettingsFile (see run.sh).

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "store/SettingsFile.h"
#include "tests/e2e/interop/InteropCases.h"

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "fixtures") == 0) {
        for (const auto& [name, bytes] : interop::Fixtures()) {
            std::printf("%s\n", name.c_str());
        }
        return 0;
    }
    if (argc == 4 && std::strcmp(argv[1], "fixture") == 0) {
        for (const auto& [name, bytes] : interop::Fixtures()) {
            if (name == argv[2]) {
                std::ofstream out(argv[3], std::ios::binary | std::ios::trunc);
                out << bytes;
                return out ? 0 : 1;
            }
        }
        std::fprintf(stderr, "no fixture %s\n", argv[2]);
        return 2;
    }
    if (argc == 3 && std::strcmp(argv[1], "write") == 0) {
        store::SettingsFile settings(store::SystemFileBytes(), argv[2]);
        interop::WriteCases(settings);
        return 0;
    }
    if (argc == 3 && std::strcmp(argv[1], "dump") == 0) {
        const std::string dump =
            interop::DumpCases(store::SettingsFile(store::SystemFileBytes(), argv[2]));
        std::fwrite(dump.data(), 1, dump.size(), stdout);
        return 0;
    }
    if (argc == 4 && std::strcmp(argv[1], "records") == 0) {
        std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
        out << interop::FileWithRecords(std::atoi(argv[3]));
        return out ? 0 : 1;
    }
    if (argc == 3 && std::strcmp(argv[1], "check-appended") == 0) {
        int missing = 0;
        const std::string fault = interop::CheckAppended(
            store::SettingsFile(store::SystemFileBytes(), argv[2]), &missing);
        if (!fault.empty()) {
            std::printf("%s\n", fault.c_str());
            return 1;
        }
        std::printf("%d\n", missing);
        return 0;
    }
    std::fprintf(stderr, "usage: ini_tool fixtures | fixture NAME FILE | write FILE | dump FILE | "
                         "records FILE COUNT | check-appended FILE (prints the keys missing)\n");
    return 2;
}
