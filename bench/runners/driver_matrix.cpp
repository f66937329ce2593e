// The driver matrix's results: judging the child benches, the printed table and the CSV files. No GL.
#include "runners/driver_matrix.h"

#include "record/csv_fields.h"
#include "record/exit_status.h"
#include "stats/frame_summary.h"
#include "runners/planted_faults.h"
#include "scenes/scene_plan.h"

#include <algorithm>
#include <iomanip>

namespace tarnwick::bench {

namespace {
// The check a reference comparison makes in a bench's report.
constexpr char reference_check[] = "reference";
constexpr int matrix_label_width = 42;
constexpr int driver_width = 10;
constexpr int cell_width = 10;

std::string padded(const std::string& text, int width) {
    return text.size() >= size_t(width) ? text + " " : text + std::string(size_t(width) - text.size(), ' ');
}

std::string fps_text(double fps) { return fps < 0.0 ? "" : fixed(fps, 1); }

std::string reference_word(const scene_outcome& s) { return !s.checked ? "none" : s.ok ? "ok" : "FAIL"; }

const char* state_word(driver_state s) {
    static const char* const words[] = {"ran", "skipped", "failed"};
    return words[int(s)];
}

// A scene of a driver's report: its reference verdict (a check of that name) and its runs' mean FPS.
scene_outcome outcome_of(const report_scene& s) {
    scene_outcome outcome{s.label, false, false, -1.0};
    for (const report_check& c : s.checks) {
        if (c.name == reference_check) {
            outcome.checked = true;
            outcome.ok = !c.failed;
        }
    }
    if (!s.runs.empty()) {
        outcome.mean_fps = 0.0;
        for (const report_run& r : s.runs)
            outcome.mean_fps += r.summary.mean_fps / double(s.runs.size());
    }
    return outcome;
}

bool reference_failed(const report_model& report, const std::string& label) {
    const auto scene = std::find_if(report.scenes.begin(), report.scenes.end(),
                                    [&](const report_scene& s) { return s.label == label; });
    return scene != report.scenes.end() && outcome_of(*scene).checked && !outcome_of(*scene).ok;
}

void print_driver(const driver_outcome& d, std::ostream& out) {
    if (d.state != driver_state::ran) {
        out << padded(d.driver, driver_width) << state_word(d.state) << ": " << d.reason << "\n";
        return;
    }
    out << padded(d.driver, driver_width) << padded(d.renderer, matrix_label_width) << d.scenes_ok()
        << " ok, " << d.scenes_failed() << " failed\n"
        << padded("", driver_width) << d.gl_version << "\n";
    for (const scene_outcome& s : d.scenes)
        out << padded("", driver_width) << padded(s.label, matrix_label_width)
            << padded(reference_word(s), cell_width) << std::setw(cell_width) << fps_text(s.mean_fps) << "\n";
}
} // namespace

const std::vector<driver_choice>& driver_choices() {
    static const std::vector<driver_choice> drivers = {
        {"llvmpipe", {"GALLIUM_DRIVER=llvmpipe"}, false, "^llvmpipe"},
        {"softpipe", {"GALLIUM_DRIVER=softpipe"}, false, "^softpipe"},
        // Zink on lavapipe: Mesa's GL over its software Vulkan driver, the strictest shader path here.
        {"zink", {"GALLIUM_DRIVER=zink", "LIBGL_ALWAYS_SOFTWARE=1"}, true, "^zink"},
    };
    return drivers;
}

const driver_choice* find_driver(const std::string& name) {
    const auto& all = driver_choices();
    const auto found =
        std::find_if(all.begin(), all.end(), [&](const driver_choice& d) { return name == d.name; });
    return found == all.end() ? nullptr : &*found;
}

int driver_outcome::scenes_ok() const {
    return int(std::count_if(scenes.begin(), scenes.end(),
                             [](const scene_outcome& s) { return s.checked && s.ok; }));
}

int driver_outcome::scenes_failed() const {
    return int(std::count_if(scenes.begin(), scenes.end(),
                             [](const scene_outcome& s) { return s.checked && !s.ok; }));
}

driver_outcome judge_driver_run(const std::string& driver, const bench_child& run, const std::string& error) {
    driver_outcome d;
    d.driver = driver;
    const int status = run.child.status;
    if (status == int(exit_status::other_renderer)) {
        d.state = driver_state::skipped;
        d.reason =
            error.empty() ? "not the renderer asked for (status " + std::to_string(status) + ")" : error;
        return d;
    }
    const bool finished = status == int(exit_status::ok) || status == int(exit_status::reference_differs);
    d.state = finished && run.report ? driver_state::ran : driver_state::failed;
    if (d.state == driver_state::failed)
        d.reason = "status " + std::to_string(status) + (error.empty() ? "" : ": " + error) +
                   (finished ? " (no report: " + run.report_error + ")" : "");
    // A run that failed after writing its report (GL errors, shots left) still shows what it measured.
    if (!run.report)
        return d;
    d.report = *run.report;
    if (!d.report.origins.empty()) {
        d.renderer = d.report.origins.front().where.renderer;
        d.gl_version = d.report.origins.front().where.gl_version;
    }
    for (const report_scene& s : d.report.scenes)
        d.scenes.push_back(outcome_of(s));
    return d;
}

verdict judge_fault_run(const bench_child& run, const std::vector<std::string>& labels) {
    const int status = run.child.status;
    if (status == int(exit_status::other_renderer))
        return verdict::skipped;
    if ((status != int(exit_status::ok) && status != int(exit_status::reference_differs)) || !run.report)
        return verdict::error;
    for (const std::string& label : labels) {
        if (!reference_failed(*run.report, label))
            return verdict::missed;
    }
    return status == int(exit_status::reference_differs) ? verdict::caught : verdict::missed;
}

std::vector<std::string> fault_labels(const std::string& fault_name) {
    std::vector<scene_request> requests;
    for (const std::string& scene : find_fault(fault_name)->scenes) {
        scene_request request;
        parse_scene(scene, request);
        requests.push_back(request);
    }
    std::vector<std::string> labels;
    for (const scene_run& run : plan_runs(requests))
        labels.push_back(run.label);
    return labels;
}

std::vector<std::string> without_options(const std::vector<std::string>& args,
                                         const std::vector<std::string>& names) {
    std::vector<std::string> kept;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string name = args[i].substr(0, args[i].find('='));
        if (std::find(names.begin(), names.end(), name) == names.end()) {
            kept.push_back(args[i]);
        } else if (name.size() == args[i].size()) {
            ++i;
        }
    }
    return kept;
}

void print_matrix(const driver_matrix& matrix, std::ostream& out) {
    out << padded("driver", driver_width) << padded("renderer, GL version / scene", matrix_label_width)
        << padded("reference", cell_width) << "  mean FPS\n";
    for (const driver_outcome& d : matrix.drivers)
        print_driver(d, out);
    if (matrix.faults.empty())
        return;
    out << "\n"
        << padded("planted fault", matrix_label_width - driver_width) << padded("scenes", driver_width + 4);
    for (const driver_outcome& d : matrix.drivers)
        out << padded(d.driver, cell_width);
    out << "\n";
    for (const fault_outcome& f : matrix.faults) {
        out << padded(f.fault, matrix_label_width - driver_width)
            << padded(joined_words(find_fault(f.fault)->scenes), driver_width + 4);
        for (verdict v : f.verdicts)
            out << padded(verdict_word(v), cell_width);
        out << "\n";
    }
}

void write_drivers_csv(const driver_matrix& matrix, std::ostream& out) {
    out << csv_join({"driver", "state", "reason", "renderer", "gl_version", "scene", "reference", "mean_fps"})
        << "\n";
    for (const driver_outcome& d : matrix.drivers) {
        const std::vector<std::string> front = {d.driver, state_word(d.state), d.reason, d.renderer,
                                                d.gl_version};
        if (d.scenes.empty())
            out << csv_join(front) << ",,,\n";
        for (const scene_outcome& s : d.scenes) {
            std::vector<std::string> row = front;
            row.insert(row.end(), {s.label, reference_word(s), fps_text(s.mean_fps)});
            out << csv_join(row) << "\n";
        }
    }
}

void write_faults_csv(const driver_matrix& matrix, std::ostream& out) {
    std::vector<std::string> header = {"fault", "what", "file", "scenes"};
    for (const driver_outcome& d : matrix.drivers)
        header.push_back(d.driver);
    out << csv_join(header) << "\n";
    for (const fault_outcome& f : matrix.faults) {
        const planted_fault* fault = find_fault(f.fault);
        std::vector<std::string> row = {f.fault, fault->what, std::string("shaders/") + fault->file,
                                        joined_words(fault->scenes)};
        for (verdict v : f.verdicts)
            row.push_back(verdict_word(v));
        out << csv_join(row) << "\n";
    }
}

void print_matrix_catalogue(std::ostream& out) {
    out << "drivers (--drivers DIR --driver NAME):\n";
    for (const driver_choice& d : driver_choices()) {
        out << "  " << padded(d.name, driver_width) << joined_words(d.environment)
            << (d.needs_runtime_dir ? " XDG_RUNTIME_DIR=..." : "") << ", GL_RENDERER matching "
            << d.renderer_pattern << "\n";
    }
    out << "planted faults (--drivers DIR --fault NAME), each failing the scenes named:\n";
    for (const planted_fault& f : planted_faults()) {
        out << "  " << padded(f.name, matrix_label_width - driver_width - 2) << "shaders/" << f.file << ": "
            << f.what << " (" << joined_words(f.scenes) << ")\n";
    }
}

} // namespace tarnwick::bench
