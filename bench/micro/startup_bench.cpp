// Time from process start to the first presented frame of tarnwick-bench, cold and warm shader cache.
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {
constexpr int startup_runs = 5;

std::string own_directory() {
    char path[4096];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0)
        return ".";
    path[n] = '\0';
    std::string p(path);
    return p.substr(0, p.rfind('/'));
}

// Runs tarnwick-bench --startup with Mesa's shader cache in cache_dir; the wall time from spawn to exit,
// or a negative number when it failed.
double time_startup(const std::string& cache_dir) {
    const std::string program = own_directory() + "/tarnwick-bench";
    std::vector<std::string> env_strings;
    for (char** e = environ; *e; ++e) {
        const std::string s(*e);
        if (s.rfind("MESA_SHADER_CACHE_DIR=", 0) != 0 && s.rfind("MESA_GLSL_CACHE_DIR=", 0) != 0)
            env_strings.push_back(s);
    }
    env_strings.push_back("MESA_SHADER_CACHE_DIR=" + cache_dir);
    std::vector<char*> env;
    for (std::string& s : env_strings)
        env.push_back(s.data());
    env.push_back(nullptr);
    std::vector<std::string> arg_strings = {program, "--startup", "--scene", "default"};
    std::vector<char*> args;
    for (std::string& s : arg_strings)
        args.push_back(s.data());
    args.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    // The data folders are linked next to the executables.
    const std::string directory = own_directory();
    posix_spawn_file_actions_addchdir_np(&actions, directory.c_str());
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, args.data(), env.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        return -1.0;
    int status = 0;
    waitpid(pid, &status, 0);
    const auto end = std::chrono::steady_clock::now();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return -1.0;
    return std::chrono::duration<double>(end - start).count();
}

std::string fresh_directory() {
    char pattern[] = "/tmp/tarnwick-shader-cache.XXXXXX";
    const char* dir = mkdtemp(pattern);
    return dir ? dir : "/tmp";
}

void remove_directory(const std::string& dir) {
    const std::string command = "rm -rf '" + dir + "'";
    if (std::system(command.c_str()) != 0)
        return;
}

void bm_startup(benchmark::State& state, bool warm) {
    if (!std::getenv("DISPLAY")) {
        state.SkipWithError("no X display (run under xvfb-run)");
        return;
    }
    std::string cache = fresh_directory();
    if (warm && time_startup(cache) < 0.0) {
        state.SkipWithError("tarnwick-bench --startup failed");
        remove_directory(cache);
        return;
    }
    for (auto _ : state) {
        if (!warm) {
            state.PauseTiming();
            remove_directory(cache);
            cache = fresh_directory();
            state.ResumeTiming();
        }
        const double seconds = time_startup(cache);
        if (seconds < 0.0) {
            state.SkipWithError("tarnwick-bench --startup failed");
            break;
        }
        state.SetIterationTime(seconds);
    }
    remove_directory(cache);
}
} // namespace

BENCHMARK_CAPTURE(bm_startup, cold, false)
    ->UseManualTime()
    ->Iterations(startup_runs)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(bm_startup, warm, true)
    ->UseManualTime()
    ->Iterations(startup_runs)
    ->Unit(benchmark::kMillisecond);
