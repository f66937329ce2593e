// Starting another program (a bench of another build, under another driver) and waiting for it:
// posix_spawn with an explicit argument list and environment, never a shell. No GL.
#pragma once

#include "record/report_model.h"

#include <optional>
#include <string>
#include <vector>

namespace tarnwick::bench {

struct child_request {
    // The program and its arguments; program is found on PATH when it holds no '/'.
    std::string program;
    std::vector<std::string> arguments;
    // "K=V" assignments laid over this process's environment (a later one wins); "K=" with nothing after
    // the '=' removes K.
    std::vector<std::string> environment;
    // The child's working directory; empty: this process's.
    std::string directory;
    // Files that receive the child's standard output and standard error; empty: this process's own.
    std::string output_file;
    std::string error_file;
    // Seconds after which the child is killed; 0: no limit.
    int time_limit_seconds = 0;
};

struct child_result {
    // True when the child was started.
    bool started = false;
    // Its exit status; 128 + the signal's number when a signal ended it; -1 when it did not start.
    int status = -1;
    // Why it could not be started, for the user.
    std::string error;
    // Killed for outliving its time limit.
    bool timed_out = false;
};

// Runs the child to its end; standard input is /dev/null.
child_result run_child(const child_request& request);

// A child bench's run and the report it handed back: its report.json, the only channel read back (its
// standard output is kept for people only). No report when it wrote none or one that cannot be read.
struct bench_child {
    child_result child;
    std::optional<report_model> report;
    // Why there is no report.
    std::string report_error;
};
// Runs the bench with "--report report_dir" after its arguments (a report from before removed first) and
// reads the report it wrote there.
bench_child run_bench_child(child_request request, const std::string& report_dir);
// environment with the assignments laid over it, as run_child gives it to the child.
std::vector<std::string> merged_environment(const std::vector<std::string>& environment,
                                            const std::vector<std::string>& assignments);
// Splits "K=V K2=V2" at blanks into assignments; false, with a message, for a word without '=' or a name
// that is not one.
bool parse_assignments(const std::string& text, std::vector<std::string>& assignments, std::string& error);
// The words joined by blanks, as parse_assignments splits them.
std::string joined_words(const std::vector<std::string>& words);

// A private folder under TMPDIR (else /tmp) whose name starts with prefix, removed with all that was made
// in it when this goes; path is empty when it could not be made.
class scratch_folder {
  public:
    explicit scratch_folder(const std::string& prefix);
    ~scratch_folder();
    scratch_folder(const scratch_folder&) = delete;
    scratch_folder& operator=(const scratch_folder&) = delete;
    std::string file(const std::string& name) const { return path + "/" + name; }

    const std::string path;
};

} // namespace tarnwick::bench
