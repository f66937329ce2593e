// Runs the driver matrix: a child bench per driver for the references and the timing, and one per planted
// fault and driver, each with --expect-renderer so that a driver Mesa silently replaced is caught.
#pragma once

#include "cli/bench_options.h"
#include "runners/driver_matrix.h"

#include <ostream>
#include <string>
#include <vector>

namespace tarnwick::bench {

// Runs every chosen driver and fault with the options in args (this bench's own arguments; every option
// but the matrix's own passes on to the children), keeps each child's output and pictures under
// options.drivers_dir, prints the tables to out and writes them there as drivers.csv and faults.csv, and with
// options.report_dir one report of every driver (each child writes its own, which it gathers) and fault.
// Returns the exit status (matrix_status, or 1 when a file could not be made or written).
int run_driver_matrix(const bench_options& options, const std::vector<std::string>& args, std::ostream& out);

} // namespace tarnwick::bench
