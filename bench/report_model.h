// What a bench report holds, whichever mode filled it: where the runs ran, each scene's runs, comparison
// and checks, and their verdicts. index.html, report.json and junit.xml are all written from it. No GL here.
//
// How a mode adds its results (each a few calls):
// - A plain run: one origin (add_origin), then per run scene(label).runs.push_back({0, number, summary,
//   frame_ms}); a reference check or any other pass/fail test is set_check(label, check).
// - A comparison of two sides (--compare, an A/B run): two origins ("base"/"new", "A"/"B"); each side's
//   runs carry its origin's index; scene(label).comparison holds both means, the ratio and, when the mode
//   has one, its 95% interval and the verdict; a threshold such as --fail-slower is a check named
//   "slower-than" (slower_than_check).
// - A driver matrix: one origin per driver, whose runs and checks carry its index; results that belong to
//   no scene (a planted fault caught or missed) are set_check("", check) with the driver's origin.
// Scene and report verdicts, the page's tables and the JUnit test cases follow from these alone.
#pragma once

#include "frame_summary.h"
#include "provenance.h"
#include "run_comparison.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

// How a scene or a check came out; each kind has its own colour on the page.
enum class report_verdict { ok, fail, faster, slower, no_change, inconclusive, unknown };

// "ok", "FAIL", "faster", "slower", "no change", "inconclusive", "unknown": the page's and the JSON's word.
const char* verdict_word(report_verdict v);

// One side of the report: this run, a side of a comparison, or a driver of a matrix.
struct report_origin {
    std::string name;
    provenance where;
};

// One measured run of a scene on one origin.
struct report_run {
    int origin = 0;
    // Counted from 1 per scene and origin.
    int number = 1;
    frame_summary summary;
    // Every measured frame, in order.
    std::vector<double> frame_ms;
};

// The pictures of a reference check, as paths relative to the report's folder; empty: none.
struct report_pictures {
    std::string reference;
    std::string actual;
    std::string diff;
};

// A test with a verdict: "reference", "slower-than", "shots", "GL errors", a planted fault.
struct report_check {
    std::string name;
    int origin = 0;
    report_verdict verdict = report_verdict::ok;
    // Whether it fails the bench (a JUnit failure); a "slower" within --fail-slower does not.
    bool failed = false;
    // One line for people.
    std::string message;
    report_pictures pictures;
    // Its numbers, the unit in the name ("differing_percent", "largest_difference").
    std::vector<std::pair<std::string, double>> figures;
};

// Two origins' mean FPS of a scene, set against each other.
struct report_comparison {
    int base_origin = 0;
    int new_origin = 1;
    double base_fps = 0.0, base_sd = 0.0;
    double new_fps = 0.0, new_sd = 0.0;
    // new / base.
    double ratio = 0.0;
    // The ratio's 95% interval, where the mode gives one.
    std::optional<std::pair<double, double>> ratio_interval;
    report_verdict verdict = report_verdict::unknown;
};

struct report_scene {
    std::string label;
    std::vector<report_run> runs;
    std::optional<report_comparison> comparison;
    std::vector<report_check> checks;
};

struct report_model {
    // As it was typed, quoted for a POSIX shell where needed.
    std::string command_line;
    std::vector<report_origin> origins;
    std::vector<report_scene> scenes;
    // Checks of no scene.
    std::vector<report_check> checks;

    // Returns the new origin's index.
    int add_origin(const std::string& name, const provenance& where);
    // The scene of that label, appended when new.
    report_scene& scene(const std::string& label);
    // Sets a check of the scene (of none when label is empty), replacing one of the same name and origin
    // unless that one failed: a later run does not undo an earlier run's failure.
    void set_check(const std::string& label, const report_check& check);
};

// A scene's verdict: its first failed check's, else its comparison's, else its first check's that is not
// ok, else ok.
report_verdict scene_verdict(const report_scene& s);
bool scene_failed(const report_scene& s);
// Whether one of the scene's checks of that origin failed (a driver's row of a matrix).
bool scene_failed(const report_scene& s, int origin);

// The checks a plain run sets: the stage's shot ledger after a barrage (note is the stage's line, "  LABEL:
// what it counted"), and the GL errors of the whole run.
report_check shots_check(int left_over, const std::string& note);
report_check gl_errors_check(int errors);
// The "slower-than" check of a comparison under --fail-slower: failed when slower by more than
// percent of the base FPS, or when the comparison cannot judge.
report_check slower_than_check(const report_comparison& c, double percent);

// The report of --compare: the two files as origins (named after them, with their first row's provenance),
// every scene found in both with its comparison, and with fail_slower >= 0 its "slower-than" check.
report_model comparison_report(const run_table& base, const run_table& fresh, const std::string& base_name,
                               const std::string& new_name, double fail_slower,
                               const std::string& command_line);

// The arguments as one line a POSIX shell reads back the same: words with other characters than
// letters, digits and "_-+=:,./@%" are single-quoted.
std::string quoted_command_line(const std::vector<std::string>& args);
