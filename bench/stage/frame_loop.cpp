// The bench's frame loop: steps a run's warm-up and measured frames, timing each and saving screenshots.
#include "stage/frame_loop.h"

#include "app/shell/gl.h"
#include "app/shell/shell.h"
#include "app/startup.h"
#include "scenes/bench_stage.h"
#include "stage/gpu_timer.h"
#include "support/gl_context.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <iostream>
#include <iterator>
#include <limits>
#include <sstream>
#include <unistd.h>
#include <utility>

namespace tarnwick::bench {

namespace {
using bench_clock = std::chrono::steady_clock;
constexpr double progress_interval = 2.0; // seconds
constexpr int max_reported_gl_errors = 10;
// Health points by which the unstable-pixel variants move every dissolve.
constexpr int burn_nudge = 1;

double seconds_between(bench_clock::time_point a, bench_clock::time_point b) {
    return std::chrono::duration<double>(b - a).count();
}

// Milliseconds since the kernel started this process (10 ms steps), or -1 where /proc cannot tell.
double ms_since_process_start() {
    std::ifstream in("/proc/self/stat");
    const std::string stat{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const size_t name_end = stat.rfind(')');
    if (name_end == std::string::npos)
        return -1.0;
    // Field 22 is the start time in clock ticks since boot; fields count on from 3 after the name's ')'.
    constexpr size_t start_field = 22 - 3;
    std::istringstream after_name(stat.substr(name_end + 1));
    const std::vector<std::string> fields{std::istream_iterator<std::string>(after_name), {}};
    if (fields.size() <= start_field)
        return -1.0;
    timespec now{};
    clock_gettime(CLOCK_BOOTTIME, &now);
    const double start = std::strtod(fields[start_field].c_str(), nullptr) / double(sysconf(_SC_CLK_TCK));
    return (double(now.tv_sec) + double(now.tv_nsec) * 1e-9 - start) * 1000.0;
}

void print_progress(const std::string& label, int done, int total, bool last) {
    if (isatty(STDERR_FILENO)) {
        std::fprintf(stderr, "\r  %s: %d/%d frames%s", label.c_str(), done, total, last ? "\r\033[K" : "");
    } else if (!last) {
        std::fprintf(stderr, "  %s: %d/%d frames\n", label.c_str(), done, total);
    }
    std::fflush(stderr);
}

// The frame drawn on the current display (before it is presented), top row first. The read buffer is left
// as the surface set it (a window's back buffer, or the framebuffer object's colour).
rgb_image read_back_buffer(int width, int height) {
    const size_t row = size_t(width) * 3;
    const std::vector<uint8_t> pixels = read_back_rgb(0, 0, width, height);
    // GL's rows run bottom up; the image's top down.
    rgb_image image{width, height, std::vector<uint8_t>(pixels.size())};
    for (int y = 0; y < height; ++y)
        std::copy_n(pixels.data() + size_t(height - 1 - y) * row, row, image.pixels.data() + size_t(y) * row);
    return image;
}
} // namespace

frame_loop::frame_loop(const loop_settings& options, bench_stage& stage, std::ostream& report)
    : options(options), stage(stage), report(report), previous_clock(al_get_time()) {}

measured_run frame_loop::measure(const scene_run& run, int keep) {
    const int measured_end = options.warmup + options.frames;
    const int total = std::max(measured_end, keep);
    measured_run result;
    result.samples.frame_seconds.reserve(size_t(options.frames));
    result.samples.cpu_seconds.reserve(size_t(options.frames));
    bench_clock::time_point last_progress = bench_clock::now();
    bool showed_progress = false;
    gpu_timer run_timer;
    timer = &run_timer;
    const bool counting = !options.count_folder.empty();
    for (int i = 0; i < total; ++i) {
        // Collection covers exactly the measured frames: start-up and warm-up (shader compiles) stay out.
        if (counting && i == options.warmup)
            counter.begin(run.label);
        step(run, i, i >= options.warmup && i < measured_end, i + 1 == keep, result);
        if (counting && i + 1 == measured_end) {
            counter.end(run.label);
            read_count(run, result);
        }
        const bench_clock::time_point now = bench_clock::now();
        // A progress line depends on the clock: inside counted frames it would make counts differ.
        if (!counting && seconds_between(last_progress, now) > progress_interval) {
            print_progress(run.label, i + 1, total, false);
            last_progress = now;
            showed_progress = true;
        }
    }
    if (showed_progress)
        print_progress(run.label, total, total, true);
    take_gpu_times(run_timer, result);
    timer = nullptr;
    return result;
}

void frame_loop::take_gpu_times(gpu_timer& run_timer, measured_run& result) {
    run_timer.finish();
    if (!run_timer.available()) {
        if (said_no_gpu_time != run_timer.reason())
            report << "GPU time: not available (" << run_timer.reason() << ")" << std::endl;
        said_no_gpu_time = run_timer.reason();
        return;
    }
    result.samples.gpu_ms = run_timer.frame_ms();
    result.samples.gpu_ms.resize(size_t(options.frames), std::numeric_limits<double>::quiet_NaN());
}

void frame_loop::step(const scene_run& run, int index, bool measured, bool keep, measured_run& result) {
    ++frame_number;
    // The bench takes no input; the queue is only kept from growing.
    ALLEGRO_EVENT event;
    while (al_get_next_event(get_event_queue(), &event)) {
    }
    const double now = al_get_time();
    const float measured_dt = float(now - previous_clock);
    previous_clock = now;

    const bench_clock::time_point t0 = bench_clock::now();
    if (measured)
        timer->begin_frame(index - options.warmup);
    stage.step(options.fixed_dt > 0.0 ? float(options.fixed_dt) : measured_dt);
    if (measured)
        timer->end_frame();
    const double reading = read_back(keep, result);
    const bench_clock::time_point t1 = bench_clock::now();
    end_frame(options.end);
    const bench_clock::time_point t2 = bench_clock::now();
    after_first_frame();
    stage.end_frame();
    count_gl_errors(run, index);
    const bench_clock::time_point t3 = bench_clock::now();
    if (measured) {
        result.samples.frame_seconds.push_back(seconds_between(t0, t3) - reading);
        result.samples.cpu_seconds.push_back(seconds_between(t0, t1) - reading + seconds_between(t2, t3));
    }
}

double frame_loop::read_back(bool keep, measured_run& result) {
    const bool screenshot =
        std::any_of(options.screenshots.begin(), options.screenshots.end(),
                    [this](const screenshot_request& s) { return s.frame == frame_number; });
    if (!keep && !screenshot)
        return 0.0;
    // The frame is drawn to the end first, so that only the read-back itself is left out of its time.
    glFinish();
    const bench_clock::time_point start = bench_clock::now();
    rgb_image picture = read_back_buffer(options.width, options.height);
    for (const screenshot_request& s : options.screenshots) {
        if (s.frame == frame_number && !write_png(s.file, picture)) {
            std::cerr << "tarnwick-bench: cannot write " << s.file << std::endl;
            outputs_good = false;
        }
    }
    if (keep)
        result.picture = std::move(picture);
    if (keep && options.variants)
        read_variants(result);
    return seconds_between(start, bench_clock::now());
}

void frame_loop::read_variants(measured_run& result) {
    for (int points : {-burn_nudge, burn_nudge}) {
        if (!stage.redraw_burning(points))
            return;
        result.variants.push_back(read_back_buffer(options.width, options.height));
    }
    // The frame is presented as it was drawn.
    stage.redraw_burning(0);
}

void frame_loop::after_first_frame() {
    if (first_frame >= 0.0)
        return;
    first_frame = ms_since_process_start();
    if (options.startup_only) {
        report << "start-up: first frame presented " << long(first_frame) << " ms after process start"
               << std::endl;
        // Measured from outside up to the process's end, so nothing may follow the frame.
        std::_Exit(0);
    }
}

void frame_loop::read_count(const scene_run& run, measured_run& result) {
    callgrind_profile dump;
    std::string error;
    const std::string prefix = "callgrind.out." + std::to_string(getpid()) + ".";
    if (!find_labelled_dump(options.count_folder, prefix, run.label, dump, error)) {
        std::cerr << "tarnwick-bench: " << error << std::endl;
        outputs_good = false;
        return;
    }
    result.instructions = count_of(dump, options.frames);
}

void frame_loop::count_gl_errors(const scene_run& run, int index) {
    for (GLenum e = glGetError(); e != GL_NO_ERROR; e = glGetError()) {
        if (++gl_error_count <= max_reported_gl_errors)
            std::fprintf(stderr, "tarnwick-bench: GL error 0x%04x in %s, frame %d\n", unsigned(e),
                         run.label.c_str(), index + 1);
    }
}

} // namespace tarnwick::bench
