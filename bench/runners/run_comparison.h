// --compare: two results files compared scene by scene (mean FPS over the runs, Welch's t-test), printed
// and, with --report, written as a report. No GL here.
#pragma once

#include "cli/bench_options.h"

#include <ostream>

namespace tarnwick::bench {

// Reads both files, prints the comparison on out and writes the report; returns the exit status (1 when a
// file cannot be read, or read whole).
int run_compare(const bench_options& options, std::ostream& out);

} // namespace tarnwick::bench
