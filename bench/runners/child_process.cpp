// Starting another program and waiting for it: posix_spawn with an explicit argument list and environment.
#include "runners/child_process.h"

#include "record/report_json.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <thread>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sstream>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace tarnwick::bench {

namespace {
constexpr int signal_status_base = 128;
constexpr std::chrono::milliseconds poll_interval(50);

std::string name_of(const std::string& assignment) { return assignment.substr(0, assignment.find('=')); }

bool valid_name(const std::string& name) {
    return !name.empty() && !std::isdigit(static_cast<unsigned char>(name[0])) &&
           std::all_of(name.begin(), name.end(), [](unsigned char c) { return std::isalnum(c) || c == '_'; });
}

std::vector<char*> pointers_to(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (std::string& t : texts)
        pointers.push_back(&t[0]);
    pointers.push_back(nullptr);
    return pointers;
}

// Standard input from /dev/null, and the output files when given; false with errno set when one fails.
bool redirect(posix_spawn_file_actions_t& actions, const child_request& request) {
    const mode_t mode = 0644;
    if (posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0) != 0)
        return false;
    for (const auto& [fd, file] : {std::make_pair(STDOUT_FILENO, &request.output_file),
                                   std::make_pair(STDERR_FILENO, &request.error_file)}) {
        if (!file->empty() && posix_spawn_file_actions_addopen(&actions, fd, file->c_str(),
                                                               O_WRONLY | O_CREAT | O_TRUNC, mode) != 0)
            return false;
    }
    return request.directory.empty() ||
           posix_spawn_file_actions_addchdir_np(&actions, request.directory.c_str()) == 0;
}

// Waits for the child and returns its wait status; after limit seconds (0: none) it is killed first.
int wait_for(pid_t pid, int limit, bool& timed_out) {
    int status = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(limit);
    for (;;) {
        const pid_t done = waitpid(pid, &status, limit > 0 ? WNOHANG : 0);
        if (done == pid || (done < 0 && errno != EINTR))
            return status;
        if (done == 0 && std::chrono::steady_clock::now() >= deadline) {
            // Killed, the child is waited for without a limit.
            kill(pid, SIGKILL);
            timed_out = true;
            limit = 0;
        } else if (done == 0) {
            std::this_thread::sleep_for(poll_interval);
        }
    }
}

std::string made_folder(const std::string& prefix) {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/" + prefix + ".XXXXXX";
    return mkdtemp(&pattern[0]) ? pattern : std::string();
}
} // namespace

std::vector<std::string> merged_environment(const std::vector<std::string>& environment,
                                            const std::vector<std::string>& assignments) {
    std::vector<std::string> merged = environment;
    for (const std::string& a : assignments) {
        const std::string name = name_of(a);
        merged.erase(std::remove_if(merged.begin(), merged.end(),
                                    [&name](const std::string& e) { return name_of(e) == name; }),
                     merged.end());
        if (a.size() > name.size() + 1)
            merged.push_back(a);
    }
    return merged;
}

bool parse_assignments(const std::string& text, std::vector<std::string>& assignments, std::string& error) {
    std::istringstream words(text);
    for (std::string word; words >> word;) {
        if (word.find('=') == std::string::npos || !valid_name(name_of(word))) {
            error = "needs K=V assignments separated by blanks, not '" + word + "'";
            return false;
        }
        assignments.push_back(word);
    }
    return true;
}

std::string joined_words(const std::vector<std::string>& words) {
    std::string text;
    for (const std::string& w : words)
        text += (text.empty() ? "" : " ") + w;
    return text;
}

child_result run_child(const child_request& request) {
    child_result result;
    std::vector<std::string> argv_texts{request.program};
    argv_texts.insert(argv_texts.end(), request.arguments.begin(), request.arguments.end());
    std::vector<std::string> own;
    for (char** e = environ; e && *e; ++e)
        own.emplace_back(*e);
    std::vector<std::string> env_texts = merged_environment(own, request.environment);
    std::vector<char*> argv = pointers_to(argv_texts);
    std::vector<char*> envp = pointers_to(env_texts);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    pid_t pid = 0;
    int error = redirect(actions, request) ? 0 : errno;
    if (error == 0)
        error = posix_spawnp(&pid, request.program.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0) {
        result.error = "cannot start " + request.program + ": " + std::strerror(error);
        return result;
    }
    result.started = true;
    const int status = wait_for(pid, request.time_limit_seconds, result.timed_out);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : signal_status_base + WTERMSIG(status);
    return result;
}

bench_child run_bench_child(child_request request, const std::string& report_dir) {
    std::error_code e;
    std::filesystem::remove_all(report_dir, e);
    request.arguments.insert(request.arguments.end(),
                             {"--report", std::filesystem::absolute(report_dir, e).string()});
    bench_child ran{run_child(request), std::nullopt, ""};
    report_model report;
    ran.report_error = read_report(std::filesystem::path(report_dir) / "report.json", report);
    if (ran.report_error.empty())
        ran.report = report;
    return ran;
}

scratch_folder::scratch_folder(const std::string& prefix) : path(made_folder(prefix)) {}

scratch_folder::~scratch_folder() {
    std::error_code ignored;
    if (!path.empty())
        std::filesystem::remove_all(path, ignored);
}

} // namespace tarnwick::bench
