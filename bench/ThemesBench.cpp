// Figures of the theme store: the start-up scan of a store of 500 packages of 2 MB each
// (warm cache) and one unpack of a 2 MB package, as theme application does it.
#include "platform/Clock.h"
#include "platform/ComponentProbes.h"
#include "themes/ThemePackage.h"
#include "themes/ThemeStore.h"
#include "themes/ZipArchive.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

constexpr int kPackages = 500;
constexpr std::size_t kMovieBytes = 2 * 1024 * 1024;

class CountingClock final : public ondrix::Clock
{
public:
    std::uint32_t TickCount() const override { return ++m_tick; }

private:
    mutable std::uint32_t m_tick = 0;
};

class Yes final : public ondrix::ComponentProbes
{
public:
    bool ActiveDesktopRegistered() const override { return true; }
    bool FlashRegistered() const override { return true; }
};

// A package of about 2 MB: a movie that does not compress, a page and the description.
std::string Package(int i)
{
    std::mt19937 random(static_cast<std::uint32_t>(i));
    std::string movie(kMovieBytes, '\0');
    for (char& c : movie)
        c = static_cast<char>(random());
    const std::string cfg = "[Name]\r\nThemeName=Theme " + std::to_string(i) +
                            "\r\n[Style]\r\nindex=1\r\n[Files]\r\nstartup=\\index.htm";
    return ondrix::BuildZip({{"index.htm", "<html></html>"}, {"theme.cfg", cfg}, {"movie.swf", movie}});
}

struct Store
{
    Store()
    {
        root = fs::temp_directory_path() / ("ondrix-bench-themes-" + std::to_string(::getpid()));
        fs::create_directories(root / "advThemes_" / "Recycled");
        fs::create_directories(root / "advThemes_" / "WorkDir");
        const std::string bytes = Package(0);
        for (int i = 0; i < kPackages; ++i) {
            std::ofstream out(root / "advThemes_" / ("theme" + std::to_string(i) + ".ond"), std::ios::binary);
            out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        }
        env.AppDir = root.string();
        env.clock = &clock;
        env.screenSize = [] { return ondrix::DesktopSize{1920, 1080}; };
    }
    ~Store()
    {
        std::error_code ignored;
        fs::remove_all(root, ignored);
    }
    fs::path root;
    CountingClock clock;
    ondrix::ThemeEnvironment env;
};

Store& TheStore()
{
    static Store store;
    return store;
}

void BM_StartupScan500Packages(benchmark::State& state)
{
    Store& store = TheStore();
    const Yes probes;
    const ondrix::ThemeStore themes(store.env, probes);
    for (auto _ : state) {
        const auto result = themes.ScanThemeFolder(store.env.StoreFolder());
        if (result.Rows.size() != kPackages)
            state.SkipWithError("the scan did not list every package");
        benchmark::DoNotOptimize(result);
    }
}
BENCHMARK(BM_StartupScan500Packages)->Unit(benchmark::kMillisecond)->MinTime(2);

void BM_UnpackOne2MBPackage(benchmark::State& state)
{
    Store& store = TheStore();
    const std::string package = store.env.StoreFolder() + "/theme0.ond";
    for (auto _ : state) {
        const std::string folder = ondrix::UnpackTheme(store.env, package);
        state.PauseTiming();
        ondrix::ClearFolder(store.env.WorkFolder());
        state.ResumeTiming();
        benchmark::DoNotOptimize(folder);
    }
}
BENCHMARK(BM_UnpackOne2MBPackage)->Unit(benchmark::kMillisecond)->MinTime(2);

} // namespace

BENCHMARK_MAIN();
