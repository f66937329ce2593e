// --compare: two results files compared scene by scene (mean FPS over the runs, Welch's t-test), printed
// and, with --report, written as a report. No GL here.
#pragma once

#include "runners/ab_runner.h"

#include <ostream>
#include <string>
#include <vector>

namespace tarnwick::bench {

// Reads both files (base and new), prints the comparison on out under the settings' metric (each run's
// figure is read from its column) and gate, and writes the report; returns the exit status (1 when a file
// cannot be read, or read whole).
int run_compare(const std::vector<std::string>& files, const ab_settings& settings, std::ostream& out);

} // namespace tarnwick::bench
