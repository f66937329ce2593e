// The bench's results as they come: one table row per run on the report stream, and the CSV file.
#pragma once

#include "bench_options.h"
#include "frame_summary.h"

#include <fstream>
#include <ostream>
#include <string>

class bench_report {
  public:
    bench_report(const bench_options& options, std::ostream& table);
    // Opens the CSV file if one was asked for; false, after saying so on standard error, when it cannot.
    bool open();
    // A measured run: its table row, then note (a line of the stage's, when not empty), then its CSV row.
    void add_run(const std::string& label, const frame_summary& summary, const std::string& note);
    // Closes the CSV file; false, after saying so on standard error, when writing it failed.
    bool close();

  private:
    const bench_options& options;
    std::ostream& table;
    std::ofstream csv;
};
