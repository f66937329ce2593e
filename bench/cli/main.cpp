// tarnwick-bench: runs the game's scenes for a fixed number of frames and prints frame-time statistics.
#include "runners/ab_runner.h"
#include "app/quiet_display.h"
#include "app/startup.h"
#include "app/shell/egl_framebuffer.h"
#include "app/shell/gl.h"
#include "app/shell/shell.h"
#include "assets/mesh.h"
#include "cli/bench_options.h"
#include "record/bench_report.h"
#include "scenes/bench_stage.h"
#include "runners/count_runner.h"
#include "runners/data_folders.h"
#include "stage/frame_loop.h"
#include "stats/frame_summary.h"
#include "runners/matrix_runner.h"
#include "images/reference_check.h"
#include "stage/instruction_counter.h"
#include "stage/renderer_pattern.h"
#include "record/exit_status.h"
#include "record/report_console.h"
#include "record/report_files.h"
#include "runners/run_comparison.h"
#include "scenes/scene_plan.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>

using namespace tarnwick::bench;

namespace {
// Where a failed model import is reported: the bench's own standard output, not a box nobody can dismiss.
std::ostream* import_report = nullptr;

void print_import_failure(const std::string& text) {
    *import_report << "import failed: " << text << std::endl;
}

// Whether an OpenGL window can be made at all. A window that cannot be made ends the game's start-up with
// status 1, like a shader that does not compile; asked first, the bench tells the two apart.
bool window_possible() {
    if (!al_init())
        return false;
    al_set_new_display_flags(ALLEGRO_OPENGL);
    ALLEGRO_DISPLAY* probe = create_display_quietly(64, 64);
    if (probe)
        al_destroy_display(probe);
    return probe != nullptr;
}

// Starts the game in a window, or on a framebuffer of EGL's with --headless. False, with the reason on
// standard error, when no headless context (or, with a renderer expected, no window) can be made.
bool start_display(const bench_options& options) {
    display_config config{options.width, options.height, false};
    if (!options.headless) {
        // With a renderer expected, no context at all is not that renderer either (status 6, which the driver
        // matrix skips).
        if (!options.expect_renderer.empty() && !window_possible()) {
            std::cerr << "tarnwick-bench: no OpenGL window on this driver" << std::endl;
            return false;
        }
        // Allegro's ALLEGRO_VSYNC: 1 asks for vsync, 2 for none; the game's start-up leaves it alone.
        if (!options.swap_interval.empty() && al_init())
            al_set_new_display_option(ALLEGRO_VSYNC, options.swap_interval == "1" ? 1 : 2, ALLEGRO_SUGGEST);
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

// Where the outputs go, checked before the first scene: each folder is made and a file written in it, so
// that a bench does not measure for minutes and then find nowhere to put what it measured.
bool outputs_writable(const bench_options& options) {
    std::vector<std::string> folders;
    const auto add = [&folders](const std::string& dir) {
        const std::string folder = dir.empty() ? "." : dir;
        if (std::find(folders.begin(), folders.end(), folder) == folders.end())
            folders.push_back(folder);
    };
    for (const std::string& dir : {options.report_dir, options.update_reference_dir}) {
        if (!dir.empty())
            add(dir);
    }
    for (const std::string& file : {options.csv, options.frames_csv}) {
        if (!file.empty())
            add(std::filesystem::path(file).parent_path().string());
    }
    for (const screenshot_request& s : options.screenshots)
        add(std::filesystem::path(s.file).parent_path().string());
    bool writable = true;
    for (const std::string& dir : folders) {
        const std::string problem = folder_problem(dir);
        if (!problem.empty())
            std::cerr << "tarnwick-bench: " << problem << std::endl;
        writable = writable && problem.empty();
    }
    return writable;
}

// The reference outcome of the scene under way, and whether an update could not be written.
struct reference_tally {
    reference_outcome scene;
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
        scene = reference_outcome();
    const reference_settings settings{checking ? options.reference_dir : options.update_reference_dir,
                                      options.tolerance, options.max_differing};
    if (run.reference_frame > 0 && scene.ok() && (checking || number == 1)) {
        scene = checking ? check_reference(settings, run.label, measured.picture)
                         : update_reference(settings, run.label, measured.picture, measured.variants);
        outputs.add_reference(run.label, scene, measured.picture);
    }
    if (number < options.repeat)
        return;
    report << reference_line(run.label, scene) << std::endl;
    tally.unwritable |= !checking && !scene.ok();
}

// Everything after the options: the runs, the table, the outputs. Returns the exit status.
exit_status run_bench(const bench_options& options, std::ostream& report) {
    import_report = &report;
    set_import_failure_reporter(print_import_failure);
    // With a renderer expected, no context at all is not that renderer either: the driver matrix skips it.
    if (!start_display(options))
        return options.expect_renderer.empty() ? exit_status::failure : exit_status::other_renderer;
    if (!renderer_as_expected(options)) {
        shutdown();
        return exit_status::other_renderer;
    }
    // --startup is timed from outside: its one line is all it prints.
    if (!options.startup_only)
        print_banner(options, report);
    provenance origin = gather_provenance(reinterpret_cast<const char*>(glGetString(GL_RENDERER)),
                                          reinterpret_cast<const char*>(glGetString(GL_VERSION)));
    origin.frame_end = frame_end_word(options.end);
    origin.swap_interval = options.swap_interval;
    if (counts_instructions(options.metric))
        origin.counting = counting_text(options);
    bench_report outputs({options.csv, options.frames_csv, options.report_dir, options.command_line}, origin,
                         report);
    if (!outputs.open()) {
        shutdown();
        return exit_status::failure;
    }
    bench_stage stage;
    stage.setup();
    frame_loop loop(loop_settings_of(options), stage, report);
    reference_tally references;
    const bool picture = !options.reference_dir.empty() || !options.update_reference_dir.empty();
    for (const scene_run& run : plan_runs(options.scenes)) {
        for (int number = 1; number <= options.repeat; ++number) {
            // Start-up seeded from the clock; every run starts from the bench's seed instead, so that its
            // frames are the same each time, whichever scenes ran before.
            std::srand(options.seed);
            stage.begin(run);
            const measured_run measured = loop.measure(run, picture ? run.reference_frame : 0);
            const std::optional<shots_tally> shots = stage.finish();
            outputs.add_run(run.label, number, measured.samples, measured.instructions);
            if (shots)
                outputs.add_shots(run.label, *shots);
            handle_reference(options, run, number, measured, references, outputs, report);
            if (shots && shots->left_over() > 0)
                std::cerr << "tarnwick-bench: " << run.label << " left " << shots->left_over()
                          << " shots or shot GL objects behind" << std::endl;
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
    const bool outside = !written || !loop.outputs_ok() || references.unwritable;
    return decide_exit_status(outputs.record(), outside ? exit_status::failure : exit_status::ok);
}
} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    const parse_result parsed = parse_bench_options(args);
    if (!parsed.ok) {
        std::cerr << "tarnwick-bench: " << parsed.error << std::endl;
        return int(exit_status::bad_options);
    }
    const bench_options& o = parsed.options;
    if (o.help) {
        std::cout << bench_usage();
        const std::string data = data_folder_for(own_executable());
        const std::string references = reference_folder_for(own_executable());
        if (!data.empty())
            std::cout << "The data for this tarnwick-bench is in " << data << "\n";
        if (!references.empty())
            std::cout << "Its references (--reference, --drivers) are in " << references << "\n";
        return int(exit_status::ok);
    }
    if (!o.list && !outputs_writable(o))
        return int(exit_status::failure);
    if (!o.compare.empty())
        return run_compare(o.compare, o, std::cout);
    if (o.ab)
        return run_ab(o, std::cout);
    if (!o.drivers_dir.empty())
        return run_driver_matrix({o.drivers_dir, o.reference_dir, o.report_dir, o.command_line,
                                  o.driver_names, o.fault_names, args},
                                 std::cout);
    // Counts are taken under callgrind: outside it the bench starts itself there and waits.
    if (counts_instructions(o.metric) && !o.list && !instruction_counter::running_under_valgrind())
        return run_counted(o, args, std::cout);
    if (o.list) {
        print_scene_list(std::cout);
        print_matrix_catalogue(std::cout);
        return int(exit_status::ok);
    }

    // Checked before any window or context, so that a run in the wrong folder ends at once and says where to
    // run instead.
    const std::string missing = missing_data_folder(".");
    if (!missing.empty()) {
        std::error_code ignored;
        std::cerr << missing_data_message(missing, std::filesystem::current_path(ignored).string(),
                                          data_folder_for(own_executable()))
                  << std::endl;
        return int(exit_status::failure);
    }
    std::ostream report(std::cout.rdbuf());
    // Without a buffer std::cout drops the game's own chatter (shots, waves, BMP headers): the table stays
    // readable. Setting the buffer back clears the stream's state.
    std::cout.rdbuf(nullptr);
    const int status = int(run_bench(o, report));
    std::cout.rdbuf(report.rdbuf());
    return status;
}
