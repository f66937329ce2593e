// The bench's results as they come: one table row per run on the report stream, and the CSV file.
#include "bench_report.h"

#include <iostream>

namespace {
bool cannot_write(const std::string& file) {
    std::cerr << "tarnwick-bench: cannot write " << file << std::endl;
    return false;
}
} // namespace

bench_report::bench_report(const bench_options& options, std::ostream& table)
    : options(options), table(table) {}

bool bench_report::open() {
    if (options.csv.empty())
        return true;
    csv.open(options.csv);
    if (!csv)
        return cannot_write(options.csv);
    csv << csv_header() << "\n";
    return true;
}

void bench_report::add_run(const std::string& label, const frame_summary& summary, const std::string& note) {
    table << summary_row(label, summary) << std::endl;
    if (!note.empty())
        table << note << std::endl;
    if (csv.is_open())
        csv << csv_row(label, summary) << "\n";
}

bool bench_report::close() {
    if (!csv.is_open())
        return true;
    csv.close();
    return csv ? true : cannot_write(options.csv);
}
