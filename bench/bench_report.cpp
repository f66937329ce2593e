// The bench's results as they come: one table row per run on the report stream, and the CSV files.
#include "bench_report.h"

#include "csv_fields.h"

#include <cstdio>
#include <iostream>

namespace {
constexpr double ms_per_second = 1000.0;

bool cannot_write(const std::string& file) {
    std::cerr << "tarnwick-bench: cannot write " << file << std::endl;
    return false;
}

bool open_csv(std::ofstream& out, const std::string& file, const std::string& header) {
    if (file.empty())
        return true;
    out.open(file);
    if (!out)
        return cannot_write(file);
    out << header << "\n";
    return true;
}

bool close_csv(std::ofstream& out, const std::string& file) {
    if (!out.is_open())
        return true;
    out.close();
    return out ? true : cannot_write(file);
}
} // namespace

bench_report::bench_report(const bench_options& options, const provenance& origin, std::ostream& table)
    : options(options), table(table) {
    for (const auto& field : provenance_fields(origin))
        origin_values.push_back(field.second);
}

bool bench_report::open() {
    std::vector<std::string> names;
    for (const auto& field : provenance_fields(provenance()))
        names.push_back(field.first);
    return open_csv(csv, options.csv, csv_header() + "," + csv_join(names)) &&
           open_csv(frames_csv, options.frames_csv, "scene,run,frame,frame_ms,cpu_ms");
}

void bench_report::add_run(const std::string& label, int run, const run_samples& samples,
                           const std::string& note) {
    const frame_summary summary = summarize(samples.frame_seconds, samples.cpu_seconds);
    table << summary_row(label, summary) << std::endl;
    if (!note.empty())
        table << note << std::endl;
    if (csv.is_open())
        csv << csv_row(label, run, summary) << "," << csv_join(origin_values) << "\n";
    if (!frames_csv.is_open())
        return;
    char row[64];
    for (size_t i = 0; i < samples.frame_seconds.size(); ++i) {
        std::snprintf(row, sizeof row, ",%d,%zu,%.4f,%.4f\n", run, i + 1,
                      samples.frame_seconds[i] * ms_per_second, samples.cpu_seconds[i] * ms_per_second);
        frames_csv << label << row;
    }
}

bool bench_report::close() {
    const bool csv_ok = close_csv(csv, options.csv);
    return close_csv(frames_csv, options.frames_csv) && csv_ok;
}
