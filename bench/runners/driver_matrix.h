// The driver matrix: every OpenGL driver Mesa can reach here runs the references and a short timing, and
// every planted fault on each. Its results as plain data, the printed table and the CSV files. No GL.
#pragma once

#include "runners/child_process.h"
#include "stats/verdict.h"

#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace tarnwick::bench {

struct driver_choice {
    const char* name;
    // Assignments laid over the environment to pick the driver.
    std::vector<std::string> environment;
    // Whether it also needs XDG_RUNTIME_DIR, a folder of its own (mode 0700).
    bool needs_runtime_dir;
    // What its GL_RENDERER starts with, as --expect-renderer takes it, so that a silent fallback is caught.
    const char* renderer_pattern;
};

const std::vector<driver_choice>& driver_choices();
const driver_choice* find_driver(const std::string& name);

enum class driver_state { ran, skipped, failed };

struct scene_outcome {
    std::string label;
    // Compared with a reference, and matched it.
    bool checked = false;
    bool ok = false;
    // Mean FPS over the scene's runs; negative when it was not measured.
    double mean_fps = -1.0;
};

struct driver_outcome {
    std::string driver;
    driver_state state = driver_state::failed;
    // Why the driver was skipped or failed; empty when it ran.
    std::string reason;
    std::string renderer;
    std::string gl_version;
    std::vector<scene_outcome> scenes;
    // The report its run handed back; without origins when there is none.
    report_model report = {};
    int scenes_ok() const;
    int scenes_failed() const;
};

struct fault_outcome {
    std::string fault;
    // One for each driver of the matrix, in the matrix's order.
    // caught, missed, skipped or error.
    std::vector<verdict> verdicts;
};

struct driver_matrix {
    std::vector<driver_outcome> drivers;
    std::vector<fault_outcome> faults;
};

// A driver's run from what its child bench handed back (exit status and report) and the reason it gave on
// standard error. Status 6 (another renderer, or no context to match) is skipped; 0 and 3 with a report
// ran; anything else failed. Its scenes and reference verdicts come from the report, where there is one.
driver_outcome judge_driver_run(const std::string& driver, const bench_child& run, const std::string& error);
// A fault run: caught when the bench ended with status 3 and its report has every one of labels failing
// its reference.
verdict judge_fault_run(const bench_child& run, const std::vector<std::string>& labels);
// The run labels of the fault's scenes, as the bench's table names them.
std::vector<std::string> fault_labels(const std::string& fault_name);

// args without the named options and their values (given as "--x v" or "--x=v").
std::vector<std::string> without_options(const std::vector<std::string>& args,
                                         const std::vector<std::string>& names);

// The table of drivers with their scenes, then the table of planted faults by driver.
void print_matrix(const driver_matrix& matrix, std::ostream& out);
// One row per driver and scene (one row for a driver that did not run).
void write_drivers_csv(const driver_matrix& matrix, std::ostream& out);
// One row per planted fault, a column per driver.
void write_faults_csv(const driver_matrix& matrix, std::ostream& out);
// The drivers and the planted faults, for --list.
void print_matrix_catalogue(std::ostream& out);

} // namespace tarnwick::bench
