// Instruction counts under Valgrind's callgrind: the bench started under it with the conditions that make
// a count repeat. No GL here.
#include "runners/count_runner.h"

#include "record/exit_status.h"
#include "runners/data_folders.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <sstream>
#include <unistd.h>

namespace tarnwick::bench {

namespace {
constexpr char threads_variable[] = "LP_NUM_THREADS";

bool is_set(const char* const* environment_list, const std::string& name) {
    for (const char* const* e = environment_list; e && *e; ++e) {
        if (std::string(*e).rfind(name + "=", 0) == 0)
            return true;
    }
    return false;
}

std::string dt_text(double dt) {
    char text[32];
    std::snprintf(text, sizeof text, "%.6g", dt);
    return text;
}
} // namespace

std::string count_folder() {
    const char* folder = std::getenv(count_folder_variable);
    return folder && *folder ? folder : ".";
}

std::vector<std::string> count_environment(const std::string& folder, const char* const* environment_list) {
    // One thread rasterises the same tiles in the same order every run; a shader cache would let a later
    // run skip the compiles an earlier one made.
    std::vector<std::string> assignments = {"MESA_SHADER_CACHE_DISABLE=true",
                                            std::string(count_folder_variable) + "=" + folder};
    if (!is_set(environment_list, threads_variable))
        assignments.insert(assignments.begin(), std::string(threads_variable) + "=0");
    return assignments;
}

child_request counted_request(child_request request, const std::string& folder) {
    std::vector<std::string> arguments = {"--tool=callgrind",
                                          "--collect-atstart=no",
                                          "--instr-atstart=no",
                                          "--dump-instr=no",
                                          "--callgrind-out-file=" + folder + "/callgrind.out.%p",
                                          "--log-file=" + folder + "/valgrind.log",
                                          request.program};
    arguments.insert(arguments.end(), request.arguments.begin(), request.arguments.end());
    request.arguments = arguments;
    request.program = "valgrind";
    // The side's own assignments come last, so that they win.
    std::vector<std::string> environment = count_environment(folder, environ);
    environment.insert(environment.end(), request.environment.begin(), request.environment.end());
    request.environment = environment;
    return request;
}

std::string counting_text(const ab_settings& s) {
    return "callgrind, dt " + dt_text(s.fixed_dt) + " s fixed, seed " + std::to_string(s.seed);
}

std::string count_conditions_line(const ab_settings& s) {
    std::string environment;
    for (const std::string& assignment : count_environment("", environ)) {
        if (assignment.rfind(count_folder_variable, 0) != 0)
            environment += ", " + assignment;
    }
    const char* threads = std::getenv(threads_variable);
    if (threads)
        environment += std::string(", ") + threads_variable + "=" + threads + " (as set)";
    return "counting instructions of the measured frames under " + counting_text(s) + environment;
}

bool valgrind_found() {
    const char* path = std::getenv("PATH");
    std::istringstream folders(path ? path : "");
    for (std::string folder; std::getline(folders, folder, ':');) {
        if (!folder.empty() && access((folder + "/valgrind").c_str(), X_OK) == 0)
            return true;
    }
    std::cerr << no_valgrind_message << std::endl;
    return false;
}

int run_counted(const ab_settings& settings, const std::vector<std::string>& arguments, std::ostream& out) {
    if (!valgrind_found())
        return int(exit_status::failure);
    const scratch_folder dumps("tarnwick-count");
    if (dumps.path.empty()) {
        std::cerr << "tarnwick-bench: cannot make a folder for callgrind's dumps in TMPDIR or /tmp"
                  << std::endl;
        return int(exit_status::failure);
    }
    out << count_conditions_line(settings) << std::endl;
    const child_result ran =
        run_child(counted_request({own_executable(), arguments, {}, "", "", "", 0}, dumps.path));
    if (!ran.started)
        std::cerr << "tarnwick-bench: " << ran.error << std::endl;
    return ran.started ? ran.status : int(exit_status::failure);
}

report_comparison count_comparison_of(const std::vector<double>& a, const std::vector<double>& b,
                                      double threshold_percent, const std::string& label, int frames,
                                      const std::string& a_folder, const std::string& b_folder) {
    const count_estimate e = estimate_counts(a, b);
    count_comparison c;
    c.base_per_frame = e.base;
    c.new_per_frame = e.fresh;
    c.ratio = e.ratio;
    if (e.has_interval)
        c.ratio_interval = std::make_pair(e.low, e.high);
    c.base_counts = a;
    c.new_counts = b;
    c.spread_percent = e.spread * percent;
    c.agreement_percent = count_agreement * percent;
    c.threshold_percent = threshold_percent;
    callgrind_profile a_dump, b_dump;
    std::string error;
    const std::string prefix = "callgrind.out.";
    if (find_labelled_dump(a_folder, prefix, label, a_dump, error) &&
        find_labelled_dump(b_folder, prefix, label, b_dump, error)) {
        const double n = double(std::max(frames, 1));
        for (const function_change& f : top_changes(a_dump, b_dump, count_changes_listed))
            c.functions.push_back(
                {f.object, f.function, double(f.a_ir) / n, double(f.b_ir) / n, double(f.change) / n});
    }
    return report_comparison{0, 1, judge_counts(e, threshold_percent / percent), c};
}

void print_count_results(const report_model& record, std::ostream& out) {
    char line[512];
    std::snprintf(line, sizeof line, "%-*s %9s %9s %8s %8s %8s  %s", label_width, "scene", "A M/frame",
                  "B M/frame", "B/A", "low", "high", "verdict");
    out << line << "\n";
    for (const report_scene& s : record.scenes) {
        const count_comparison& c = std::get<count_comparison>(s.comparison->figures);
        std::snprintf(line, sizeof line, "%-*s %9.3f %9.3f %8.4f %8s %8s  %s", label_width, s.label.c_str(),
                      c.base_per_frame / 1e6, c.new_per_frame / 1e6, c.ratio,
                      interval_end(c, false, 4, "-").c_str(), interval_end(c, true, 4, "-").c_str(),
                      verdict_word(s.comparison->verdict));
        out << line << "\n";
        if (c.spread_percent > c.agreement_percent)
            out << "  " << s.label << ": a side's processes counted " << fixed(c.spread_percent, 3)
                << "% apart, more than the " << fixed(c.agreement_percent, 3)
                << "% they agree within; the interval is widened to it\n";
    }
    for (const report_scene& s : record.scenes) {
        const count_comparison& c = std::get<count_comparison>(s.comparison->figures);
        if (c.functions.empty())
            continue;
        out << "where the change went in " << s.label << " (self instructions per frame: A, B, change):\n";
        for (const count_change& f : c.functions) {
            std::snprintf(line, sizeof line, "  %12.0f %12.0f %+12.0f  %s (%s)", f.base, f.fresh, f.change,
                          f.function.c_str(), f.object.substr(f.object.find_last_of('/') + 1).c_str());
            out << line << "\n";
        }
    }
    out.flush();
}

} // namespace tarnwick::bench
