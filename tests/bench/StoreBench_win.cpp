// Times the settings file's work with many records under the platform, before and after the
// program's own reader and writer: a hang-up's reads and writes, a confirmed reset, and
// reading every record. "Before" is the platform's private-profile calls, as the program used
// them (the reset as the loop of two writes per record it ran). It prints figures and never
// fails on slowness; it fails only when a result is wrong.
//
// Run it with tests/bench/store.sh (Wine and the build's prefix).

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "store/ConnectionRecord.h"
#include "tests/e2e/interop/PrivateProfileStore.h"
#include "store/SettingsFile.h"
#include "store/SettingsKeys.h"

#include "BenchSteps_win.h"
#include "Text.h"

namespace {

namespace keys = store::keys;
using bench::NowMs;
using bench::SettingsWithRecords;
using e2e::WriteFileBytes;

const store::LocalTime kHangUp{2003, 9, 3, 15, 9, 51};

// The platform reads a file again only when its time changes; this makes it forget it.
void DropPlatformCache(const std::string& path) {
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, path.c_str());
}

// The reset as the program ran it before: the counter and data[i] written for every i.
void ClearLikeBefore(store::ProfileStore& settings) {
    const int count = settings.ReadInt(keys::kMemory, keys::kMaxDataNumber, 0);
    for (int i = 1; i <= count; ++i) {
        settings.WriteString(keys::kMemory, keys::kMaxDataNumber, "");
        settings.WriteString(keys::kData, store::RecordKey(i), "");
    }
}

struct Figures {
    double median = 0;
    double fastest = 0;
    double slowest = 0;
};

// Runs prepare (untimed), then work (timed), repeats times.
Figures Time(int repeats, const std::function<void()>& prepare, const std::function<void()>& work) {
    std::vector<double> times;
    for (int r = 0; r < repeats; ++r) {
        prepare();
        const double start = NowMs();
        work();
        times.push_back(NowMs() - start);
    }
    std::sort(times.begin(), times.end());
    return {times[times.size() / 2], times.front(), times.back()};
}

void Print(const char* work, int count, const char* how, const Figures& figures, int repeats) {
    std::printf("%-34s %9d  %-36s %10.1f %10.1f %10.1f  (%d)\n", work, count, how, figures.median,
                figures.fastest, figures.slowest, repeats);
    std::fflush(stdout);
}

int failures = 0;

void Expect(bool condition, const char* what) {
    if (!condition) {
        std::printf("wrong: %s\n", what);
        ++failures;
    }
}

} // namespace

int main(int argc, char** argv) {
    bool slow = false;
    int repeats = 5;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--slow") {
            slow = true;
        } else if (arg.rfind("--repeats=", 0) == 0) {
            repeats = std::max(1, std::atoi(arg.c_str() + 10));
        }
    }
    char directory[MAX_PATH] = {};
    GetTempPathA(sizeof directory, directory);
    const std::string path = std::string(directory) + "kelvorin-store-bench.ini";
    store::FileBytes& files = store::SystemFileBytes();

    std::printf("The settings file under many records; milliseconds: median, fastest, slowest "
                "(runs)\n");
    std::printf("%-34s %9s  %-36s %10s %10s %10s\n", "work", "records", "how", "median", "fastest",
                "slowest");

    // A hang-up: the counter read, the counter written, then the record (and the running
    // connection's removal) written.
    for (int count : {10000, 100000}) {
        const std::string file = SettingsWithRecords(count);
        Print("hang-up (counter, record)", count, "before: the platform's calls",
              Time(
                  repeats, [&] { WriteFileBytes(path, file); },
                  [&] {
                      store::PrivateProfileStore settings(path);
                      Expect(store::AppendConnectionRecord(settings, kHangUp, 60).written,
                             "the platform's append");
                  }),
              repeats);
        store::SettingsFile settings(files, path);
        Print("hang-up (counter, record)", count, "after: SettingsFile, running saved",
              Time(
                  repeats,
                  [&] {
                      WriteFileBytes(path, file);
                      // As in the program: the file read at start, the connection saved.
                      store::SaveRunningConnection(settings, kHangUp, 30);
                  },
                  [&] {
                      const store::AppendedRecord record =
                          store::AppendConnectionRecord(settings, kHangUp, 60);
                      Expect(record.written && record.number == count + 1, "the program's append");
                  }),
              repeats);
        Print("hang-up (counter, record)", count, "after: SettingsFile, file not yet read",
              Time(
                  repeats, [&] { WriteFileBytes(path, file); },
                  [&] {
                      store::SettingsFile cold(files, path);
                      Expect(store::AppendConnectionRecord(cold, kHangUp, 60).written,
                             "the program's append on a file it had not read");
                  }),
              repeats);
    }

    // A confirmed reset, the file already read (the statistics window has listed it).
    for (int count : {1000, 10000, 100000}) {
        const std::string file = SettingsWithRecords(count);
        if (count <= 1000 || slow) {
            Print("reset", count, "before: 2 platform writes a record",
                  Time(
                      count <= 1000 ? repeats : 1,
                      [&] {
                          WriteFileBytes(path, file);
                          DropPlatformCache(path);
                      },
                      [&] {
                          store::PrivateProfileStore settings(path);
                          ClearLikeBefore(settings);
                      }),
                  count <= 1000 ? repeats : 1);
        }
        store::SettingsFile settings(files, path);
        Print("reset", count, "after: SettingsFile, one write",
              Time(
                  repeats,
                  [&] {
                      WriteFileBytes(path, file);
                      settings.ReadInt(keys::kMemory, keys::kMaxDataNumber, 0);
                  },
                  [&] {
                      Expect(store::ClearConnectionRecords(settings), "the program's reset");
                      Expect(store::ReadConnectionRecords(settings).empty(), "records after reset");
                  }),
              repeats);
    }

    // Reading every record from a file not yet read, as the statistics window's first
    // opening does.
    for (int count : {100000, 1000000}) {
        const std::string file = SettingsWithRecords(count);
        WriteFileBytes(path, file);
        Print("read all records", count, "before: the platform's section read",
              Time(
                  repeats, [&] { DropPlatformCache(path); },
                  [&] {
                      const store::PrivateProfileStore settings(path);
                      Expect(store::ReadConnectionRecords(settings).size() ==
                                 static_cast<std::size_t>(count),
                             "records read by the platform");
                  }),
              repeats);
        Print("read all records", count, "after: SettingsFile",
              Time(
                  repeats, [] {},
                  [&] {
                      const store::SettingsFile settings(files, path);
                      Expect(store::ReadConnectionRecords(settings).size() ==
                                 static_cast<std::size_t>(count),
                             "records read by the program");
                  }),
              repeats);
    }

    DeleteFileA(path.c_str());
    DeleteFileA(store::TemporaryPath(path).c_str());
    return failures == 0 ? 0 : 1;
}
