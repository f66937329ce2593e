// Time from process start to the first presented frame of tarnwick-bench, cold and warm shader cache.
#include "runners/child_process.h"
#include "runners/data_folders.h"

#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

using namespace tarnwick::bench;

namespace {
constexpr int startup_runs = 5;

std::string own_directory() {
    const std::string path = own_executable();
    return path.empty() ? "." : std::filesystem::path(path).parent_path().string();
}

// Runs tarnwick-bench --startup with Mesa's shader cache in cache_dir; the wall time from spawn to exit,
// or a negative number when it failed.
double time_startup(const std::string& cache_dir) {
    // The data folders are linked next to the executables.
    const std::string directory = own_directory();
    const child_request request{directory + "/tarnwick-bench",
                                {"--startup", "--scene", "default"},
                                {"MESA_SHADER_CACHE_DIR=" + cache_dir, "MESA_GLSL_CACHE_DIR="},
                                directory,
                                "/dev/null",
                                "/dev/null"};
    const auto start = std::chrono::steady_clock::now();
    const child_result result = run_child(request);
    const auto end = std::chrono::steady_clock::now();
    if (result.status != 0)
        return -1.0;
    return std::chrono::duration<double>(end - start).count();
}

std::string fresh_directory() {
    char pattern[] = "/tmp/tarnwick-shader-cache.XXXXXX";
    const char* dir = mkdtemp(pattern);
    return dir ? dir : "/tmp";
}

void remove_directory(const std::string& dir) {
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
}

void bm_startup(benchmark::State& state, bool warm) {
    if (!std::getenv("DISPLAY")) {
        state.SkipWithError("no X display (run under xvfb-run)");
        return;
    }
    std::string cache = fresh_directory();
    if (warm && time_startup(cache) < 0.0) {
        state.SkipWithError("tarnwick-bench --startup failed");
        remove_directory(cache);
        return;
    }
    for (auto _ : state) {
        if (!warm) {
            state.PauseTiming();
            remove_directory(cache);
            cache = fresh_directory();
            state.ResumeTiming();
        }
        const double seconds = time_startup(cache);
        if (seconds < 0.0) {
            state.SkipWithError("tarnwick-bench --startup failed");
            break;
        }
        state.SetIterationTime(seconds);
    }
    remove_directory(cache);
}
} // namespace

BENCHMARK_CAPTURE(bm_startup, cold, false)
    ->UseManualTime()
    ->Iterations(startup_runs)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(bm_startup, warm, true)
    ->UseManualTime()
    ->Iterations(startup_runs)
    ->Unit(benchmark::kMillisecond);
