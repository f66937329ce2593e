// The driver matrix's result record. No GL here.
#include "runners/matrix_report.h"

#include "runners/planted_faults.h"

#include <algorithm>

namespace tarnwick::bench {

namespace {
// Where a driver's report came from when its run wrote none: what the matrix saw, and the variables that
// chose the driver.
provenance bare_origin(const driver_outcome& d) {
    provenance where;
    where.renderer = d.renderer;
    where.gl_version = d.gl_version;
    if (const driver_choice* choice = find_driver(d.driver))
        where.driver_env = joined_words(choice->environment);
    return where;
}

report_check driver_check(const driver_outcome& d, int origin) {
    if (d.state == driver_state::ran)
        return {driver_check_name, origin, verdict::ok, false, "ran on " + d.renderer, {}, {}};
    if (d.state == driver_state::skipped)
        return {driver_check_name, origin, verdict::unknown, false, "skipped: " + d.reason, {}, {}};
    return {driver_check_name, origin, verdict::fail, true, "failed: " + d.reason, {}, {}};
}

bool has_reference_picture(const report_scene& s) {
    return std::any_of(s.checks.begin(), s.checks.end(),
                       [](const report_check& c) { return !c.pictures.reference.empty(); });
}

// A driver's own report under its origin; the committed reference picture only where no driver showed it yet.
void merge(report_model& model, const report_model& own, int origin) {
    for (const report_scene& s : own.scenes) {
        report_scene& scene = model.scene(s.label);
        for (report_run run : s.runs) {
            run.origin = origin;
            scene.runs.push_back(run);
        }
        for (report_check check : s.checks) {
            check.origin = origin;
            if (has_reference_picture(scene))
                check.pictures.reference.clear();
            scene.checks.push_back(check);
        }
    }
    for (report_check check : own.checks) {
        check.origin = origin;
        model.checks.push_back(check);
    }
}

// Without the driver's own report: its reference verdicts as the matrix read them from its output.
void add_reference_verdicts(report_model& model, const driver_outcome& d, int origin) {
    for (const scene_outcome& s : d.scenes) {
        if (s.checked)
            model.set_check(s.label, {"reference",
                                      origin,
                                      s.ok ? verdict::ok : verdict::fail,
                                      !s.ok,
                                      s.ok ? "matches its reference" : "differs from its reference",
                                      {},
                                      {}});
    }
}

// How a planted fault's run came out, as the report says it: caught is ok, missed fails (its scenes still
// match), skipped is unknown, and an error fails as a run that failed.
struct fault_row {
    verdict outcome, reported;
    const char* words;
};
const fault_row fault_rows[] = {
    {verdict::caught, verdict::ok, "caught: "},
    {verdict::missed, verdict::fail, "missed: "},
    {verdict::skipped, verdict::unknown, "skipped: the driver did not run"},
    {verdict::error, verdict::fail,
     "error: the fault's run could not be made or failed (its output is in its folder)"}};

report_check fault_check(const std::string& name, verdict v, int origin) {
    const fault_row* row = std::find_if(std::begin(fault_rows), std::end(fault_rows),
                                        [v](const fault_row& r) { return r.outcome == v; });
    report_check check{
        fault_check_prefix + name, origin, row->reported, row->reported == verdict::fail, row->words, {}, {}};
    const planted_fault* fault = find_fault(name);
    if (fault && (v == verdict::caught || v == verdict::missed)) {
        check.message += std::string(fault->what) + ";";
        for (const std::string& s : fault->scenes)
            check.message += " " + s;
        check.message +=
            v == verdict::caught ? " differs from its reference" : " still matches its reference";
    }
    if (v == verdict::error)
        check.figures = {{run_failed_figure, 1.0}};
    return check;
}
} // namespace

report_model matrix_report(const driver_matrix& matrix, const std::vector<report_model>& driver_reports,
                           const std::vector<std::vector<report_pictures>>& fault_pictures,
                           const std::string& command_line) {
    report_model model;
    model.mode = report_mode::drivers;
    model.command_line = command_line;
    for (size_t i = 0; i < matrix.drivers.size(); ++i) {
        const driver_outcome& d = matrix.drivers[i];
        const bool own = i < driver_reports.size() && !driver_reports[i].origins.empty();
        const int origin =
            model.add_origin(d.driver, own ? driver_reports[i].origins.front().where : bare_origin(d));
        model.checks.push_back(driver_check(d, origin));
        if (own)
            merge(model, driver_reports[i], origin);
        else
            add_reference_verdicts(model, d, origin);
    }
    for (size_t f = 0; f < matrix.faults.size(); ++f) {
        const fault_outcome& fault = matrix.faults[f];
        for (size_t i = 0; i < fault.verdicts.size() && i < model.origins.size(); ++i) {
            report_check check = fault_check(fault.fault, fault.verdicts[i], int(i));
            if (f < fault_pictures.size() && i < fault_pictures[f].size())
                check.pictures = fault_pictures[f][i];
            model.checks.push_back(check);
        }
    }
    return model;
}

} // namespace tarnwick::bench
