// Load time of the settings file by its number of values: the loader must stay linear, so
// that a settings file of millions of values (50 MB) still opens in seconds.
#include "platform/RegFileRegistry.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

std::string MakeSettingsFile(int values)
{
    const std::string path =
        (std::filesystem::temp_directory_path() / ("ondrix-bench-" + std::to_string(values) + ".reg"))
            .string();
    std::ofstream out(path, std::ios::binary);
    out << "Windows Registry Editor Version "
           "5.00\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Quorvane\\Ondrix2\\Options]\n";
    for (int i = 0; i < values; ++i)
        out << "\"value " << i << "\"=dword:" << std::string(8 - std::to_string(i % 10).size(), '0') << i % 10
            << "\n";
    return path;
}

void LoadSettingsFile(benchmark::State& state)
{
    const int values = static_cast<int>(state.range(0));
    const std::string path = MakeSettingsFile(values);
    for (auto _ : state) {
        ondrix::RegFileRegistry registry(path);
        benchmark::DoNotOptimize(registry.ReadDword(ondrix::Hive::LocalMachine,
                                                    "SOFTWARE\\Quorvane\\Ondrix2\\Options", "value 7"));
    }
    state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(path));
    state.SetComplexityN(values);
    std::filesystem::remove(path);
}

BENCHMARK(LoadSettingsFile)
    ->RangeMultiplier(10)
    ->Range(10'000, 1'000'000)
    ->Arg(2'000'000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();

} // namespace

BENCHMARK_MAIN();
