// Runs the driver matrix: a child bench per driver for the references and the timing, and one per planted
// fault and driver, each with --expect-renderer so that a driver Mesa silently replaced is caught.
#pragma once

#include "runners/driver_matrix.h"

#include <ostream>
#include <string>
#include <vector>

namespace tarnwick::bench {

// What a matrix run is asked for: the folder it keeps everything in, the references, the drivers and planted
// faults (empty: all; a fault "none": none), the report's folder (empty: none), and this bench's own
// arguments, of which every option but the matrix's own passes on to the children.
struct matrix_settings {
    std::string drivers_dir, reference_dir, report_dir, command_line;
    std::vector<std::string> driver_names, fault_names;
    std::vector<std::string> args;
};

// Runs every chosen driver and fault, each child handing its results back through its own report.json, keeps
// each child's output (for people) and pictures under settings.drivers_dir, prints the tables to out and
// writes them there as drivers.csv and faults.csv, and with settings.report_dir one report of every driver
// and fault. Returns the exit status decided from that record (1 when a file could not be made or written).
int run_driver_matrix(const matrix_settings& settings, std::ostream& out);

} // namespace tarnwick::bench
