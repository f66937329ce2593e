// tarnwick-bench: runs the game's scenes for a fixed number of frames and prints frame-time statistics.
#include "app/startup.h"
#include "app/shell/gl.h"
#include "app/shell/shell.h"
#include "bench_options.h"
#include "bench_report.h"
#include "bench_stage.h"
#include "frame_loop.h"
#include "frame_summary.h"
#include "scene_plan.h"

#include <cstdlib>
#include <iostream>
#include <streambuf>

namespace {
// Swallows the game's own console chatter (shots, waves, BMP headers) so the table stays readable.
class null_buffer : public std::streambuf {
  protected:
    int overflow(int c) override { return traits_type::not_eof(c); }
    std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
};

void start_display(const bench_options& options) {
    display_config config;
    config.width = options.width;
    config.height = options.height;
    config.fullscreen = false;
    init(&config);
    // Start-up seeded from the clock; the bench's runs are reproducible from its own seed.
    std::srand(options.seed);
}

void print_banner(const bench_options& options, std::ostream& report) {
    report << "tarnwick-bench " << options.width << "x" << options.height << ", " << options.frames
           << " frames per scene after " << options.warmup << " warm-up, seed " << options.seed << ", dt "
           << (options.fixed_dt > 0.0 ? std::to_string(options.fixed_dt) + " s fixed"
                                      : std::string("measured"))
           << "\nGL_RENDERER: " << reinterpret_cast<const char*>(glGetString(GL_RENDERER))
           << "\nGL_VERSION:  " << reinterpret_cast<const char*>(glGetString(GL_VERSION)) << "\n"
           << summary_header() << std::endl;
}

// Everything after the options: the runs, the table, the outputs. Returns the exit status.
int run_bench(const bench_options& options, std::ostream& report) {
    start_display(options);
    print_banner(options, report);
    bench_report outputs(options, report);
    if (!outputs.open()) {
        shutdown();
        return 1;
    }
    bench_stage stage;
    stage.setup();
    frame_loop loop(options, stage, report);
    bool shots_left = false;
    for (const scene_run& run : plan_runs(options.scenes)) {
        stage.begin(run);
        const run_samples samples = loop.measure(run);
        int left_over = 0;
        const std::string note = stage.finish(left_over);
        outputs.add_run(run.label, summarize(samples.frame_seconds, samples.cpu_seconds), note);
        if (left_over > 0) {
            std::cerr << "tarnwick-bench: " << run.label << " left " << left_over
                      << " shots or shot GL objects behind" << std::endl;
            shots_left = true;
        }
    }
    report << "start-up: first frame presented " << long(loop.first_frame_ms()) << " ms after process start"
           << std::endl;
    if (loop.gl_errors() > 0)
        std::cerr << "tarnwick-bench: " << loop.gl_errors() << " GL error(s)" << std::endl;
    const bool written = outputs.close();
    stage.release();
    shutdown();
    return loop.gl_errors() > 0 || shots_left || !written || !loop.outputs_ok() ? 1 : 0;
}
} // namespace

int main(int argc, char** argv) {
    const parse_result parsed = parse_bench_options(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.ok) {
        std::cerr << "tarnwick-bench: " << parsed.error << std::endl;
        return 2;
    }
    const bench_options& options = parsed.options;
    if (options.help) {
        std::cout << bench_usage();
        return 0;
    }
    if (options.list) {
        for (const scene_info& s : scene_catalogue()) {
            std::cout << s.name;
            for (const scene_key& k : s.keys)
                std::cout << ":" << k.name << "=" << k.fallback;
            std::cout << "\n    " << s.description << "\n";
        }
        return 0;
    }

    std::ostream report(std::cout.rdbuf());
    null_buffer quiet;
    std::cout.rdbuf(&quiet);
    const int status = run_bench(options, report);
    std::cout.rdbuf(report.rdbuf());
    return status;
}
