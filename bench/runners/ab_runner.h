// --ab: two configurations (builds, drivers, settings) measured against each other as separate bench
// processes in rounds of A B B A. No GL here: the processes draw.
#pragma once

#include "cli/bench_options.h"

#include <ostream>

namespace tarnwick::bench {

// Runs the rounds until every scene has a verdict or the rounds run out, printing a line per round, then
// one line per scene (ratio of B's median frame time to A's, its 95% interval, rounds, verdict), and writes
// options.csv and the report in options.report_dir. Returns the exit status: 0; 1 when a process could not be
// started or failed, or a file could not be read or written; 2 when a side's bench refused its options; 4 or
// 5 under --fail-slower.
int run_ab(const bench_options& options, std::ostream& out);

} // namespace tarnwick::bench
