// tarnwick-microbench: runs the micro-benchmarks, then prints how ours compares with stb_image, how the
// world update grows and the start-up times.
#include "micro/micro_context.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <map>
#include <string>

namespace {
constexpr double target_ratio = 1.5;
constexpr double world_target_us = 100.0;

// The console table as usual, and each run's mean real time in seconds by benchmark name.
class recording_reporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Iteration && !run.error_occurred && run.iterations > 0)
                seconds[run.benchmark_name()] = run.real_accumulated_time / double(run.iterations);
        }
        ConsoleReporter::ReportRuns(runs);
    }

    // Mean seconds of the benchmark whose name is name or starts with name + "/", or a negative number when
    // it did not run.
    double get(const std::string& name) const {
        for (const auto& [full, mean] : seconds) {
            if (full == name || full.rfind(name + "/", 0) == 0)
                return mean;
        }
        return -1.0;
    }

  private:
    std::map<std::string, double> seconds;
};

void print_summary(const recording_reporter& r) {
    std::printf("\nSummary\n");
    for (const char* bits : {"24", "8"}) {
        const double ours = r.get(std::string("bm_bitmap_ours/") + bits);
        const double stb = r.get(std::string("bm_bitmap_stb/") + bits);
        if (ours > 0.0 && stb > 0.0)
            std::printf(
                "Bitmap::load %2s-bit 1024x1024: ours %.3f ms, stb_image %.3f ms: ours is %.2fx as fast "
                "(target %.1fx: %s)\n",
                bits, ours * 1e3, stb * 1e3, stb / ours, target_ratio,
                stb / ours >= target_ratio ? "met" : "NOT met");
    }
    double previous = -1.0;
    for (int n : {1, 10, 100, 1000}) {
        const double t = r.get("bm_update_world/" + std::to_string(n));
        if (t < 0.0)
            continue;
        std::printf("update_world with %4d enemies and %4d shots: %9.2f us", n, n, t * 1e6);
        if (previous > 0.0)
            std::printf("  (x%.1f for 10x the objects)", t / previous);
        if (n == 100)
            std::printf("  (target under %.0f us: %s)", world_target_us,
                        t * 1e6 < world_target_us ? "met" : "NOT met");
        std::printf("\n");
        previous = t;
    }
    const double cold = r.get("bm_startup/cold");
    const double warm = r.get("bm_startup/warm");
    if (cold > 0.0 && warm > 0.0)
        std::printf("start-up to the first presented frame: cold shader cache %.0f ms, warm %.0f ms\n",
                    cold * 1e3, warm * 1e3);
}
} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 2;
    recording_reporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    print_summary(reporter);
    close_game_context();
    benchmark::Shutdown();
    return 0;
}
