// tarnwick-bench: runs the game's scenes for a fixed number of frames and prints frame-time statistics.
#include "runners/ab_runner.h"
#include "app/startup.h"
#include "app/shell/egl_framebuffer.h"
#include "app/shell/gl.h"
#include "app/shell/shell.h"
#include "assets/mesh.h"
#include "cli/bench_options.h"
#include "record/bench_report.h"
#include "scenes/bench_stage.h"
#include "runners/data_folders.h"
#include "stage/frame_loop.h"
#include "stats/frame_summary.h"
#include "runners/matrix_runner.h"
#include "images/reference_check.h"
#include "stage/renderer_pattern.h"
#include "record/report_files.h"
#include "runners/run_comparison.h"
#include "scenes/scene_plan.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <streambuf>

using namespace tarnwick::bench;

namespace {
constexpr int renderer_mismatch_status = 6;

// Swallows the game's own console chatter (shots, waves, BMP headers) so the table stays readable.
class null_buffer : public std::streambuf {
  protected:
    int overflow(int c) override { return traits_type::not_eof(c); }
    std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
};

// Where a failed model import is reported: the bench's own standard output, not a box nobody can dismiss.
std::ostream* import_report = nullptr;

void print_import_failure(const std::string& text) {
    *import_report << "import failed: " << text << std::endl;
}

// Starts the game in a window, or on a framebuffer of EGL's with --headless. False, with the reason on
// standard error, when no headless context can be made.
bool start_display(const bench_options& options) {
    display_config config;
    config.width = options.width;
    config.height = options.height;
    config.fullscreen = false;
    if (!options.headless) {
        init(&config);
        return true;
    }
    std::string error;
    std::unique_ptr<egl_framebuffer> framebuffer =
        egl_framebuffer::open(options.width, options.height, error);
    if (!framebuffer) {
        std::cerr << "tarnwick-bench: no headless OpenGL context: " << error << std::endl;
        return false;
    }
    init(config, framebuffer.release());
    return true;
}

void print_banner(const bench_options& options, std::ostream& report) {
    report << "tarnwick-bench " << options.width << "x" << options.height
           << (options.headless ? " headless" : "") << ", " << options.frames << " frames per scene after "
           << options.warmup << " warm-up, seed " << options.seed << ", dt "
           << (options.fixed_dt > 0.0 ? std::to_string(options.fixed_dt) + " s fixed"
                                      : std::string("measured"))
           << "\nGL_RENDERER: " << reinterpret_cast<const char*>(glGetString(GL_RENDERER))
           << "\nGL_VERSION:  " << reinterpret_cast<const char*>(glGetString(GL_VERSION)) << "\n"
           << summary_header() << std::endl;
}

// False, after saying so, when the driver is not the one --expect-renderer asks for.
bool renderer_as_expected(const bench_options& options) {
    const std::string renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    if (options.expect_renderer.empty() || renderer_matches(renderer, options.expect_renderer))
        return true;
    std::cerr << "tarnwick-bench: GL_RENDERER \"" << renderer << "\" does not match --expect-renderer \""
              << options.expect_renderer << "\"" << std::endl;
    return false;
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
                      const measured_run& measured, reference_tally& tally, bench_report& outputs,
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
        scene = checking ? check_reference(options, run.label, measured.picture)
                         : update_reference(options, run.label, measured.picture, measured.variants);
        outputs.add_reference(run.label, scene, measured.picture);
    }
    if (number < options.repeat)
        return;
    report << scene.line << std::endl;
    (checking ? tally.failed : tally.unwritable) |= !scene.ok;
}

// Everything after the options: the runs, the table, the outputs. Returns the exit status.
int run_bench(const bench_options& options, std::ostream& report) {
    import_report = &report;
    set_import_failure_reporter(print_import_failure);
    if (!start_display(options))
        return 1;
    if (!renderer_as_expected(options)) {
        shutdown();
        return renderer_mismatch_status;
    }
    // --startup is timed from outside: its one line is all it prints.
    if (!options.startup_only)
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
    frame_loop loop(loop_settings_of(options), stage, report);
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
            handle_reference(options, run, number, measured, references, outputs, report);
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
        const std::string data = data_folder_for(own_executable());
        if (!data.empty())
            std::cout << "The data for this tarnwick-bench is in " << data << "\n";
        return 0;
    }
    if (!options.compare.empty())
        return run_compare(options);
    if (options.ab)
        return run_ab(options, std::cout);
    if (!options.drivers_dir.empty())
        return run_driver_matrix(options, std::vector<std::string>(argv + 1, argv + argc), std::cout);
    if (options.list) {
        print_scene_list(std::cout);
        print_matrix_catalogue(std::cout);
        return 0;
    }

    // Checked before any window or context, so that a run in the wrong folder ends at once and says where to
    // run instead.
    const std::string missing = missing_data_folder(".");
    if (!missing.empty()) {
        std::error_code ignored;
        std::cerr << missing_data_message(missing, std::filesystem::current_path(ignored).string(),
                                          data_folder_for(own_executable()))
                  << std::endl;
        return 1;
    }
    std::ostream report(std::cout.rdbuf());
    null_buffer quiet;
    std::cout.rdbuf(&quiet);
    const int status = run_bench(options, report);
    std::cout.rdbuf(report.rdbuf());
    return status;
}
