// Instruction counts under Valgrind's callgrind: the bench started under it with the conditions that make
// a count repeat, for a plain run and for the A/B runner's processes. No GL here.
#pragma once

#include "runners/ab_runner.h"
#include "runners/child_process.h"
#include "stats/frame_summary.h"

#include <ostream>
#include <string>
#include <vector>

namespace tarnwick::bench {

// The variable that tells a bench under callgrind where its dumps go.
constexpr char count_folder_variable[] = "TARNWICK_CALLGRIND_DIR";

// Where this process's callgrind dumps are: the folder its starter named, else the working directory
// (callgrind's default).
std::string count_folder();

// The environment a counted bench gets on top of ours (environment_list: ours): one rasteriser thread
// unless LP_NUM_THREADS is set there, no shader cache, and the dump folder.
std::vector<std::string> count_environment(const std::string& folder, const char* const* environment_list);
// The request run under callgrind (collection and instrumentation off until the first measured frame):
// valgrind becomes the program, its dumps and log go to folder.
child_request counted_request(child_request request, const std::string& folder);

// The conditions of a count as the provenance records them: "callgrind, dt S s fixed, seed N".
std::string counting_text(const ab_settings& settings);
// The one line a counted run prints first: the conditions with the environment they run under.
std::string count_conditions_line(const ab_settings& settings);

// The line for a machine without valgrind.
constexpr char no_valgrind_message[] =
    "tarnwick-bench: --metric instructions needs valgrind, which is not on PATH (scripts/deps installs it)";
// Whether valgrind is on PATH; prints no_valgrind_message on standard error when it is not.
bool valgrind_found();

// A plain run with --metric instructions: this bench again with the same arguments under callgrind, its
// standard output ours. Returns its status; 1 without valgrind, before any scene.
int run_counted(const ab_settings& settings, const std::vector<std::string>& arguments, std::ostream& out);

// Functions listed under "where the change went".
constexpr size_t count_changes_listed = 10;

// A scene's A/B comparison on counts: each side's processes' counts per frame, the verdict against
// threshold_percent and, from one dump of each side (labelled label, in a_folder and b_folder), the
// functions whose self cost per frame changed most. A dump that cannot be read leaves that list empty.
report_comparison count_comparison_of(const std::vector<double>& a, const std::vector<double>& b,
                                      double threshold_percent, const std::string& label, int frames,
                                      const std::string& a_folder, const std::string& b_folder);

// An end of a comparison's ratio interval (times' or counts'), or none without an interval.
template <class comparison>
std::string interval_end(const comparison& c, bool high, int decimals, const char* none) {
    return c.ratio_interval ? fixed(high ? c.ratio_interval->second : c.ratio_interval->first, decimals)
                            : none;
}

// --ab on counts: a row per scene (each side's millions per frame, B/A, its interval, processes, verdict),
// a line where a side's processes disagree, and under each scene the functions that changed most.
void print_count_results(const report_model& record, std::ostream& out);

} // namespace tarnwick::bench
