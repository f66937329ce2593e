// The result record: where the runs ran, each scene's runs, comparison and checks, and their verdicts,
// whichever mode filled it. Every report, table and the exit status are written from it. No GL here.
// - A plain run: one origin; its runs per scene, and pass/fail tests through set_check.
// - --compare and an A/B run: two origins; each scene's comparison holds both sides' figures, and
//   --fail-slower is a "slower-than" check.
// - A driver matrix: one origin per driver; results of no scene (the driver ran, a planted fault was
//   caught) are checks of no scene with the driver's origin.
#pragma once

#include "record/provenance.h"
#include "record/run_table.h"
#include "scenes/shots_tally.h"
#include "stats/fps_comparison.h"
#include "stats/frame_summary.h"
#include "stats/instruction_counts.h"
#include "stats/verdict.h"

#include <array>
#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace tarnwick::bench {

// What filled the report; the page's title and its tables follow it.
enum class report_mode { run, compare, ab, drivers };

// "run", "compare", "ab", "drivers": the JSON's word.
const char* mode_word(report_mode m);
report_mode mode_of_word(const std::string& word);

// A driver matrix's checks of no scene: "driver" (whether it ran, was skipped or failed) and one per planted
// fault, named "fault " and the fault's name.
constexpr char driver_check_name[] = "driver";
constexpr char fault_check_prefix[] = "fault ";
// A check's figure that says the run behind it failed outright (status 1, not a verdict on pictures).
constexpr char run_failed_figure[] = "run_failed";

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
    // Each measured frame's GPU time, NaN where it has none; empty when no frame has one.
    std::vector<double> gpu_frame_ms{};
    // Instructions per measured frame, when the run was counted under callgrind.
    std::optional<instruction_count> instructions{};
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
    bench::verdict verdict = verdict::ok;
    // Whether it fails the bench (a JUnit failure); a "slower" within --fail-slower does not.
    bool failed = false;
    // One line for people.
    std::string message;
    report_pictures pictures;
    // Its numbers, the unit in the name ("differing_percent", "largest_difference").
    std::vector<std::pair<std::string, double>> figures;
    // The figure of that name, or fallback.
    double figure(const std::string& name, double fallback = 0.0) const;
};

// Each side's median frame time over its processes (the median of each process's median), paired by
// rounds of processes (an A/B run).
struct frame_time_comparison {
    double base_ms = 0.0, new_ms = 0.0;
    // new / base: the geometric mean of one ratio per round; above 1 the new side is slower.
    double ratio = 0.0;
    // Its 95% interval over the rounds; none with fewer than two.
    std::optional<std::pair<double, double>> ratio_interval;
    int rounds = 0;
    // The verdict's threshold in percent.
    double threshold_percent = 0.0;
    // Each round's four medians in running order (A B B A).
    std::vector<std::array<double, 4>> round_ms;
};

// A function whose instructions per frame changed between the sides (self cost).
struct count_change {
    std::string object, function;
    double base = 0.0, fresh = 0.0, change = 0.0;
};

// Each side's instructions per measured frame over its processes (an A/B run on counts).
struct count_comparison {
    double base_per_frame = 0.0, new_per_frame = 0.0;
    // new / base; above 1 the new side runs more instructions.
    double ratio = 0.0;
    // The ratio widened by the agreement bound, or by the sides' own spread where that is larger.
    std::optional<std::pair<double, double>> ratio_interval;
    // Each process's count per frame, in running order per side.
    std::vector<double> base_counts, new_counts;
    // The widest disagreement within a side, and the bound it is held to, in percent.
    double spread_percent = 0.0, agreement_percent = 0.0;
    double threshold_percent = 0.0;
    // The functions that changed most, largest change first.
    std::vector<count_change> functions;
};

// Two origins' figures of a scene set against each other: mean FPS over the runs (--compare), median
// frame time or instructions per frame over rounds of processes (an A/B run).
struct report_comparison {
    int base_origin = 0;
    int new_origin = 1;
    bench::verdict verdict = verdict::unknown;
    std::variant<fps_comparison, frame_time_comparison, count_comparison> figures;
};

struct report_scene {
    std::string label;
    std::vector<report_run> runs;
    std::optional<report_comparison> comparison;
    std::vector<report_check> checks;
};

struct report_model {
    report_mode mode = report_mode::run;
    // As it was typed, quoted for a POSIX shell where needed.
    std::string command_line;
    std::vector<report_origin> origins;
    std::vector<report_scene> scenes;
    // Checks of no scene.
    std::vector<report_check> checks;
    // What --compare or --ab compared (a metric's word); empty for a run or a matrix.
    std::string metric;

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
verdict scene_verdict(const report_scene& s);
bool scene_failed(const report_scene& s);
// The scene's verdict on one origin alone, from that origin's checks; unknown when it has no run or check
// there.
verdict scene_verdict(const report_scene& s, int origin);
// Whether the scene has a run or a check on that origin.
bool has_origin(const report_scene& s, int origin);

// A pass/fail check of this run (origin 0): ok, or FAIL and failed.
report_check run_check(const std::string& name, bool passed, const std::string& message,
                       const std::vector<std::pair<std::string, double>>& figures = {});
// The checks a plain run sets: what a barrage's shots left behind, and the GL errors of the whole run.
report_check shots_check(const shots_tally& t);
report_check gl_errors_check(int errors);
// The one --fail-slower gate, the "slower-than" check of a comparison: failed when slower by more than
// allowed percent of the base (slowdown_percent), or when the comparison cannot judge.
report_check slower_than_check(const report_comparison& c, double allowed);

// The report of --compare: the two files as origins (named after them, with their first row's provenance),
// every scene found in both with its comparison, and with fail_slower >= 0 its "slower-than" check. A scene
// in one file alone gets a "compare" check, failed under fail_slower (a gate must not pass what it did not
// compare), as does the report when no scene is in both.
report_model comparison_report(const run_table& base, const run_table& fresh, const std::string& base_name,
                               const std::string& new_name, double fail_slower,
                               const std::string& command_line);

// One scene of an A/B run and its comparison as the A/B session made it.
struct ab_scene_comparison {
    std::string label;
    report_comparison comparison;
};

// The A/B run's report: A and B as origins; per scene the comparison of B's frame time with A's and, with
// fail_slower >= 0, its "slower-than" check.
report_model ab_report(const provenance& a, const provenance& b,
                       const std::vector<ab_scene_comparison>& scenes, double fail_slower,
                       const std::string& command_line);

// The arguments as one line a POSIX shell reads back the same: words with other characters than
// letters, digits and "_-+=:,./@%" are single-quoted.
std::string quoted_command_line(const std::vector<std::string>& args);

} // namespace tarnwick::bench
