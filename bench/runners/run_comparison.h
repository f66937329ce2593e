// --compare: two results files compared scene by scene (mean FPS over the runs, Welch's t-test), printed
// and, with --report, written as a report. No GL here.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace tarnwick::bench {

// What --compare is given: the base and the new results file, the gate, and where the report goes.
struct compare_settings {
    std::vector<std::string> files;
    double fail_slower = -1.0;
    std::string report_dir;
    std::string command_line;
    // The metric's word: each run's figure is read from its column.
    std::string metric = "frame";
};

// Reads both files, prints the comparison on out and writes the report; returns the exit status (1 when a
// file cannot be read, or read whole).
int run_compare(const compare_settings& options, std::ostream& out);

} // namespace tarnwick::bench
