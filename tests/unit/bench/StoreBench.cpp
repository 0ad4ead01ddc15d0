// The settings file natively: reading the records from a file not yet read, a hang-up's
// writes and a confirmed reset with many records (tests/bench/store.sh times the same under
// Wine, before and after).

#include <benchmark/benchmark.h>

#include "store/ConnectionRecord.h"
#include "store/SettingsFile.h"
#include "tests/unit/store/TempDir.h"

namespace {

const store::LocalTime kHangUp{2003, 9, 3, 15, 9, 51};

std::string SettingsWithRecords(int count) {
    std::string bytes = "[Memory]\r\nMaxDataNumber=" + std::to_string(count) + "\r\n[Data]\r\n";
    for (int i = 1; i <= count; ++i) {
        bytes += store::RecordKey(i) + "=" + store::FormatConnectionRecord(kHangUp, i) + "\r\n";
    }
    return bytes;
}

void ReadRecords(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    store::testing::TempDir dir;
    const std::string path = dir.File("corvantile.ini");
    store::testing::WriteBytes(path, SettingsWithRecords(count));
    for (auto _ : state) {
        const store::SettingsFile settings(store::SystemFileBytes(), path);
        benchmark::DoNotOptimize(store::ReadConnectionRecords(settings));
    }
    state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(ReadRecords)
    ->Arg(100)
    ->Arg(10000)
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond);

void AppendRecord(benchmark::State& state) {
    store::testing::TempDir dir;
    store::SettingsFile settings(store::SystemFileBytes(), dir.File("corvantile.ini"));
    for (auto _ : state) {
        store::AppendConnectionRecord(settings, kHangUp, 60);
    }
}
BENCHMARK(AppendRecord)->Iterations(200)->Unit(benchmark::kMicrosecond);

// Counter, then record with the running connection's removal, on a file already read.
void HangUp(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    store::testing::TempDir dir;
    const std::string path = dir.File("corvantile.ini");
    store::testing::WriteBytes(path, SettingsWithRecords(count));
    store::SettingsFile settings(store::SystemFileBytes(), path);
    for (auto _ : state) {
        state.PauseTiming();
        store::SaveRunningConnection(settings, kHangUp, 30);
        state.ResumeTiming();
        benchmark::DoNotOptimize(store::AppendConnectionRecord(settings, kHangUp, 60));
    }
}
BENCHMARK(HangUp)->Arg(100000)->Iterations(10)->Unit(benchmark::kMillisecond);

void Reset(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    store::testing::TempDir dir;
    const std::string path = dir.File("corvantile.ini");
    const std::string bytes = SettingsWithRecords(count);
    store::SettingsFile settings(store::SystemFileBytes(), path);
    for (auto _ : state) {
        state.PauseTiming();
        store::testing::WriteBytes(path, bytes);
        settings.State(); // read, as the statistics window has read it
        state.ResumeTiming();
        benchmark::DoNotOptimize(store::ClearConnectionRecords(settings));
    }
}
BENCHMARK(Reset)->Arg(100000)->Iterations(5)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
