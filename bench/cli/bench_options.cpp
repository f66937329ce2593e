// The benchmark's command line through CLI11; the scene and screenshot grammars are ours. No GL here.
#include "cli/bench_options.h"

#include "runners/child_process.h"
#include "runners/count_runner.h"
#include "runners/driver_matrix.h"
#include "runners/planted_faults.h"
#include "stage/renderer_pattern.h"
#include "record/exit_status.h"
#include "record/metric.h"
#include "record/report_model.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cmath>
#include <memory>
#include <sstream>

namespace tarnwick::bench {

namespace {
constexpr int max_side = 16384;
constexpr int max_frames = 10000000;
constexpr double max_fixed_dt = 1.0;
constexpr int max_repeat = 1000;
constexpr int max_channel = 255;
constexpr int help_column = 26;
// The widest line of the options' descriptions.
constexpr int help_width = 92;
constexpr int most_rounds = 1000;

// A grammar of ours as a CLI11 check: read stores the value and returns nothing, or returns what is wrong.
CLI::Validator ours(std::function<std::string(const std::string&)> read) {
    return CLI::Validator([read](std::string& text) { return read(text); }, "");
}

// WxH with both sides from 1 to max_side.
CLI::Validator size_into(bench_options& o) {
    return ours([&o](const std::string& text) {
        const size_t x = text.find('x');
        const bool good = x != std::string::npos && whole_number(text.substr(0, x), 1, max_side, o.width) &&
                          whole_number(text.substr(x + 1), 1, max_side, o.height);
        return good ? "" : "needs a size WxH from 1x1 to 16384x16384, not '" + text + "'";
    });
}

CLI::Validator scene_into(bench_options& o) {
    return ours([&o](const std::string& text) {
        scene_request request;
        const std::string error = parse_scene(text, request);
        if (error.empty())
            o.scenes.push_back(request);
        return error;
    });
}

// FRAME:FILE.png with a frame from 1.
CLI::Validator screenshot_into(bench_options& o) {
    return ours([&o](const std::string& text) {
        const size_t colon = text.find(':');
        const std::string suffix = ".png";
        screenshot_request r{0, colon == std::string::npos ? std::string() : text.substr(colon + 1)};
        if (!whole_number(text.substr(0, colon), 1, max_frames, r.frame) || r.file.size() <= suffix.size() ||
            r.file.compare(r.file.size() - suffix.size(), suffix.size(), suffix) != 0)
            return "needs FRAME:FILE.png with a frame from 1, not '" + text + "'";
        o.screenshots.push_back(r);
        return std::string();
    });
}

// Whether text is a finite number above low (from low when not open) and at most high.
bool number_in(const std::string& text, double low, bool open, double high) {
    char* end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    return !text.empty() && *end == '\0' && std::isfinite(v) && (open ? v > low : v >= low) && v <= high;
}

const CLI::Validator seconds = ours([](const std::string& text) {
    return number_in(text, 0.0, true, max_fixed_dt)
               ? ""
               : "needs seconds above 0 and at most 1, not '" + text + "'";
});
// A percentage from 0 to 100, said as typed (CLI11's own range says "0.000000 to 100.000000").
const CLI::Validator percentage = ours([](const std::string& text) {
    return number_in(text, 0.0, false, 100.0) ? "" : "Value " + text + " not in range 0 to 100";
});
const CLI::Validator file_name = ours(
    [](const std::string& text) { return text.empty() ? std::string("needs a file name") : std::string(); });

// Prints the options in the order declared, each under its long name, between the description and footer.
class usage_formatter : public CLI::Formatter {
  public:
    usage_formatter() { column_width(help_column); }
    std::string make_option_name(const CLI::Option* opt, bool) const override {
        return "--" + opt->get_lnames().front();
    }
    // The value's form only: the descriptions say what an option needs or excludes.
    std::string make_option_opts(const CLI::Option* opt) const override {
        if (!opt->get_option_text().empty())
            return " " + opt->get_option_text();
        return opt->get_type_size() != 0 ? " " + opt->get_type_name() : "";
    }
    std::string make_help(const CLI::App* app, std::string, CLI::AppFormatMode) const override {
        std::string text = "Usage: " + app->get_name() + " [options]\n" + app->get_description() + "\n\n";
        for (const CLI::Option* opt : app->get_options())
            text += make_option(opt, false);
        return text + "\n" + app->get_footer();
    }
};

// An option bound to value, its value shown as text in the usage.
template <typename T>
CLI::Option* valued(CLI::App& app, const std::string& name, T& value, const char* text,
                    const std::string& help) {
    return app.add_option(name, value, help)->option_text(text);
}

// An option of a whole number N from low to high.
CLI::Option* count_option(CLI::App& app, const std::string& name, int& value, const std::string& help,
                          int low, int high) {
    return valued(app, name, value, "N", help)->check(CLI::Range(low, high));
}

// What to run: the display, the run lengths, the simulation, the scenes.
void declare_run_options(CLI::App& app, bench_options& o) {
    app.add_option("--size", "display size (default 800x600)")->type_name("WxH")->check(size_into(o));
    app.add_flag("--headless", o.headless,
                 "draw into a framebuffer object of --size through EGL's surfaceless\n"
                 "platform: no window, no X server. Each frame ends with a fence\n"
                 "wait (glFenceSync, glClientWaitSync) instead of a flip, so its\n"
                 "time is its GL work without the X server's copy. With --ab,\n"
                 "both sides' benches run so");
    count_option(app, "--frames", o.frames, "measured frames per scene (default 300)", 1, max_frames);
    count_option(app, "--warmup", o.warmup, "unmeasured frames before each scene (default 30)", 0,
                 max_frames);
    valued(app, "--seed", o.seed, "N", "random seed of the simulation (default 1)");
    valued(app, "--fixed-dt", o.fixed_dt, "S",
           "advance the simulation S seconds per frame instead of the\n"
           "measured frame time; with --seed the run is reproducible")
        ->check(seconds);
    app.add_option("--scene", "a scene to run, repeatable (default: every scene)")
        ->type_name("NAME[:k=v...]")
        ->check(scene_into(o))
        ->allow_extra_args(false);
    count_option(app, "--repeat", o.repeat,
                 "run each scene N times, each with its own warm-up and the same\n"
                 "seed (default 1); the CSV files keep every run",
                 1, max_repeat);
}

// What to write and check besides the table.
void declare_output_options(CLI::App& app, bench_options& o) {
    valued(app, "--csv", o.csv, "FILE", "also write the results as CSV, one row per run")->check(file_name);
    valued(app, "--frames-csv", o.frames_csv, "FILE",
           "write every measured frame as CSV: scene, run, frame, frame ms,\n"
           "CPU ms, GPU ms (scripts/plot-bench draws it)")
        ->check(file_name);
    app.add_option("--screenshot", "save frame F (counted from 1 over the run, warm-up included)\n"
                                   "as it is before presentation; repeatable")
        ->type_name("F:FILE.png")
        ->check(screenshot_into(o))
        ->allow_extra_args(false);
    CLI::Option* check = valued(app, "--reference", o.reference_dir, "DIR",
                                "compare each scene's reference frame with DIR/SCENE.png (SCENE:\n"
                                "the table's label with '_' for ':'); a failing scene leaves\n"
                                "DIR/SCENE-actual.png and DIR/SCENE-diff.png (differing pixels\n"
                                "red). Without --fixed-dt the simulation steps 1/60 s a frame");
    valued(app, "--update-reference", o.update_reference_dir, "DIR",
           "write each scene's reference frame to DIR/SCENE.png (not barrage:\n"
           "it resizes the window)")
        ->excludes(check);
    count_option(app, "--tolerance", o.tolerance,
                 "a pixel differs when a channel differs by more than N (default 8)", 0, max_channel)
        ->needs(check);
    valued(app, "--max-differing", o.max_differing, "P",
           "a scene fails when more than P percent of its pixels differ\n"
           "(default 0.1)")
        ->check(percentage)
        ->needs(check);
    valued(app, "--report", o.report_dir, "DIR",
           "write DIR/index.html (the results for people, with the reference\n"
           "pictures and frame-time plots), DIR/report.json and DIR/junit.xml;\n"
           "with a run (--repeat, --reference too), --compare, --ab (each\n"
           "scene's interval, rounds and verdict) or --drivers (each driver's\n"
           "references, FPS and planted faults)")
        ->check(file_name);
}

// A "WORD  what it measures" list of a table's rows for --help, each line after the first indented.
template <class Row, size_t n> std::string ways_text(const Row (&rows)[n], const char* Row::*text) {
    std::string list;
    for (const Row& row : rows) {
        std::string line = std::string(row.word) + ": " + row.*text;
        for (size_t at = line.find('\n'); at != std::string::npos; at = line.find('\n', at + 1))
            line.insert(at + 1, "  ");
        list += "\n" + line;
    }
    return list;
}

// How a frame ends, the swap interval, and what comparisons compare.
void declare_frame_options(CLI::App& app, bench_options& o) {
    const std::string ways = "how each frame ends, so what its time measures:" +
                             ways_text(frame_end_ways, &frame_end_way::measures);
    app.add_option("--frame-end", ways)->type_name("WAY")->check(ours([&o](const std::string& text) {
        return frame_end_of_word(text, o.end) ? ""
                                              : "needs swap, finish, readpixels or none, not '" + text + "'";
    }));
    valued(app, "--swap-interval", o.swap_interval, "N",
           "a window's swap interval: 0 no vsync, 1 vsync (default: the\n"
           "driver's); asked of Allegro, which the driver may not heed")
        ->check(ours([](const std::string& text) {
            return text == "0" || text == "1" ? "" : "needs 0 or 1, not '" + text + "'";
        }))
        ->excludes(app.get_option("--headless"));
    valued(app, "--metric", o.metric, "NAME",
           "what a run measures and --compare and --ab compare (gpu, cpu:\n"
           "--compare takes each run's 1000 / mean ms as its FPS):" +
               ways_text(metrics, &metric::help) +
               "\n(instructions: the bench runs itself under valgrind with one\n"
               "rasteriser thread, no shader cache, a fixed dt of 1/60 s unless\n"
               "given, 20 frames after 10 warm-up unless given; --ab's threshold\n"
               "then defaults to 0.25% and one round of A B B A decides)")
        ->check(ours([](const std::string& text) {
            return find_metric(text) ? std::string() : "unknown metric '" + text + "'";
        }));
}

// Comparing two results files, and the rest. Returns --compare, which --ab excludes.
CLI::Option* declare_other_options(CLI::App& app, bench_options& o) {
    CLI::Option* compare = valued(app, "--compare", o.compare, "BASE NEW",
                                  "compare two --csv files scene by scene instead of running:\n"
                                  "mean FPS and spread over the runs, their ratio and a verdict\n"
                                  "(faster, slower, no change) by Welch's t-test, two-sided, at\n"
                                  "95%, or unknown with fewer than 2 runs on a side; needs no\n"
                                  "display. Warns when the files differ in where they were measured")
                               ->expected(2)
                               ->allow_extra_args(false)
                               ->multi_option_policy(CLI::MultiOptionPolicy::Throw);
    valued(app, "--fail-slower", o.fail_slower, "PCT",
           "with --compare or --ab, exit with status 4 when a scene is slower\n"
           "by more than PCT percent (--compare: of its base FPS, beyond\n"
           "noise; --ab: of A's frame time, verdict slower), else with\n"
           "status 5 when a scene cannot be judged (unknown, inconclusive)")
        ->check(percentage);
    app.add_flag("--startup", o.startup_only,
                 "print the time from process start to the first presented frame\n"
                 "and exit right after presenting it");
    app.add_flag("--list", o.list, "list the scenes and their settings");
    app.set_help_flag("-h,--help", "this text");
    return compare;
}

// One side of --ab: --a-bench, --a-env, --a-args (or b).
void declare_side(CLI::App& app, CLI::Option* ab, ab_side& side, const std::string& name) {
    const std::string upper(1, char(name[0] - 'a' + 'A'));
    valued(app, "--" + name + "-bench", side.bench, "PATH",
           "the bench program of " + upper + " (default: this one)")
        ->check(file_name)
        ->needs(ab);
    const std::string env_help = "environment of " + upper +
                                 "'s processes on top of ours, e.g.\n"
                                 "\"LP_NUM_THREADS=1 GALLIUM_DRIVER=softpipe\"; K= removes K";
    app.add_option("--" + name + "-env", env_help)
        ->type_name("\"K=V ...\"")
        ->check(ours([&side](const std::string& text) {
            std::string error;
            return parse_assignments(text, side.env, error) ? std::string() : error;
        }))
        ->needs(ab);
    const std::string args_help =
        "more options for " + upper + "'s bench, split at blanks, e.g.\n\"--size 848x636\"";
    app.add_option("--" + name + "-args", args_help)
        ->type_name("\"OPTIONS\"")
        ->check(ours([&side](const std::string& text) {
            std::istringstream in(text);
            for (std::string word; in >> word;)
                side.args.push_back(word);
            return std::string();
        }))
        ->needs(ab);
}

// The A/B comparison of two configurations in separate processes.
void declare_ab_options(CLI::App& app, bench_options& o, CLI::Option* compare) {
    CLI::Option* ab = app.add_flag("--ab", o.ab,
                                   "compare two configurations A and B (builds, drivers, settings)\n"
                                   "as separate bench processes in rounds of A B B A; each measures\n"
                                   "the scenes (--scene, --frames, --warmup, --size, --seed as given\n"
                                   "here; --frames defaults to 150) once after its warm-up. Per\n"
                                   "scene: B's median frame time over A's, its 95% interval over the\n"
                                   "rounds, and a verdict:\n"
                                   "slower or faster (the interval wholly beyond --threshold), no\n"
                                   "change (wholly within) or inconclusive. --csv gets one row per\n"
                                   "scene with each side's provenance; needs no display itself");
    for (const char* other : {"--repeat", "--frames-csv", "--screenshot", "--reference", "--update-reference",
                              "--startup", "--list"})
        ab->excludes(app.get_option(other));
    ab->excludes(compare);
    declare_side(app, ab, o.a_side, "a");
    declare_side(app, ab, o.b_side, "b");
    valued(app, "--threshold", o.threshold, "PCT",
           "--ab: the change in percent of A's frame time below which B counts\n"
           "as no change (default 3)")
        ->check(percentage)
        ->needs(ab);
    count_option(app, "--min-rounds", o.min_rounds,
                 "--ab: rounds before a scene may stop with a verdict (default 5)", 2, most_rounds)
        ->needs(ab);
    count_option(app, "--max-rounds", o.max_rounds,
                 "--ab: rounds after which a scene stops, inconclusive or not\n(default 20)", 2, most_rounds)
        ->needs(ab);
}

// Rules across options that CLI11 does not express; the error for the user, or an empty text.
std::string cross_check(const bench_options& o) {
    // The report is written at the end, which --startup never reaches.
    if (o.startup_only && !o.report_dir.empty())
        return "--report: --startup ends before the report is written";
    if (o.fail_slower >= 0.0 && o.compare.empty() && !o.ab)
        return "--fail-slower requires --compare or --ab";
    // A run counts instructions itself; the other measures are compared from runs that took them all.
    if (o.metric != metrics[0].word && !counts_instructions(o.metric) && o.compare.empty() && !o.ab)
        return "--metric requires --compare or --ab";
    if (counts_instructions(o.metric) && !o.compare.empty())
        return "--compare: results files carry no per-run counts to judge; use --ab --metric instructions";
    if (o.ab && o.min_rounds > o.max_rounds)
        return "--min-rounds " + std::to_string(o.min_rounds) + " is more than --max-rounds " +
               std::to_string(o.max_rounds);
    return std::string();
}

// Which driver a run must be on, and the driver matrix.
void declare_driver_options(CLI::App& app, bench_options& o) {
    valued(app, "--expect-renderer", o.expect_renderer, "RE",
           "exit at once with status 6 when GL_RENDERER does not match the\n"
           "extended regular expression RE, as grep -E reads it (a driver\n"
           "Mesa silently replaced), or when no OpenGL context can be made")
        ->check(ours(renderer_pattern_error));
    CLI::Option* matrix = valued(app, "--drivers", o.drivers_dir, "DIR",
                                 "the driver matrix instead of a run: on each driver (--list names\n"
                                 "them) the references of --reference and a timing, then every\n"
                                 "planted fault in a copy of shaders/, each of which must fail its\n"
                                 "scenes; other options pass on to those runs. Prints one table,\n"
                                 "keeps every run's output and writes DIR/drivers.csv and\n"
                                 "DIR/faults.csv; a driver that does not load is skipped")
                              ->check(file_name);
    matrix->needs(app.get_option("--reference"));
    for (const char* other :
         {"--update-reference", "--csv", "--frames-csv", "--screenshot", "--compare", "--ab"})
        matrix->excludes(app.get_option(other));
    valued(app, "--driver", o.driver_names, "NAME", "with --drivers, only this driver; repeatable")
        ->check(ours([](const std::string& text) {
            return find_driver(text) ? "" : "unknown driver '" + text + "' (--list shows the drivers)";
        }))
        ->needs(matrix)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    valued(app, "--fault", o.fault_names, "NAME",
           "with --drivers, only this planted fault ('none': no fault);\nrepeatable")
        ->check(ours([](const std::string& text) {
            return text == "none" || find_fault(text)
                       ? ""
                       : "unknown fault '" + text + "' (--list shows the faults)";
        }))
        ->needs(matrix)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
}

// The command line with every option declared and bound to o and texts.
std::unique_ptr<CLI::App> make_command_line(bench_options& o) {
    auto app = std::make_unique<CLI::App>(
        "Runs the game's scenes for a number of frames each and prints frame-time statistics.\n"
        "It reads shaders/, textures/ and meshes/ from the working directory: run it in a folder that\n"
        "holds them, such as the build directory, the game's installed data (PREFIX/share/tarnwick)\n"
        "or the player's folder that the tarnwick launcher makes (~/.local/share/tarnwick).",
        "tarnwick-bench");
    app->footer(exit_status_text(help_width));
    app->formatter(std::make_shared<usage_formatter>());
    app->option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    app->set_help_flag();
    declare_run_options(*app, o);
    declare_output_options(*app, o);
    declare_frame_options(*app, o);
    CLI::Option* compare = declare_other_options(*app, o);
    declare_ab_options(*app, o, compare);
    declare_driver_options(*app, o);
    return app;
}

// Counts repeat only with a fixed dt; they need fewer frames and a tighter threshold than times.
void apply_count_defaults(const CLI::App& app, bench_options& o) {
    if (o.fixed_dt <= 0.0)
        o.fixed_dt = reference_dt;
    if (app.count("--frames") == 0)
        o.frames = count_default_frames;
    if (app.count("--warmup") == 0)
        o.warmup = count_default_warmup;
    if (app.count("--threshold") == 0)
        o.threshold = count_threshold * percent;
}
} // namespace

parse_result parse_bench_options(const std::vector<std::string>& args) {
    parse_result result;
    const std::unique_ptr<CLI::App> app = make_command_line(result.options);
    // CLI11 takes the arguments last first.
    std::vector<std::string> reversed(args.rbegin(), args.rend());
    try {
        app->parse(reversed);
    } catch (const CLI::CallForHelp&) {
        result.options.help = true;
    } catch (const CLI::ParseError& e) {
        result.error = e.what();
        return result;
    }
    bench_options& o = result.options;
    result.error = cross_check(o);
    if (!result.error.empty())
        return result;
    std::vector<std::string> typed = {"tarnwick-bench"};
    typed.insert(typed.end(), args.begin(), args.end());
    o.command_line = quoted_command_line(typed);
    if ((!o.reference_dir.empty() || !o.update_reference_dir.empty()) && o.fixed_dt <= 0.0)
        o.fixed_dt = reference_dt;
    if (o.ab && app->count("--frames") == 0)
        o.frames = ab_default_frames;
    // --ab's processes end their frames as asked here, before a side's own options.
    for (const char* name : {"--frame-end", "--swap-interval"}) {
        if (!o.ab || app->count(name) == 0)
            continue;
        const std::string value = app->get_option(name)->as<std::string>();
        for (ab_side* side : {&o.a_side, &o.b_side})
            side->args.insert(side->args.begin(), {name, value});
    }
    if (counts_instructions(o.metric))
        apply_count_defaults(*app, o);
    result.ok = true;
    return result;
}

loop_settings loop_settings_of(const bench_options& o) {
    const bool variants = !o.update_reference_dir.empty();
    return {o.width,    o.height,
            o.warmup,   o.frames,
            o.fixed_dt, o.screenshots,
            variants,   o.startup_only,
            o.end,      counts_instructions(o.metric) ? count_folder() : ""};
}

std::string bench_usage() {
    bench_options unused;
    return make_command_line(unused)->help();
}

} // namespace tarnwick::bench
