// A results CSV (--csv) read back: the mean FPS of every run of each scene, and where it was measured.
// No GL here.
#pragma once

#include "record/metric.h"
#include "record/provenance.h"

#include <istream>
#include <string>
#include <vector>

namespace tarnwick::bench {

// The mean FPS (or the metric's rate) of every run of each scene, scenes in the order they first appear.
struct run_table {
    std::vector<std::string> scenes;
    std::vector<std::vector<double>> fps;
    // Where the first row was measured; empty fields in a file older than those columns.
    provenance origin;
    // The runs of scene, or null when the file has none.
    const std::vector<double>* runs_of(const std::string& scene) const;
};

// Reads a results CSV; the columns "scene" and "mean_fps" are needed. A row without every column of the
// header, or a measurement column that is not wholly a number, is an error: a cut file is never read as
// smaller numbers. Returns what is wrong, with the line number, or an empty text. With a metric, its column
// is needed instead of "mean_fps", each run's figure a number above 0, read as a rate.
std::string read_run_table(std::istream& in, run_table& table, const metric& measure = metrics[0]);

} // namespace tarnwick::bench
