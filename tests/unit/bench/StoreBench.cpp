// Reading the statistics window's records from the native settings file.

#include <benchmark/benchmark.h>

#include "store/ConnectionRecord.h"
#include "store/SettingsFile.h"
#include "tests/unit/store/TempDir.h"

namespace {

void ReadRecords(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    store::testing::TempDir dir;
    const std::string path = dir.File("corvantile.ini");
    std::string bytes = "[Memory]\r\nMaxDataNumber=" + std::to_string(count) + "\r\n[Data]\r\n";
    for (int i = 1; i <= count; ++i) {
        bytes += store::RecordKey(i) + "=" +
                 store::FormatConnectionRecord({2003, 9, 3, 15, 9, 51}, i) + "\r\n";
    }
    store::testing::WriteBytes(path, bytes);
    const store::SettingsFile settings(store::SystemFileBytes(), path);
    for (auto _ : state) {
        benchmark::DoNotOptimize(store::ReadConnectionRecords(settings));
    }
    state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(ReadRecords)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

void AppendRecord(benchmark::State& state) {
    store::testing::TempDir dir;
    store::SettingsFile settings(store::SystemFileBytes(), dir.File("corvantile.ini"));
    for (auto _ : state) {
        store::AppendConnectionRecord(settings, {2003, 9, 3, 15, 9, 51}, 60);
    }
}
BENCHMARK(AppendRecord)->Iterations(200)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
