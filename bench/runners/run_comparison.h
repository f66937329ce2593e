// Comparing two bench results files: per scene, the mean FPS of each file's runs, their spread, and
// whether the difference lies beyond the runs' noise (Welch's t-test, two-sided, at 95%). No GL here.
#pragma once

#include "record/provenance.h"

#include <istream>
#include <ostream>
#include <string>
#include <vector>

namespace tarnwick::bench {

// The mean FPS of every run of each scene, scenes in the order they first appear.
struct run_table {
    std::vector<std::string> scenes;
    std::vector<std::vector<double>> fps;
    // Where the first row was measured; empty fields in a file older than those columns.
    provenance origin;
    // The runs of scene, or null when the file has none.
    const std::vector<double>* runs_of(const std::string& scene) const;
};

// Reads a results CSV (the columns "scene" and "mean_fps" are needed, others ignored). Returns what is
// wrong, with the line number, or an empty text.
std::string read_run_table(std::istream& in, run_table& table);

// Welch's t-test of two samples: the two-sided probability of a difference of means at least as large
// as theirs when the true means are equal. Needs two values in each sample.
double welch_p_value(const std::vector<double>& a, const std::vector<double>& b);

enum class verdict { no_change, faster, slower, unknown };

struct scene_comparison {
    std::string scene;
    double base_mean = 0.0, base_spread = 0.0;
    double new_mean = 0.0, new_spread = 0.0;
    // new mean FPS / base mean FPS.
    double ratio = 0.0;
    verdict result = verdict::unknown;
};

// The comparison of one scene's runs: faster or slower when Welch's test puts the difference beyond 95%,
// unknown with fewer than two runs on either side.
scene_comparison compare_scene(const std::string& scene, const std::vector<double>& base,
                               const std::vector<double>& fresh);

// Prints what differs in where the two files were measured, the comparison of every scene of base found in
// fresh, then the scenes in only one of them. With fail_slower_percent >= 0, returns 4 when a scene is
// slower beyond noise by more than that percentage of its base FPS, else 5 when a scene is unknown (a
// gate must not pass what it cannot judge); 0 otherwise.
int print_comparison(const run_table& base, const run_table& fresh, const std::string& base_name,
                     const std::string& new_name, double fail_slower_percent, std::ostream& out);

} // namespace tarnwick::bench
