// A plain run's results as they come: one table row per run on the report stream, the CSV exports, and the
// result record, from which the report's folder (index.html, report.json, junit.xml) is written at the end
// and the exit status follows.
#pragma once

#include "images/reference_check.h"
#include "record/provenance.h"
#include "record/report_model.h"
#include "stats/frame_summary.h"

#include <fstream>
#include <ostream>
#include <string>

namespace tarnwick::bench {

// Where a run's results go besides the table; empty: not written.
struct run_outputs {
    std::string csv;
    std::string frames_csv;
    std::string report_dir;
    // The arguments as typed, for the report.
    std::string command_line;
};

class bench_report {
  public:
    // Every CSV row carries origin's fields: its provenance after the first measurements, its run settings
    // last.
    bench_report(const run_outputs& outputs, const provenance& origin, std::ostream& table);
    // Opens the CSV files that were asked for; false, after saying so and why on standard error, when one
    // cannot be.
    bool open();
    // The run-th run (from 1) of a scene: its table row, its CSV row and its frames' rows; with counts, its
    // line of instructions per frame as well.
    void add_run(const std::string& label, int run, const run_samples& samples,
                 const std::optional<instruction_count>& counts = std::nullopt);
    // What a barrage's run counted: its line on the table, and its "shots" check.
    void add_shots(const std::string& label, const shots_tally& tally);
    // A check of the scene (of the whole run when label is empty).
    void add_check(const std::string& label, const report_check& check);
    // A scene's reference outcome for its frame picture; with a report, the pictures kept in its folder.
    void add_reference(const std::string& label, const reference_outcome& outcome, const rgb_image& picture);
    // Closes the CSV files and writes the report; false, after saying so on standard error, when writing
    // one failed.
    bool close();
    const report_model& record() const { return model; }

  private:
    run_outputs outputs;
    // The origin's CSV fields: its provenance, its run settings.
    std::string origin_csv, settings_csv;
    std::ostream& table;
    std::ofstream csv;
    std::ofstream frames_csv;
    report_model model;
};

} // namespace tarnwick::bench
