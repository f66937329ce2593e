// The bench's results as they come: one table row per run on the report stream, and the CSV files.
#include "record/bench_report.h"

#include "record/csv_fields.h"
#include "record/report_files.h"

#include <cstdio>
#include <iostream>

namespace tarnwick::bench {

namespace {
constexpr double ms_per_second = 1000.0;

constexpr const char* reference_check_name = "reference";

// A reference line without the label in front and the "ok" at the end, which the page shows apart.
std::string message_of(const std::string& line) {
    const std::string ok = ": ok";
    std::string message = line.substr(std::min(line.find(": ") + 2, line.size()));
    if (message.size() >= ok.size() && message.compare(message.size() - ok.size(), ok.size(), ok) == 0)
        message.resize(message.size() - ok.size());
    return message;
}

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
    model.command_line = options.command_line;
    model.add_origin("this run", origin);
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
    if (!options.report_dir.empty()) {
        report_scene& scene = model.scene(label);
        scene.runs.push_back({0, run, summary, {}});
        for (double seconds : samples.frame_seconds)
            scene.runs.back().frame_ms.push_back(seconds * ms_per_second);
    }
    if (!frames_csv.is_open())
        return;
    char row[64];
    for (size_t i = 0; i < samples.frame_seconds.size(); ++i) {
        std::snprintf(row, sizeof row, ",%d,%zu,%.4f,%.4f\n", run, i + 1,
                      samples.frame_seconds[i] * ms_per_second, samples.cpu_seconds[i] * ms_per_second);
        frames_csv << label << row;
    }
}

void bench_report::add_check(const std::string& label, const report_check& check) {
    if (!options.report_dir.empty())
        model.set_check(label, check);
}

void bench_report::add_reference(const std::string& label, const reference_outcome& outcome,
                                 const rgb_image& picture) {
    if (options.report_dir.empty())
        return;
    const image_difference& d = outcome.difference;
    const bool compared = d.pixel_count > 0;
    report_check check{reference_check_name,
                       0,
                       outcome.ok ? report_verdict::ok : report_verdict::fail,
                       !outcome.ok,
                       message_of(outcome.line),
                       keep_pictures(options.report_dir, label, outcome.reference, &picture,
                                     compared ? &d.picture : nullptr),
                       {}};
    if (compared)
        check.figures = {{"differing_pixels", double(d.differing)},
                         {"pixels", double(d.pixel_count)},
                         {"differing_percent", d.differing_percent()},
                         {"largest_difference", double(d.largest)}};
    model.set_check(label, check);
}

bool bench_report::close() {
    const bool csv_ok = close_csv(csv, options.csv);
    const bool frames_ok = close_csv(frames_csv, options.frames_csv);
    const bool report_ok = options.report_dir.empty() || write_report(options.report_dir, model);
    return csv_ok && frames_ok && report_ok;
}

} // namespace tarnwick::bench
