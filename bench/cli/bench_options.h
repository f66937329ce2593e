// The benchmark's command line: scenes with their settings, run lengths, seed, outputs. No GL here.
#pragma once

#include "runners/ab_runner.h"
#include "scenes/scene_plan.h"
#include "stage/frame_loop.h"

#include <string>
#include <vector>

namespace tarnwick::bench {

// The run options, the outputs and --ab's settings as the A/B runner takes them, and the rest.
struct bench_options : ab_settings {
    std::vector<screenshot_request> screenshots;
    // Runs of each scene, each with its own warm-up.
    int repeat = 1;
    // Every measured frame's time, one CSV row each.
    std::string frames_csv;
    // Each scene's reference frame is compared with the PNG file of its name in reference_dir, or written
    // into update_reference_dir.
    std::string reference_dir;
    std::string update_reference_dir;
    // A pixel differs when a channel differs by more than tolerance; a scene fails when more than
    // max_differing percent of its pixels differ.
    int tolerance = 8;
    double max_differing = 0.1;
    // Two results files to compare instead of running scenes (fail_slower: the slowdown in percent beyond
    // noise that fails the comparison).
    std::vector<std::string> compare;
    // Two configurations measured against each other as separate bench processes instead of running here.
    bool ab = false;
    // GL_RENDERER must match this extended regular expression (POSIX, as grep -E), found anywhere in it, else
    // status 6.
    std::string expect_renderer;
    // The driver matrix instead of a run: the drivers named in driver_names (empty: all) each run the
    // references and the timing, and the planted faults named in fault_names (empty: all; "none": none)
    // run on each; everything is kept in drivers_dir.
    std::string drivers_dir;
    std::vector<std::string> driver_names;
    std::vector<std::string> fault_names;
    // How each frame ends, and the swap interval a window is asked for ("0", "1"; empty: the driver's own).
    frame_end end = frame_end::swap;
    std::string swap_interval;
    // Exit as soon as the first frame is presented, after printing how long start-up took.
    bool startup_only = false;
    bool list = false;
    bool help = false;
};

struct parse_result {
    bool ok = false;
    bench_options options;
    // What was wrong, for the user, on one line.
    std::string error;
};

// Measured frames per scene of each --ab process when --frames is not given: a process gives one median per
// scene, and a round of four processes of four scenes then takes about 15 s here, so that 20 rounds fit in
// five minutes.
constexpr int ab_default_frames = 150;

// Measured frames and warm-up per scene under --metric instructions when not given: counts repeat, so a
// few frames say as much as many, and each counted frame costs callgrind's slowdown.
constexpr int count_default_frames = 20;
constexpr int count_default_warmup = 10;

// Seconds per frame of the simulation when references are made or checked and no --fixed-dt is given.
constexpr double reference_dt = 1.0 / 60.0;

// Parses the arguments after the program name. Accepts "--opt value" and "--opt=value"; a repeated
// single-valued option keeps its last value. References without --fixed-dt get reference_dt.
parse_result parse_bench_options(const std::vector<std::string>& args);

// What the frame loop needs of the options.
loop_settings loop_settings_of(const bench_options& options);

// The usage text printed by --help.
std::string bench_usage();

} // namespace tarnwick::bench
