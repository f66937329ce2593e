// A plain run's results as they come: the table, the CSV exports and the result record.
#include "record/bench_report.h"

#include "record/csv_fields.h"
#include "record/report_console.h"
#include "record/report_files.h"

#include <cerrno>
#include <cmath>
#include <cstdio>

namespace tarnwick::bench {

namespace {
constexpr const char* reference_check_name = "reference";
// After the provenance: instructions per measured frame, empty where the run was not counted.
constexpr const char* count_columns =
    "instructions_per_frame,program_per_frame,gl_driver_per_frame,other_per_frame";

std::string count_csv_fields(const std::optional<instruction_count>& c) {
    if (!c)
        return ",,,";
    return csv_join(
        {fixed(c->per_frame, 0), fixed(c->program, 0), fixed(c->gl_driver, 0), fixed(c->other, 0)});
}

// The fields' names or their values, as CSV fields.
std::string csv_of(const std::vector<std::pair<std::string, std::string>>& fields, bool names) {
    std::vector<std::string> column;
    for (const auto& [name, value] : fields)
        column.push_back(names ? name : value);
    return csv_join(column);
}

bool open_csv(std::ofstream& out, const std::string& file, const std::string& header) {
    if (file.empty())
        return true;
    errno = 0;
    out.open(file);
    if (!out)
        return cannot_write(file);
    out << header << "\n";
    return true;
}

bool close_csv(std::ofstream& out, const std::string& file) {
    if (!out.is_open())
        return true;
    errno = 0;
    out.close();
    return out ? true : cannot_write(file);
}
} // namespace

bench_report::bench_report(const run_outputs& outputs, const provenance& origin, std::ostream& table)
    : outputs(outputs), origin_csv(csv_of(provenance_fields(origin), false)),
      settings_csv(csv_of(run_setting_fields(origin), false)), table(table) {
    model.command_line = outputs.command_line;
    model.add_origin("this run", origin);
}

bool bench_report::open() {
    return open_csv(csv, outputs.csv,
                    csv_header() + "," + csv_of(provenance_fields({}), true) + "," + csv_late_header() + "," +
                        csv_of(run_setting_fields({}), true) + "," + count_columns) &&
           open_csv(frames_csv, outputs.frames_csv, "scene,run,frame,frame_ms,cpu_ms,gpu_ms");
}

void bench_report::add_run(const std::string& label, int run, const run_samples& samples,
                           const std::optional<instruction_count>& counts) {
    const frame_summary summary = summarize(samples.frame_seconds, samples.cpu_seconds, samples.gpu_ms);
    table << summary_row(label, summary) << std::endl;
    if (counts)
        table << "  " << count_line(label, *counts) << std::endl;
    if (csv.is_open())
        csv << csv_row(label, run, summary) << "," << origin_csv << "," << csv_late_row(summary) << ","
            << settings_csv << "," << count_csv_fields(counts) << "\n";
    report_scene& scene = model.scene(label);
    scene.runs.push_back({0, run, summary, {}, {}, counts});
    // Only the page plots every frame.
    if (!outputs.report_dir.empty()) {
        for (double seconds : samples.frame_seconds)
            scene.runs.back().frame_ms.push_back(seconds * ms_per_second);
        scene.runs.back().gpu_frame_ms = samples.gpu_ms;
    }
    if (!frames_csv.is_open())
        return;
    char row[64];
    for (size_t i = 0; i < samples.frame_seconds.size(); ++i) {
        std::snprintf(row, sizeof row, ",%d,%zu,%.4f,%.4f,", run, i + 1,
                      samples.frame_seconds[i] * ms_per_second, samples.cpu_seconds[i] * ms_per_second);
        const double gpu = i < samples.gpu_ms.size() ? samples.gpu_ms[i] : std::nan("");
        frames_csv << label << row << (std::isfinite(gpu) ? fixed(gpu, gpu_decimals) : "") << "\n";
    }
}

void bench_report::add_shots(const std::string& label, const shots_tally& tally) {
    const report_check check = shots_check(tally);
    table << "  " << label << ": " << check.message << std::endl;
    model.set_check(label, check);
}

void bench_report::add_check(const std::string& label, const report_check& check) {
    model.set_check(label, check);
}

void bench_report::add_reference(const std::string& label, const reference_outcome& outcome,
                                 const rgb_image& picture) {
    const image_difference& d = outcome.difference;
    const bool compared = d.pixel_count > 0;
    report_check check = run_check(reference_check_name, outcome.ok(), reference_message(outcome));
    // A passing frame's diff shows nothing but the darkened reference: the page leaves it out.
    if (!outputs.report_dir.empty())
        check.pictures = keep_pictures(outputs.report_dir, label, outcome.read ? outcome.file : "", &picture,
                                       compared && !outcome.ok() ? &d.picture : nullptr);
    if (compared)
        check.figures = {{"differing_pixels", double(d.differing)},
                         {"pixels", double(d.pixel_count)},
                         {"differing_percent", d.differing_percent()},
                         {"largest_difference", double(d.largest)}};
    model.set_check(label, check);
}

bool bench_report::close() {
    const bool csv_ok = close_csv(csv, outputs.csv);
    const bool frames_ok = close_csv(frames_csv, outputs.frames_csv);
    const bool report_ok = outputs.report_dir.empty() || write_report(outputs.report_dir, model, table);
    return csv_ok && frames_ok && report_ok;
}

} // namespace tarnwick::bench
