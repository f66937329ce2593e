// tarnwick-bench: runs the game's scenes for a fixed number of frames and prints frame-time statistics.
#include "app/startup.h"
#include "app/shell/gl.h"
#include "app/shell/shell.h"
#include "bench_options.h"
#include "bench_report.h"
#include "bench_stage.h"
#include "frame_loop.h"
#include "frame_summary.h"
#include "reference_check.h"
#include "report_files.h"
#include "run_comparison.h"
#include "scene_plan.h"

#include <cstdlib>
#include <fstream>
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

// The reference outcome of the scene under way, and the failures over the whole bench.
struct reference_tally {
    reference_outcome scene;
    bool failed = false;
    bool unwritable = false;
};

// Checks or writes the picture of a scene's run-th run against its reference; prints the line after the
// scene's last run (on the first failure, later runs are not checked).
void handle_reference(const bench_options& options, const scene_run& run, int number,
                      const rgb_image& picture, reference_tally& tally, bench_report& outputs,
                      std::ostream& report) {
    const bool checking = !options.reference_dir.empty();
    if (!checking && options.update_reference_dir.empty())
        return;
    reference_outcome& scene = tally.scene;
    if (number == 1)
        scene = reference_outcome{true, "", "", {}};
    if (run.reference_frame <= 0)
        scene.line = "reference " + run.label + ": none (the window changes size)";
    else if (scene.ok && (checking || number == 1)) {
        scene = checking ? check_reference(options, run.label, picture)
                         : update_reference(options, run.label, picture);
        outputs.add_reference(run.label, scene, picture);
    }
    if (number < options.repeat)
        return;
    report << scene.line << std::endl;
    (checking ? tally.failed : tally.unwritable) |= !scene.ok;
}

// Everything after the options: the runs, the table, the outputs. Returns the exit status.
int run_bench(const bench_options& options, std::ostream& report) {
    start_display(options);
    print_banner(options, report);
    const provenance origin = gather_provenance(reinterpret_cast<const char*>(glGetString(GL_RENDERER)),
                                                reinterpret_cast<const char*>(glGetString(GL_VERSION)));
    bench_report outputs(options, origin, report);
    if (!outputs.open()) {
        shutdown();
        return 1;
    }
    bench_stage stage;
    stage.setup();
    frame_loop loop(options, stage, report);
    bool shots_left = false;
    reference_tally references;
    for (const scene_run& run : plan_runs(options.scenes)) {
        for (int number = 1; number <= options.repeat; ++number) {
            // Start-up seeded from the clock; every run starts from the bench's seed instead, so that its
            // frames are the same each time, whichever scenes ran before.
            std::srand(options.seed);
            stage.begin(run);
            const bool picture = !options.reference_dir.empty() || !options.update_reference_dir.empty();
            const measured_run measured = loop.measure(run, picture ? run.reference_frame : 0);
            int left_over = 0;
            const std::string note = stage.finish(left_over);
            outputs.add_run(run.label, number, measured.samples, note);
            handle_reference(options, run, number, measured.picture, references, outputs, report);
            if (!note.empty())
                outputs.add_check(run.label, shots_check(left_over, note));
            if (left_over > 0) {
                std::cerr << "tarnwick-bench: " << run.label << " left " << left_over
                          << " shots or shot GL objects behind" << std::endl;
                shots_left = true;
            }
        }
    }
    report << "start-up: first frame presented " << long(loop.first_frame_ms()) << " ms after process start"
           << std::endl;
    if (loop.gl_errors() > 0)
        std::cerr << "tarnwick-bench: " << loop.gl_errors() << " GL error(s)" << std::endl;
    outputs.add_check("", gl_errors_check(loop.gl_errors()));
    const bool written = outputs.close();
    stage.release();
    shutdown();
    if (loop.gl_errors() > 0 || shots_left || !written || !loop.outputs_ok() || references.unwritable)
        return 1;
    return references.failed ? 3 : 0;
}

// --compare: both files read, the comparison printed. Returns the exit status.
int run_compare(const bench_options& options) {
    run_table tables[2];
    for (int i = 0; i < 2; ++i) {
        std::ifstream in(options.compare[size_t(i)]);
        const std::string error = in ? read_run_table(in, tables[i]) : "cannot be read";
        if (!error.empty()) {
            std::cerr << "tarnwick-bench: " << options.compare[size_t(i)] << ": " << error << std::endl;
            return 1;
        }
    }
    const int status = print_comparison(tables[0], tables[1], options.compare[0], options.compare[1],
                                        options.fail_slower, std::cout);
    if (!options.report_dir.empty() &&
        !write_report(options.report_dir,
                      comparison_report(tables[0], tables[1], options.compare[0], options.compare[1],
                                        options.fail_slower, options.command_line)))
        return 1;
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
    if (!options.compare.empty())
        return run_compare(options);
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
