// The driver matrix's results: judging the child benches, the printed table and the CSV files. No GL.
#include "runners/driver_matrix.h"

#include "record/csv_fields.h"
#include "stats/frame_summary.h"
#include "runners/planted_faults.h"
#include "scenes/scene_plan.h"

#include <algorithm>
#include <cstdio>
#include <numeric>

namespace tarnwick::bench {

namespace {
constexpr int renderer_status = 6;
constexpr int reference_status = 3;
constexpr int failure_status = 1;
constexpr int matrix_label_width = 42;
constexpr int driver_width = 10;
constexpr int cell_width = 10;

const std::string renderer_prefix = "GL_RENDERER: ";
const std::string version_prefix = "GL_VERSION:  ";
const std::string reference_prefix = "reference ";

bool starts_with(const std::string& text, const std::string& prefix) { return text.rfind(prefix, 0) == 0; }

std::string padded(const std::string& text, int width) {
    return text.size() >= size_t(width) ? text + " " : text + std::string(size_t(width) - text.size(), ' ');
}

std::string fps_text(double fps) { return fps < 0.0 ? "" : fixed(fps, 1); }

std::string reference_word(const scene_outcome& s) { return !s.checked ? "none" : s.ok ? "ok" : "FAIL"; }

const char* state_word(driver_state s) {
    static const char* const words[] = {"ran", "skipped", "failed"};
    return words[int(s)];
}

void print_driver(const driver_outcome& d, std::ostream& out) {
    if (d.state != driver_state::ran) {
        out << padded(d.driver, driver_width) << state_word(d.state) << ": " << d.reason << "\n";
        return;
    }
    out << padded(d.driver, driver_width) << padded(d.renderer, matrix_label_width) << d.scenes_ok()
        << " ok, " << d.scenes_failed() << " failed\n"
        << padded("", driver_width) << d.gl_version << "\n";
    for (const scene_outcome& s : d.scenes) {
        char fps[32];
        std::snprintf(fps, sizeof fps, "%10s", fps_text(s.mean_fps).c_str());
        out << padded("", driver_width) << padded(s.label, matrix_label_width)
            << padded(reference_word(s), cell_width) << fps << "\n";
    }
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
    for (const driver_choice& d : driver_choices()) {
        if (name == d.name)
            return &d;
    }
    return nullptr;
}

bench_transcript read_transcript(std::istream& in) {
    bench_transcript t;
    std::string line;
    while (std::getline(in, line)) {
        if (starts_with(line, renderer_prefix)) {
            t.renderer = line.substr(renderer_prefix.size());
        } else if (starts_with(line, version_prefix)) {
            t.gl_version = line.substr(version_prefix.size());
        } else if (starts_with(line, reference_prefix)) {
            const size_t colon = line.find(": ", reference_prefix.size());
            if (colon == std::string::npos)
                continue;
            const std::string verdict = line.substr(colon + 2);
            if (starts_with(verdict, "none"))
                continue;
            const bool ok = line.size() >= 4 && line.compare(line.size() - 4, 4, ": ok") == 0;
            t.references.emplace_back(line.substr(reference_prefix.size(), colon - reference_prefix.size()),
                                      ok);
        }
    }
    return t;
}

int driver_outcome::scenes_ok() const {
    return int(std::count_if(scenes.begin(), scenes.end(),
                             [](const scene_outcome& s) { return s.checked && s.ok; }));
}

int driver_outcome::scenes_failed() const {
    return int(std::count_if(scenes.begin(), scenes.end(),
                             [](const scene_outcome& s) { return s.checked && !s.ok; }));
}

driver_outcome judge_driver_run(const std::string& driver, int status, const bench_transcript& transcript,
                                const std::string& error, const run_table& fps) {
    driver_outcome d;
    d.driver = driver;
    d.renderer = transcript.renderer;
    d.gl_version = transcript.gl_version;
    if (status == renderer_status || transcript.renderer.empty()) {
        d.state = driver_state::skipped;
        d.reason = error.empty() ? "no OpenGL context (status " + std::to_string(status) + ")" : error;
        return d;
    }
    if (status != 0 && status != reference_status) {
        d.state = driver_state::failed;
        d.reason = "status " + std::to_string(status) + (error.empty() ? "" : ": " + error);
    } else {
        d.state = driver_state::ran;
    }
    for (const std::string& label : fps.scenes) {
        const std::vector<double>& runs = *fps.runs_of(label);
        d.scenes.push_back(
            {label, false, false, std::accumulate(runs.begin(), runs.end(), 0.0) / double(runs.size())});
    }
    for (const auto& [label, ok] : transcript.references) {
        auto it = std::find_if(d.scenes.begin(), d.scenes.end(),
                               [&](const scene_outcome& s) { return s.label == label; });
        if (it == d.scenes.end())
            it = d.scenes.insert(d.scenes.end(), scene_outcome{label, false, false, -1.0});
        it->checked = true;
        it->ok = ok;
    }
    return d;
}

verdict judge_fault_run(int status, const bench_transcript& transcript,
                        const std::vector<std::string>& labels) {
    if (status == renderer_status || transcript.renderer.empty())
        return verdict::skipped;
    if (status != 0 && status != reference_status)
        return verdict::error;
    for (const std::string& label : labels) {
        const auto it = std::find_if(transcript.references.begin(), transcript.references.end(),
                                     [&](const std::pair<std::string, bool>& r) { return r.first == label; });
        if (it == transcript.references.end() || it->second)
            return verdict::missed;
    }
    return status == reference_status ? verdict::caught : verdict::missed;
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

int matrix_status(const driver_matrix& matrix) {
    bool failed = false, missed = false;
    for (const driver_outcome& d : matrix.drivers) {
        failed |= d.state == driver_state::failed;
        missed |= d.state == driver_state::ran && d.scenes_failed() > 0;
    }
    for (const fault_outcome& f : matrix.faults) {
        for (verdict v : f.verdicts) {
            failed |= v == verdict::error;
            missed |= v == verdict::missed;
        }
    }
    return failed ? failure_status : missed ? reference_status : 0;
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
        const planted_fault* fault = find_fault(f.fault);
        std::string scenes;
        for (const std::string& s : fault->scenes)
            scenes += (scenes.empty() ? "" : " ") + s;
        out << padded(f.fault, matrix_label_width - driver_width) << padded(scenes, driver_width + 4);
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
        std::string scenes;
        for (const std::string& s : fault->scenes)
            scenes += (scenes.empty() ? "" : " ") + s;
        std::vector<std::string> row = {f.fault, fault->what, std::string("shaders/") + fault->file, scenes};
        for (verdict v : f.verdicts)
            row.push_back(verdict_word(v));
        out << csv_join(row) << "\n";
    }
}

void print_matrix_catalogue(std::ostream& out) {
    out << "drivers (--drivers DIR --driver NAME):\n";
    for (const driver_choice& d : driver_choices()) {
        std::string env;
        for (const std::string& e : d.environment)
            env += (env.empty() ? "" : " ") + e;
        out << "  " << padded(d.name, driver_width) << env
            << (d.needs_runtime_dir ? " XDG_RUNTIME_DIR=..." : "") << ", GL_RENDERER matching "
            << d.renderer_pattern << "\n";
    }
    out << "planted faults (--drivers DIR --fault NAME), each failing the scenes named:\n";
    for (const planted_fault& f : planted_faults()) {
        out << "  " << padded(f.name, matrix_label_width - driver_width - 2) << "shaders/" << f.file << ": "
            << f.what << " (";
        for (size_t i = 0; i < f.scenes.size(); ++i)
            out << (i ? " " : "") << f.scenes[i];
        out << ")\n";
    }
}

} // namespace tarnwick::bench
