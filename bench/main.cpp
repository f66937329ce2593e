// tarnwick-bench: runs the game's scenes for a fixed number of frames and prints frame-time statistics.
#include "app/startup.h"
#include "app/shell/gl.h"
#include "app/shell/shell.h"
#include "bench_options.h"
#include "bench_stage.h"
#include "frame_summary.h"
#include "scene_plan.h"
#include "screenshot.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <iostream>
#include <streambuf>
#include <unistd.h>

namespace {
using bench_clock = std::chrono::steady_clock;
constexpr double progress_interval = 2.0; // seconds
constexpr int max_reported_gl_errors = 10;

// Swallows the game's own console chatter (shots, waves, BMP headers) so the table stays readable.
class null_buffer : public std::streambuf {
  protected:
    int overflow(int c) override { return traits_type::not_eof(c); }
    std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
};

double seconds_between(bench_clock::time_point a, bench_clock::time_point b) {
    return std::chrono::duration<double>(b - a).count();
}

// Milliseconds since the kernel started this process (10 ms steps), or -1 where /proc cannot tell.
double ms_since_process_start() {
    FILE* f = std::fopen("/proc/self/stat", "r");
    if (!f)
        return -1.0;
    char buffer[1024];
    const size_t n = std::fread(buffer, 1, sizeof buffer - 1, f);
    std::fclose(f);
    buffer[n] = '\0';
    // Field 22 (start time in clock ticks since boot) counts from after the command name's ')'.
    const char* p = std::strrchr(buffer, ')');
    if (!p)
        return -1.0;
    unsigned long long start_ticks = 0;
    int field = 2;
    for (const char* q = p + 1; *q && field < 22; ++q) {
        if (*q == ' ' && ++field == 22)
            start_ticks = std::strtoull(q + 1, nullptr, 10);
    }
    timespec now{};
    clock_gettime(CLOCK_BOOTTIME, &now);
    const double ticks_per_second = double(sysconf(_SC_CLK_TCK));
    return (double(now.tv_sec) + double(now.tv_nsec) * 1e-9 - double(start_ticks) / ticks_per_second) *
           1000.0;
}

void print_progress(const std::string& label, int done, int total, bool last) {
    if (isatty(STDERR_FILENO)) {
        std::fprintf(stderr, "\r  %s: %d/%d frames%s", label.c_str(), done, total, last ? "\r\033[K" : "");
    } else if (!last) {
        std::fprintf(stderr, "  %s: %d/%d frames\n", label.c_str(), done, total);
    }
    std::fflush(stderr);
}

// Everything after the options: the runs, the table, the outputs. Returns the exit status.
int run_bench(const bench_options& options, std::ostream& report) {
    const std::vector<scene_run> runs = plan_runs(options.scenes);
    display_config config;
    config.width = options.width;
    config.height = options.height;
    config.fullscreen = false;
    init(&config);
    // Start-up seeded from the clock; the bench's runs are reproducible from its own seed.
    std::srand(options.seed);

    report << "tarnwick-bench " << options.width << "x" << options.height << ", " << options.frames
           << " frames per scene after " << options.warmup << " warm-up, seed " << options.seed << ", dt "
           << (options.fixed_dt > 0.0 ? std::to_string(options.fixed_dt) + " s fixed"
                                      : std::string("measured"))
           << "\nGL_RENDERER: " << reinterpret_cast<const char*>(glGetString(GL_RENDERER))
           << "\nGL_VERSION:  " << reinterpret_cast<const char*>(glGetString(GL_VERSION)) << "\n"
           << summary_header() << std::endl;

    std::ofstream csv;
    if (!options.csv.empty()) {
        csv.open(options.csv);
        if (!csv) {
            std::cerr << "tarnwick-bench: cannot write " << options.csv << std::endl;
            shutdown();
            return 1;
        }
        csv << csv_header() << "\n";
    }

    bench_stage stage;
    stage.setup();
    ALLEGRO_EVENT_QUEUE* queue = get_event_queue();
    int status = 0;
    int gl_errors = 0;
    long frame_number = 0;
    double first_frame_ms = -1.0;
    float dt = 0.0f;
    double previous_clock = al_get_time();

    for (const scene_run& run : runs) {
        stage.begin(run);
        const int total = options.warmup + options.frames;
        std::vector<double> frame_seconds, cpu_seconds;
        frame_seconds.reserve(size_t(options.frames));
        cpu_seconds.reserve(size_t(options.frames));
        bench_clock::time_point last_progress = bench_clock::now();
        bool showed_progress = false;

        for (int i = 0; i < total; ++i) {
            ++frame_number;
            // The bench takes no input; the queue is only kept from growing.
            ALLEGRO_EVENT event;
            while (al_get_next_event(queue, &event)) {
            }
            const double now = al_get_time();
            const float measured = float(now - previous_clock);
            previous_clock = now;
            dt = options.fixed_dt > 0.0 ? float(options.fixed_dt) : measured;

            const bench_clock::time_point t0 = bench_clock::now();
            stage.step(dt);
            for (const screenshot_request& s : options.screenshots) {
                if (s.frame == frame_number && !save_back_buffer_png(s.file, options.width, options.height)) {
                    std::cerr << "tarnwick-bench: cannot write " << s.file << std::endl;
                    status = 1;
                }
            }
            const bench_clock::time_point t1 = bench_clock::now();
            al_flip_display();
            const bench_clock::time_point t2 = bench_clock::now();
            if (first_frame_ms < 0.0) {
                first_frame_ms = ms_since_process_start();
                if (options.startup_only) {
                    report << "start-up: first frame presented " << long(first_frame_ms)
                           << " ms after process start" << std::endl;
                    // Measured from outside up to the process's end, so nothing may follow the frame.
                    std::_Exit(0);
                }
            }
            stage.end_frame();
            for (GLenum e = glGetError(); e != GL_NO_ERROR; e = glGetError()) {
                if (++gl_errors <= max_reported_gl_errors)
                    std::fprintf(stderr, "tarnwick-bench: GL error 0x%04x in %s, frame %d\n", unsigned(e),
                                 run.label.c_str(), i + 1);
            }
            const bench_clock::time_point t3 = bench_clock::now();

            if (i >= options.warmup) {
                frame_seconds.push_back(seconds_between(t0, t3));
                cpu_seconds.push_back(seconds_between(t0, t1) + seconds_between(t2, t3));
            }
            if (seconds_between(last_progress, t3) > progress_interval) {
                print_progress(run.label, i + 1, total, false);
                last_progress = t3;
                showed_progress = true;
            }
        }
        if (showed_progress)
            print_progress(run.label, total, total, true);
        const frame_summary summary = summarize(frame_seconds, cpu_seconds);
        report << summary_row(run.label, summary) << std::endl;
        int left_over = 0;
        const std::string note = stage.finish(left_over);
        if (!note.empty())
            report << note << std::endl;
        if (left_over > 0) {
            std::cerr << "tarnwick-bench: " << run.label << " left " << left_over
                      << " shots or shot GL objects behind" << std::endl;
            status = 1;
        }
        if (csv.is_open())
            csv << csv_row(run.label, summary) << "\n";
    }

    report << "start-up: first frame presented " << long(first_frame_ms) << " ms after process start"
           << std::endl;
    if (gl_errors > 0) {
        std::cerr << "tarnwick-bench: " << gl_errors << " GL error(s)" << std::endl;
        status = 1;
    }
    if (csv.is_open()) {
        csv.close();
        if (!csv) {
            std::cerr << "tarnwick-bench: cannot write " << options.csv << std::endl;
            status = 1;
        }
    }
    stage.release();
    shutdown();
    return status;
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
