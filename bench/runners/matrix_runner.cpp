// Runs the driver matrix through child benches (posix_spawn), keeping what each printed and drew.
#include "runners/matrix_runner.h"

#include "runners/child_process.h"
#include "runners/planted_faults.h"
#include "images/reference_check.h"
#include "record/report_files.h"
#include "record/report_json.h"
#include "runners/matrix_report.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>

namespace tarnwick::bench {

namespace fs = std::filesystem;

namespace {
constexpr fs::perms runtime_dir_mode = fs::perms::owner_all;

// The matrix's own options, never passed on.
const std::vector<std::string> matrix_options = {"--drivers",         "--driver", "--fault", "--reference",
                                                 "--expect-renderer", "--csv",    "--report"};
// What a fault run sets itself: one frame of the fault's scenes.
// Long enough for every scene on the slowest driver; only a driver that hangs reaches them.
constexpr int driver_run_limit = 3600;
constexpr int fault_run_limit = 600;

const std::vector<std::string> run_length_options = {"--scene",  "--frames",     "--warmup",
                                                     "--repeat", "--frames-csv", "--screenshot"};

struct matrix_context {
    const bench_options& options;
    std::vector<std::string> passed_on;
    std::string self;
    fs::path out_dir;
    std::string runtime_dir;
    std::ostream& out;
};

// Why a child gave up, from its standard error: the last line that is not a progress line (the bench's own
// fatal message), without the program's name, and the driver's first complaint before it, if any.
std::string child_reason(const fs::path& file) {
    std::ifstream in(file);
    std::string line, first, last;
    const std::string program = "tarnwick-bench: ";
    while (std::getline(in, line)) {
        if (line.empty() || line.rfind("  ", 0) == 0)
            continue;
        if (first.empty())
            first = line;
        last = line;
    }
    if (last.rfind(program, 0) == 0)
        last = last.substr(program.size());
    return first == last || first.rfind(program, 0) == 0 ? last : last + " (first: " + first + ")";
}

bench_transcript transcript_of(const fs::path& file) {
    std::ifstream in(file);
    return read_transcript(in);
}

// A fresh copy of the references in dir, so that a failing run's pictures land there; false when it fails.
bool copy_references(const matrix_context& m, const fs::path& dir) {
    std::error_code e;
    fs::remove_all(dir, e);
    fs::create_directories(dir.parent_path(), e);
    fs::copy(m.options.reference_dir, dir, fs::copy_options::recursive, e);
    if (e)
        std::cerr << "tarnwick-bench: cannot copy " << m.options.reference_dir << " to " << dir.string()
                  << ": " << e.message() << std::endl;
    return !e;
}

child_request child_for(const matrix_context& m, const driver_choice& driver, const fs::path& references) {
    child_request request;
    request.program = m.self;
    request.arguments = m.passed_on;
    request.arguments.insert(request.arguments.end(), {"--expect-renderer", driver.renderer_pattern,
                                                       "--reference", fs::absolute(references).string()});
    request.environment = driver.environment;
    if (driver.needs_runtime_dir)
        request.environment.push_back("XDG_RUNTIME_DIR=" + m.runtime_dir);
    return request;
}

driver_outcome run_driver(const matrix_context& m, const driver_choice& driver) {
    const fs::path dir = m.out_dir / driver.name;
    const fs::path results = dir / "results.csv";
    std::error_code e;
    // Results and a report from before must not stand in for this run's.
    fs::remove(results, e);
    fs::remove_all(dir / "report", e);
    if (!copy_references(m, dir / "references"))
        return {driver.name, driver_state::failed, "cannot copy the references", "", "", {}};
    child_request request = child_for(m, driver, dir / "references");
    request.arguments.insert(request.arguments.end(), {"--csv", fs::absolute(results).string()});
    // Its own report, which the matrix's report gathers.
    if (!m.options.report_dir.empty())
        request.arguments.insert(request.arguments.end(),
                                 {"--report", fs::absolute(dir / "report").string()});
    request.output_file = (dir / "out.txt").string();
    request.time_limit_seconds = driver_run_limit;
    request.error_file = (dir / "err.txt").string();
    const child_result child = run_child(request);
    if (!child.started)
        return {driver.name, driver_state::failed, child.error, "", "", {}};
    run_table fps;
    std::ifstream csv(results);
    if (csv)
        read_run_table(csv, fps);
    return judge_driver_run(driver.name, child.status, transcript_of(request.output_file),
                            child.timed_out ? "killed after " + std::to_string(driver_run_limit) + " s"
                                            : child_reason(request.error_file),
                            fps);
}

verdict run_fault(const matrix_context& m, const planted_fault& fault, const driver_choice& driver,
                  const fs::path& folder) {
    const fs::path references = folder / (std::string(driver.name) + "-references");
    if (!copy_references(m, references))
        return verdict::error;
    child_request request = child_for(m, driver, references);
    request.arguments = without_options(request.arguments, run_length_options);
    for (const std::string& scene : fault.scenes)
        request.arguments.insert(request.arguments.end(), {"--scene", scene});
    request.arguments.insert(request.arguments.end(), {"--frames", "1", "--warmup", "0"});
    request.directory = folder.string();
    request.time_limit_seconds = fault_run_limit;
    request.output_file = (folder / (std::string(driver.name) + "-out.txt")).string();
    request.error_file = (folder / (std::string(driver.name) + "-err.txt")).string();
    const child_result child = run_child(request);
    if (!child.started)
        return verdict::error;
    return judge_fault_run(child.status, transcript_of(request.output_file), fault_labels(fault.name));
}

std::vector<const driver_choice*> chosen_drivers(const bench_options& options) {
    std::vector<const driver_choice*> chosen;
    for (const driver_choice& d : driver_choices()) {
        if (options.driver_names.empty() ||
            std::find(options.driver_names.begin(), options.driver_names.end(), d.name) !=
                options.driver_names.end())
            chosen.push_back(&d);
    }
    return chosen;
}

std::vector<const planted_fault*> chosen_faults(const bench_options& options) {
    std::vector<const planted_fault*> chosen;
    for (const planted_fault& f : planted_faults()) {
        if (options.fault_names.empty() || std::find(options.fault_names.begin(), options.fault_names.end(),
                                                     f.name) != options.fault_names.end())
            chosen.push_back(&f);
    }
    return chosen;
}

// The faults on every driver that ran; a driver that did not run gets "skipped".
void run_faults(const matrix_context& m, const std::vector<const driver_choice*>& drivers,
                driver_matrix& matrix) {
    for (const planted_fault* fault : chosen_faults(m.options)) {
        const fs::path folder = m.out_dir / "faults" / fault->name;
        const std::string error = prepare_fault_folder(*fault, ".", folder.string());
        fault_outcome outcome{fault->name, {}};
        for (size_t i = 0; i < drivers.size(); ++i) {
            verdict v = verdict::skipped;
            if (!error.empty())
                v = verdict::error;
            else if (matrix.drivers[i].state == driver_state::ran)
                v = run_fault(m, *fault, *drivers[i], folder);
            outcome.verdicts.push_back(v);
            m.out << "fault " << fault->name << " on " << drivers[i]->name << ": " << verdict_word(v)
                  << (error.empty() ? "" : " (" + error + ")") << std::endl;
        }
        matrix.faults.push_back(outcome);
    }
}

// The pictures the matrix's report shows: their paths in the report's folder and the files they come from.
using picture_sources = std::map<std::string, fs::path>;

// The report a driver's run wrote in folder, its pictures to go under images/DRIVER/; a model without
// origins when there is none.
report_model driver_report(const fs::path& folder, const std::string& driver, picture_sources& sources,
                           std::ostream& out) {
    std::ifstream in(folder / "report.json");
    report_model own;
    if (!in)
        return own;
    std::stringstream text;
    text << in.rdbuf();
    const std::string error = read_report_json(text.str(), own);
    if (!error.empty()) {
        out << driver << ": its report cannot be read (" << error
            << "); its references as the matrix saw them" << std::endl;
        return report_model();
    }
    for (report_scene& s : own.scenes) {
        for (report_check& c : s.checks) {
            for (std::string* picture : {&c.pictures.reference, &c.pictures.actual, &c.pictures.diff}) {
                if (picture->empty())
                    continue;
                const std::string kept = "images/" + driver + "/" + fs::path(*picture).filename().string();
                sources[kept] = folder / *picture;
                *picture = kept;
            }
        }
    }
    return own;
}

// What a fault run that drew left of its scenes' differences, to go under images/faults/FAULT/.
report_pictures fault_pictures(const matrix_context& m, const std::string& fault, const std::string& driver,
                               picture_sources& sources) {
    const fs::path folder = m.out_dir / "faults" / fault / (driver + "-references");
    report_pictures kept;
    for (const std::string& label : fault_labels(fault)) {
        const std::pair<std::string*, const char*> kinds[] = {{&kept.actual, "-actual"},
                                                              {&kept.diff, "-diff"}};
        for (const auto& [picture, suffix] : kinds) {
            const fs::path file = reference_file(folder.string(), label, suffix);
            std::error_code e;
            if (!picture->empty() || !fs::is_regular_file(file, e))
                continue;
            *picture = "images/faults/" + fault + "/" + driver + "-" + file.filename().string();
            sources[*picture] = file;
        }
    }
    return kept;
}

// One report of the whole matrix in options.report_dir: each driver's own report, its state and the planted
// faults, with every picture it shows copied beside it so that the folder stands alone.
bool write_matrix_report(const matrix_context& m, const driver_matrix& matrix) {
    picture_sources sources;
    std::vector<report_model> own;
    for (const driver_outcome& d : matrix.drivers)
        own.push_back(driver_report(m.out_dir / d.driver / "report", d.driver, sources, m.out));
    std::vector<std::vector<report_pictures>> faults;
    for (const fault_outcome& f : matrix.faults) {
        faults.emplace_back();
        for (size_t i = 0; i < f.verdicts.size(); ++i) {
            // Only a run that drew now left pictures; a skipped driver's folder may hold an older run's.
            const bool drew = f.verdicts[i] == verdict::caught || f.verdicts[i] == verdict::missed;
            faults.back().push_back(drew ? fault_pictures(m, f.fault, matrix.drivers[i].driver, sources)
                                         : report_pictures());
        }
    }
    const report_model model = matrix_report(matrix, own, faults, m.options.command_line);
    bool kept = true;
    const auto keep = [&](const report_check& c) {
        for (const std::string* picture : {&c.pictures.reference, &c.pictures.actual, &c.pictures.diff}) {
            if (!picture->empty())
                kept = keep_file(m.options.report_dir, sources[*picture].string(), *picture) && kept;
        }
    };
    for (const report_scene& s : model.scenes)
        std::for_each(s.checks.begin(), s.checks.end(), keep);
    std::for_each(model.checks.begin(), model.checks.end(), keep);
    return write_report(m.options.report_dir, model, m.out) && kept;
}

bool write_file(const fs::path& file, void (*write)(const driver_matrix&, std::ostream&),
                const driver_matrix& m) {
    std::ostringstream text;
    write(m, text);
    return write_text(file, text.str());
}
} // namespace

int run_driver_matrix(const bench_options& options, const std::vector<std::string>& args, std::ostream& out) {
    std::error_code e;
    // The children and the fault folders take the data from here, as a bench run would.
    if (!fs::is_directory("shaders", e)) {
        std::cerr << "tarnwick-bench: no shaders/ in " << fs::current_path(e).string()
                  << " (run the matrix where the data is, as the bench itself)" << std::endl;
        return 1;
    }
    matrix_context m{options,
                     without_options(args, matrix_options),
                     fs::read_symlink("/proc/self/exe", e).string(),
                     fs::absolute(options.drivers_dir),
                     "",
                     out};
    const fs::path runtime = m.out_dir / "runtime";
    fs::create_directories(runtime, e);
    fs::permissions(runtime, runtime_dir_mode, fs::perm_options::replace, e);
    if (e || m.self.empty()) {
        std::cerr << "tarnwick-bench: cannot make " << runtime.string() << std::endl;
        return 1;
    }
    m.runtime_dir = runtime.string();
    const std::vector<const driver_choice*> drivers = chosen_drivers(options);
    driver_matrix matrix;
    for (const driver_choice* driver : drivers) {
        matrix.drivers.push_back(run_driver(m, *driver));
        const driver_outcome& d = matrix.drivers.back();
        out << driver->name << ": ";
        if (d.state == driver_state::ran)
            out << d.renderer << ", " << d.scenes_ok() << " references ok, " << d.scenes_failed()
                << " failed";
        else
            out << (d.state == driver_state::skipped ? "skipped: " : "failed: ") << d.reason;
        out << std::endl;
    }
    run_faults(m, drivers, matrix);
    out << "\n";
    print_matrix(matrix, out);
    const bool written = write_file(m.out_dir / "drivers.csv", write_drivers_csv, matrix) &&
                         write_file(m.out_dir / "faults.csv", write_faults_csv, matrix);
    out << "\nwrote " << (m.out_dir / "drivers.csv").string() << " and "
        << (m.out_dir / "faults.csv").string() << std::endl;
    const bool reported = options.report_dir.empty() || write_matrix_report(m, matrix);
    return written && reported ? matrix_status(matrix) : 1;
}

} // namespace tarnwick::bench
