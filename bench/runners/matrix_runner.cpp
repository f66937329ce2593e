// Runs the driver matrix through child benches (posix_spawn), keeping what each printed and drew.
#include "runners/matrix_runner.h"

#include "images/reference_check.h"
#include "record/exit_status.h"
#include "record/report_files.h"
#include "record/report_json.h"
#include "runners/child_process.h"
#include "runners/data_folders.h"
#include "runners/matrix_report.h"
#include "runners/planted_faults.h"

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
// Long enough for every scene on the slowest driver; only a driver that hangs reaches them.
constexpr int driver_run_limit = 3600;
constexpr int fault_run_limit = 600;
// What a fault run sets itself: one frame of the fault's scenes.
const std::vector<std::string> run_length_options = {"--scene",  "--frames",     "--warmup",
                                                     "--repeat", "--frames-csv", "--screenshot"};

struct matrix_context {
    const matrix_settings& settings;
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

// A child bench on driver whose files lie in folder, named with prefix: its copy of the references
// (PREFIXreferences, so that a failing run's pictures land there), its output (PREFIXout.txt, kept for
// people), its standard error (PREFIXerr.txt) and its report (PREFIXreport/). arguments come after those
// the matrix passes on, with every one of drop left out; a directory, when given, is its working directory.
struct matrix_child {
    fs::path folder;
    std::string prefix;
    std::vector<std::string> drop, arguments;
    std::string directory;
    int time_limit;
    std::string file(const char* name) const { return (folder / (prefix + name)).string(); }
};

// Runs it; not started, with the reason in its error, when the references cannot be copied.
bench_child run_matrix_child(const matrix_context& m, const driver_choice& driver, const matrix_child& c) {
    std::error_code e;
    fs::remove_all(c.file("references"), e);
    fs::create_directories(c.folder, e);
    fs::copy(m.settings.reference_dir, c.file("references"), fs::copy_options::recursive, e);
    if (e) {
        std::cerr << "tarnwick-bench: cannot copy " << m.settings.reference_dir << " to "
                  << c.file("references") << ": " << e.message() << std::endl;
        return {{false, -1, "cannot copy the references", false}, std::nullopt, ""};
    }
    std::vector<std::string> arguments = without_options(m.passed_on, c.drop);
    arguments.insert(arguments.end(),
                     {"--expect-renderer", driver.renderer_pattern, "--reference", c.file("references")});
    arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
    std::vector<std::string> environment = driver.environment;
    if (driver.needs_runtime_dir)
        environment.push_back("XDG_RUNTIME_DIR=" + m.runtime_dir);
    return run_bench_child(
        {m.self, arguments, environment, c.directory, c.file("out.txt"), c.file("err.txt"), c.time_limit},
        c.file("report"));
}

driver_outcome run_driver(const matrix_context& m, const driver_choice& driver) {
    const matrix_child c{m.out_dir / driver.name, "", {}, {}, "", driver_run_limit};
    const bench_child run = run_matrix_child(m, driver, c);
    if (!run.child.started)
        return {driver.name, driver_state::failed, run.child.error, "", "", {}};
    return judge_driver_run(driver.name, run,
                            run.child.timed_out ? "killed after " + std::to_string(driver_run_limit) + " s"
                                                : child_reason(c.file("err.txt")));
}

// One frame of the fault's scenes, in the fault's folder, where the planted shaders are.
verdict run_fault(const matrix_context& m, const planted_fault& fault, const driver_choice& driver,
                  const fs::path& folder) {
    matrix_child c{folder,         std::string(driver.name) + "-", run_length_options, {}, folder.string(),
                   fault_run_limit};
    for (const std::string& scene : fault.scenes)
        c.arguments.insert(c.arguments.end(), {"--scene", scene});
    c.arguments.insert(c.arguments.end(), {"--frames", "1", "--warmup", "0"});
    const bench_child run = run_matrix_child(m, driver, c);
    return run.child.started ? judge_fault_run(run, fault_labels(fault.name)) : verdict::error;
}

// The entries of all that names holds (all of them when it is empty), in all's order.
template <typename T>
std::vector<const T*> chosen(const std::vector<T>& all, const std::vector<std::string>& names) {
    std::vector<const T*> kept;
    for (const T& t : all) {
        if (names.empty() || std::find(names.begin(), names.end(), t.name) != names.end())
            kept.push_back(&t);
    }
    return kept;
}

// The faults on every driver that ran; a driver that did not run gets "skipped".
void run_faults(const matrix_context& m, const std::vector<const driver_choice*>& drivers,
                driver_matrix& matrix) {
    for (const planted_fault* fault : chosen(planted_faults(), m.settings.fault_names)) {
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

// A driver's own report with its pictures to go under images/DRIVER/ (a model without origins when it has
// none).
report_model driver_report(const driver_outcome& d, const fs::path& folder, picture_sources& sources) {
    report_model own = d.report;
    for (report_scene& s : own.scenes) {
        for (report_check& c : s.checks) {
            for (std::string* picture : {&c.pictures.reference, &c.pictures.actual, &c.pictures.diff}) {
                if (picture->empty())
                    continue;
                const std::string kept = "images/" + d.driver + "/" + fs::path(*picture).filename().string();
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

// The record of the whole matrix: each driver's own report, its state and the planted faults, with the
// files of the pictures it shows in sources.
report_model matrix_record(const matrix_context& m, const driver_matrix& matrix, picture_sources& sources) {
    std::vector<report_model> own;
    for (const driver_outcome& d : matrix.drivers)
        own.push_back(driver_report(d, m.out_dir / d.driver / "report", sources));
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
    return matrix_report(matrix, own, faults, m.settings.command_line);
}

// The record in options.report_dir, with every picture it shows copied beside it so that the folder stands
// alone.
bool write_matrix_report(const matrix_context& m, const report_model& model, picture_sources& sources) {
    bool kept = true;
    const auto keep = [&](const report_check& c) {
        for (const std::string* picture : {&c.pictures.reference, &c.pictures.actual, &c.pictures.diff}) {
            if (!picture->empty())
                kept = keep_file(m.settings.report_dir, sources[*picture].string(), *picture) && kept;
        }
    };
    for (const report_scene& s : model.scenes)
        std::for_each(s.checks.begin(), s.checks.end(), keep);
    std::for_each(model.checks.begin(), model.checks.end(), keep);
    return write_report(m.settings.report_dir, model, m.out) && kept;
}

bool write_file(const fs::path& file, void (*write)(const driver_matrix&, std::ostream&),
                const driver_matrix& m) {
    std::ostringstream text;
    write(m, text);
    return write_text(file, text.str());
}

// The progress line of a driver once it has run.
void print_progress(const driver_outcome& d, std::ostream& out) {
    out << d.driver << ": ";
    if (d.state == driver_state::ran)
        out << d.renderer << ", " << d.scenes_ok() << " references ok, " << d.scenes_failed() << " failed";
    else
        out << (d.state == driver_state::skipped ? "skipped: " : "failed: ") << d.reason;
    out << std::endl;
}

// The runtime folder zink needs, private to the matrix; empty, after saying so, when it cannot be made.
std::string make_runtime_dir(const fs::path& out_dir) {
    std::error_code e;
    const fs::path runtime = out_dir / "runtime";
    fs::create_directories(runtime, e);
    fs::permissions(runtime, runtime_dir_mode, fs::perm_options::replace, e);
    if (!e)
        return runtime.string();
    std::cerr << "tarnwick-bench: cannot make " << runtime.string() << std::endl;
    return std::string();
}
} // namespace

int run_driver_matrix(const matrix_settings& settings, std::ostream& out) {
    std::error_code e;
    // The children and the fault folders take the data from here, as a bench run would.
    if (!fs::is_directory("shaders", e)) {
        std::cerr << "tarnwick-bench: no shaders/ in " << fs::current_path(e).string()
                  << " (run the matrix where the data is, as the bench itself)" << std::endl;
        return int(exit_status::failure);
    }
    const fs::path out_dir = fs::absolute(settings.drivers_dir);
    matrix_context m{settings,
                     without_options(settings.args, matrix_options),
                     own_executable(),
                     out_dir,
                     make_runtime_dir(out_dir),
                     out};
    if (m.self.empty())
        std::cerr << "tarnwick-bench: cannot read this bench's own path in /proc/self/exe" << std::endl;
    if (m.runtime_dir.empty() || m.self.empty())
        return int(exit_status::failure);
    const std::vector<const driver_choice*> drivers = chosen(driver_choices(), settings.driver_names);
    driver_matrix matrix;
    for (const driver_choice* driver : drivers) {
        matrix.drivers.push_back(run_driver(m, *driver));
        print_progress(matrix.drivers.back(), out);
    }
    run_faults(m, drivers, matrix);
    out << "\n";
    print_matrix(matrix, out);
    const bool written = write_file(m.out_dir / "drivers.csv", write_drivers_csv, matrix) &&
                         write_file(m.out_dir / "faults.csv", write_faults_csv, matrix);
    out << "\nwrote " << (m.out_dir / "drivers.csv").string() << " and "
        << (m.out_dir / "faults.csv").string() << std::endl;
    picture_sources sources;
    const report_model model = matrix_record(m, matrix, sources);
    const bool reported = settings.report_dir.empty() || write_matrix_report(m, model, sources);
    return int(decide_exit_status(model, written && reported ? exit_status::ok : exit_status::failure));
}

} // namespace tarnwick::bench
