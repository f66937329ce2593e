// --ab: two configurations (builds, drivers, settings) measured against each other as separate bench
// processes in rounds of A B B A. No GL here: the processes draw.
#pragma once

#include "record/report_model.h"
#include "scenes/scene_plan.h"
#include "stats/ab_statistics.h"
#include "record/metric.h"

#include <ostream>
#include <string>
#include <vector>

namespace tarnwick::bench {

// One side of an A/B comparison: the bench program (empty: this one), the environment it gets on top of
// ours, and the options it gets after the common ones.
struct ab_side {
    std::string bench;
    std::vector<std::string> env;
    std::vector<std::string> args;
};

// What an A/B run is asked for, with the bench's defaults (the bench's options hold it): the scenes (empty:
// every scene with its default settings) and the run options every process gets, the two sides, the
// stopping rule (a scene stops after min_rounds once it has a verdict, at the latest after max_rounds) and
// verdict threshold in percent of A's frame time, the --fail-slower limit (negative: none), the files to
// write (empty: none; report_dir receives index.html, report.json and junit.xml) and the arguments as typed.
struct ab_settings {
    std::vector<scene_request> scenes;
    int frames = 300, warmup = 30, width = 800, height = 600;
    unsigned seed = 1;
    // Seconds of simulation per frame; 0 means the measured frame time, as the game does.
    double fixed_dt = 0.0;
    // Draw into a framebuffer object of an EGL context without a window or X server; each frame ends with a
    // fence wait instead of a flip.
    bool headless = false;
    ab_side a_side, b_side;
    double threshold = 3.0;
    int min_rounds = 5, max_rounds = 20;
    double fail_slower = -1.0;
    std::string csv, report_dir, command_line;
    // What the sides are compared on (a metric's word): each process's figure of a scene is that metric's.
    std::string metric = "frame";
};

// Runs the rounds until every scene has a verdict or the rounds run out, printing a line per round, then
// one line per scene (ratio of B's median frame time to A's, its 95% interval, rounds, verdict), and writes
// settings.csv and the report in settings.report_dir. Each process hands its medians back through the
// report.json it writes. Returns the exit status: 0; 1 when a process could not be started or failed, or a
// file could not be read or written; 2 when a side's bench refused its options; 4 or 5 under --fail-slower.
int run_ab(const ab_settings& settings, std::ostream& out);

// A scene's comparison as the session holds it: B's median frame time over A's from the rounds, with the
// estimate and verdict of the sequence (threshold_percent as the sequence judged it).
report_comparison ab_comparison(const ab_sequence& sequence, double threshold_percent);

} // namespace tarnwick::bench
