// The benchmark's command line through CLI11; the scene and screenshot grammars are ours. No GL here.
#include "bench_options.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cmath>
#include <memory>
#include <sstream>

namespace {
constexpr int max_side = 16384;
constexpr int max_frames = 10000000;
constexpr double max_fixed_dt = 1.0;
constexpr int max_repeat = 1000;
constexpr int max_channel = 255;
constexpr int help_column = 26;

// The texts whose grammar is ours, turned into options once CLI11 has checked them.
struct option_texts {
    std::string size;
    std::vector<std::string> scenes;
    std::vector<std::string> screenshots;
};

// Decimal digits only, in [lowest, highest].
bool whole_number(const std::string& digits, int lowest, int highest, int& value) {
    constexpr size_t max_digits = 9;
    if (digits.empty() || digits.size() > max_digits ||
        digits.find_first_not_of("0123456789") != std::string::npos)
        return false;
    value = std::stoi(digits);
    return value >= lowest && value <= highest;
}

// WxH with both sides from 1 to max_side; false for anything else.
bool parse_size(const std::string& text, int& width, int& height) {
    const size_t x = text.find('x');
    return x != std::string::npos && whole_number(text.substr(0, x), 1, max_side, width) &&
           whole_number(text.substr(x + 1), 1, max_side, height);
}

// FRAME:FILE.png with a frame from 1; false for anything else.
bool parse_screenshot(const std::string& text, screenshot_request& request) {
    const size_t colon = text.find(':');
    const std::string suffix = ".png";
    request.file = colon == std::string::npos ? std::string() : text.substr(colon + 1);
    return whole_number(text.substr(0, colon), 1, max_frames, request.frame) &&
           request.file.size() > suffix.size() &&
           request.file.compare(request.file.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// A CLI11 check from a grammar of ours: the grammar's message, or none when the text is good.
CLI::Validator grammar(std::function<std::string(const std::string&)> check) {
    return CLI::Validator([check](std::string& text) { return check(text); }, "");
}

const CLI::Validator size_grammar = grammar([](const std::string& text) {
    int w = 0, h = 0;
    return parse_size(text, w, h) ? "" : "needs a size WxH from 1x1 to 16384x16384, not '" + text + "'";
});
const CLI::Validator scene_grammar = grammar([](const std::string& text) {
    scene_request request;
    return parse_scene(text, request);
});
const CLI::Validator screenshot_grammar = grammar([](const std::string& text) {
    screenshot_request request;
    return parse_screenshot(text, request) ? ""
                                           : "needs FRAME:FILE.png with a frame from 1, not '" + text + "'";
});
const CLI::Validator seconds = grammar([](const std::string& text) {
    char* end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    const bool good = !text.empty() && *end == '\0' && std::isfinite(v) && v > 0.0 && v <= max_fixed_dt;
    return good ? "" : "needs seconds above 0 and at most 1, not '" + text + "'";
});
const CLI::Validator file_name = grammar(
    [](const std::string& text) { return text.empty() ? std::string("needs a file name") : std::string(); });

// Prints the options in the order declared, each under its long name, between the description and footer.
class usage_formatter : public CLI::Formatter {
  public:
    usage_formatter() { column_width(help_column); }
    std::string make_option_name(const CLI::Option* opt, bool) const override {
        return "--" + opt->get_lnames().front();
    }
    std::string make_help(const CLI::App* app, std::string, CLI::AppFormatMode) const override {
        std::string text = "Usage: " + app->get_name() + " [options]\n" + app->get_description() + "\n\n";
        for (const CLI::Option* opt : app->get_options())
            text += make_option(opt, false);
        return text + "\n" + app->get_footer();
    }
};

// What to run: the display, the run lengths, the simulation, the scenes.
void declare_run_options(CLI::App& app, bench_options& o, option_texts& texts) {
    app.add_option("--size", texts.size, "display size (default 800x600)")
        ->option_text("WxH")
        ->check(size_grammar);
    app.add_option("--frames", o.frames, "measured frames per scene (default 300)")
        ->option_text("N")
        ->check(CLI::Range(1, max_frames));
    app.add_option("--warmup", o.warmup, "unmeasured frames before each scene (default 30)")
        ->option_text("N")
        ->check(CLI::Range(0, max_frames));
    app.add_option("--seed", o.seed, "random seed of the simulation (default 1)")->option_text("N");
    app.add_option("--fixed-dt", o.fixed_dt,
                   "advance the simulation S seconds per frame instead of the\n"
                   "measured frame time; with --seed the run is reproducible")
        ->option_text("S")
        ->check(seconds);
    app.add_option("--scene", texts.scenes, "a scene to run, repeatable (default: every scene)")
        ->option_text("NAME[:k=v...]")
        ->check(scene_grammar)
        ->allow_extra_args(false)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    app.add_option("--repeat", o.repeat,
                   "run each scene N times, each with its own warm-up and the same\n"
                   "seed (default 1); the CSV files keep every run")
        ->option_text("N")
        ->check(CLI::Range(1, max_repeat));
}

// What to write and check besides the table.
void declare_output_options(CLI::App& app, bench_options& o, option_texts& texts) {
    app.add_option("--csv", o.csv, "also write the results as CSV, one row per run")
        ->option_text("FILE")
        ->check(file_name);
    app.add_option("--frames-csv", o.frames_csv,
                   "write every measured frame as CSV: scene, run, frame, frame ms,\n"
                   "CPU ms (scripts/plot-bench draws it)")
        ->option_text("FILE")
        ->check(file_name);
    app.add_option("--screenshot", texts.screenshots,
                   "save frame F (counted from 1 over the run, warm-up included)\n"
                   "as it is before presentation; repeatable")
        ->option_text("F:FILE.png")
        ->check(screenshot_grammar)
        ->allow_extra_args(false)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    CLI::Option* check = app.add_option("--reference", o.reference_dir,
                                        "compare each scene's reference frame with DIR/SCENE.png (SCENE:\n"
                                        "the table's label with '_' for ':'); a failing scene leaves\n"
                                        "DIR/SCENE-actual.png and DIR/SCENE-diff.png (differing pixels\n"
                                        "red). Without --fixed-dt the simulation steps 1/60 s a frame")
                             ->option_text("DIR");
    app.add_option("--update-reference", o.update_reference_dir,
                   "write each scene's reference frame to DIR/SCENE.png (not barrage:\n"
                   "it resizes the window)")
        ->option_text("DIR")
        ->excludes(check);
    app.add_option("--tolerance", o.tolerance,
                   "a pixel differs when a channel differs by more than N (default 8)")
        ->option_text("N")
        ->check(CLI::Range(0, max_channel))
        ->needs(check);
    app.add_option("--max-differing", o.max_differing,
                   "a scene fails when more than P percent of its pixels differ\n"
                   "(default 0.1)")
        ->option_text("P")
        ->check(CLI::Range(0.0, 100.0))
        ->needs(check);
}

// Comparing two results files, and the rest.
void declare_other_options(CLI::App& app, bench_options& o) {
    CLI::Option* compare = app.add_option("--compare", o.compare,
                                          "compare two --csv files scene by scene instead of running:\n"
                                          "mean FPS and spread over the runs, their ratio and a verdict\n"
                                          "(faster, slower, no change) by Welch's t-test, two-sided, at\n"
                                          "95%; needs no display")
                               ->option_text("BASE NEW")
                               ->expected(2)
                               ->allow_extra_args(false)
                               ->multi_option_policy(CLI::MultiOptionPolicy::Throw);
    app.add_option("--fail-slower", o.fail_slower,
                   "with --compare, exit with status 4 when a scene is slower beyond\n"
                   "noise by more than PCT percent of its base FPS")
        ->option_text("PCT")
        ->check(CLI::Range(0.0, 100.0))
        ->needs(compare);
    app.add_flag("--startup", o.startup_only,
                 "print the time from process start to the first presented frame\n"
                 "and exit right after presenting it");
    app.add_flag("--list", o.list, "list the scenes and their settings");
    app.set_help_flag("-h,--help", "this text");
}

// The command line with every option declared and bound to o and texts.
std::unique_ptr<CLI::App> make_command_line(bench_options& o, option_texts& texts) {
    auto app = std::make_unique<CLI::App>(
        "Runs the game's scenes for a number of frames each and prints frame-time statistics.\n"
        "Run it in the build directory (it reads shaders/, textures/ and meshes/ from there).",
        "tarnwick-bench");
    app->footer("Exit status: 0 done, 1 an OpenGL error, a barrage's shots outliving it or a file that\n"
                "could not be read or written, 2 bad options, 3 a scene's frame differs from its\n"
                "reference (or it has none), 4 a scene slower than --fail-slower allows.\n");
    app->formatter(std::make_shared<usage_formatter>());
    app->option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    app->set_help_flag();
    declare_run_options(*app, o, texts);
    declare_output_options(*app, o, texts);
    declare_other_options(*app, o);
    return app;
}

// The checked texts of our own grammars into the options, and the step of a reference run.
void apply_texts(const option_texts& texts, bench_options& o) {
    if ((!o.reference_dir.empty() || !o.update_reference_dir.empty()) && o.fixed_dt <= 0.0)
        o.fixed_dt = reference_dt;
    if (!texts.size.empty())
        parse_size(texts.size, o.width, o.height);
    for (const std::string& text : texts.scenes) {
        o.scenes.emplace_back();
        parse_scene(text, o.scenes.back());
    }
    for (const std::string& text : texts.screenshots) {
        o.screenshots.emplace_back();
        parse_screenshot(text, o.screenshots.back());
    }
}
} // namespace

parse_result parse_bench_options(const std::vector<std::string>& args) {
    parse_result result;
    option_texts texts;
    const std::unique_ptr<CLI::App> app = make_command_line(result.options, texts);
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
    apply_texts(texts, result.options);
    result.ok = true;
    return result;
}

std::string bench_usage() {
    bench_options unused;
    option_texts texts;
    return make_command_line(unused, texts)->help();
}
