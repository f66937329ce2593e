// The bench's results as they come: one table row per run on the report stream, the CSV files, and with
// --report the folder of index.html, report.json and junit.xml, written at the end.
#pragma once

#include "cli/bench_options.h"
#include "stats/frame_summary.h"
#include "record/provenance.h"
#include "images/reference_check.h"
#include "record/report_model.h"

#include <fstream>
#include <ostream>
#include <string>

namespace tarnwick::bench {

class bench_report {
  public:
    // Every CSV row ends with origin's fields.
    bench_report(const bench_options& options, const provenance& origin, std::ostream& table);
    // Opens the CSV files that were asked for; false, after saying so on standard error, when one cannot be.
    bool open();
    // The run-th run (from 1) of a scene: its table row, then note (a line of the stage's, when not empty),
    // then its CSV row and its frames' rows.
    void add_run(const std::string& label, int run, const run_samples& samples, const std::string& note);
    // For the report: a check of the scene (of the whole run when label is empty).
    void add_check(const std::string& label, const report_check& check);
    // For the report: a scene's reference outcome for its frame picture, the pictures kept in its folder.
    void add_reference(const std::string& label, const reference_outcome& outcome, const rgb_image& picture);
    // Closes the CSV files and writes the report; false, after saying so on standard error, when writing
    // one failed.
    bool close();

  private:
    const bench_options& options;
    std::vector<std::string> origin_values;
    std::ostream& table;
    std::ofstream csv;
    std::ofstream frames_csv;
    report_model model;
};

} // namespace tarnwick::bench
