// The A/B runner against a stand-in bench that reports chosen medians in its report.json (stub_bench.sh): the
// A B B A order under a strong drift, the stopping rule, the verdict lines and the exit statuses; no timing.
// (The smoke test runs the real bench and checks the --csv file.)
#include "runners/ab_runner.h"
#include "runners/child_process.h"
#include "runners/count_runner.h"
#include "stats/frame_summary.h"

#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <sstream>
#include <unistd.h>

using namespace tarnwick::bench;

namespace {
struct outcome {
    int status = -1;
    std::string out, err;
    std::vector<std::string> calls; // each call's side and scenes, then " |" and its other options
};

// Two scenes, 3 frames and 2 to 4 rounds, the stand-in on both sides (without the sanitizer preload, which
// would judge sh and awk) with STUB_SIDE and the given environment.
ab_settings stub_settings(const std::string& a_env, const std::string& b_env) {
    ab_settings s;
    s.scenes = {{"default", {}}, {"inspect", {}}};
    s.frames = 3;
    s.warmup = 30;
    s.width = 640;
    s.height = 480;
    s.min_rounds = 2;
    s.max_rounds = 4;
    std::string error;
    s.a_side.bench = s.b_side.bench = TARNWICK_STUB_BENCH;
    EXPECT_TRUE(parse_assignments("STUB_SIDE=A LD_PRELOAD= " + a_env, s.a_side.env, error)) << error;
    EXPECT_TRUE(parse_assignments("STUB_SIDE=B LD_PRELOAD= " + b_env, s.b_side.env, error)) << error;
    return s;
}

// Runs --ab; the stand-in keeps its call counts and log in a folder of its own.
outcome run_stub(const ab_settings& settings) {
    char folder[] = "/tmp/tarnwick-stub.XXXXXX";
    EXPECT_TRUE(mkdtemp(folder));
    setenv("STUB_DIR", folder, 1);
    const std::string dir = folder;
    outcome o;
    std::ostringstream out;
    testing::internal::CaptureStderr();
    o.status = run_ab(settings, out);
    o.err = testing::internal::GetCapturedStderr();
    o.out = out.str();
    std::ifstream log(dir + "/log");
    for (std::string line; std::getline(log, line);)
        o.calls.push_back(line);
    for (const char* file : {"log", "calls", "calls.A", "calls.B"})
        std::remove((dir + "/" + file).c_str());
    rmdir(folder);
    return o;
}

// The result line of a scene as printed (ratio, interval, rounds, verdict), blanks squeezed.
std::string result_line(const std::string& out, const std::string& scene) {
    const size_t start = out.find("\n" + scene + " ");
    if (start == std::string::npos)
        return "";
    std::istringstream fields(
        out.substr(start + scene.size() + 1, out.find('\n', start + 1) - start - scene.size() - 1));
    std::string line, word;
    while (fields >> word)
        line += (line.empty() ? "" : " ") + word;
    return line;
}

TEST(ab_runner, rounds_stopping_verdicts_and_statuses) {
    struct row {
        const char* name;
        std::string a_env, b_env;
        double fail_slower;
        int status;
        std::string default_line, inspect_line;
        int both_rounds, rounds; // rounds with both scenes, then with inspect alone up to all rounds
        const char* closing;
    };
    const std::string noisy = "STUB_NOISE_inspect=1,1,1.08,1.08", same = "1.000 1.000 1.000 2 3.0 no change";
    const std::string too_slow = "slower by more than ", unsettled = "1.039 0.968 1.115 4 10.5 inconclusive";
    const row table[] = {
        {"A/A on a machine 5% slower at every call", "", "", 5, 0, same, same, 2, 2, nullptr},
        {"B 10% slower in a scene", "", "STUB_SCALE_inspect=1.1", 5, 4, same,
         "1.100 1.100 1.100 2 3.0 slower", 2, 2, "slower by more than 5% of A's frame time: inspect"},
        {"the same within the limit", "", "STUB_SCALE_inspect=1.1", 20, 0, same,
         "1.100 1.100 1.100 2 3.0 slower", 2, 2, nullptr},
        {"A 3.02% slower: B faster, the bound being 1 / 1.03", "STUB_SCALE_default=1.0302", "", -1, 0,
         "0.971 0.971 0.971 2 3.0 faster", same, 2, 2, nullptr},
        {"a scene that does not settle runs alone to the last round", "", noisy, 5, 5, same, unsettled, 2, 4,
         "cannot judge with --fail-slower (the interval reaches across the threshold; more rounds may settle "
         "it): "
         "inspect"},
        {"too slow wins over cannot judge", "", noisy + " STUB_SCALE_default=1.2", 10, 4,
         "1.200 1.200 1.200 2 3.0 slower", unsettled, 2, 4,
         "slower by more than 10% of A's frame time: default"},
    };
    for (const row& r : table) {
        ab_settings settings = stub_settings(r.a_env, r.b_env);
        settings.fail_slower = r.fail_slower;
        const outcome o = run_stub(settings);
        EXPECT_EQ(o.status, r.status) << r.name << "\n" << o.out << o.err;
        EXPECT_EQ(result_line(o.out, "default"), r.default_line) << r.name << "\n" << o.out;
        EXPECT_EQ(result_line(o.out, "inspect"), r.inspect_line) << r.name;
        ASSERT_EQ(o.calls.size(), size_t(4 * r.rounds)) << r.name;
        for (size_t i = 0; i < o.calls.size(); ++i) {
            const std::string scenes = int(i / 4) < r.both_rounds ? " default inspect" : " inspect";
            EXPECT_EQ(o.calls[i].substr(0, o.calls[i].find(" |")), "ABBA"[i % 4] + scenes) << r.name << i;
        }
        EXPECT_EQ(o.out.find(r.closing ? r.closing : too_slow) != std::string::npos, r.closing != nullptr)
            << o.out;
        EXPECT_EQ(o.err, "") << r.name;
        // An interval that cannot settle says what it hides and what would see it.
        EXPECT_EQ(o.out.find("inspect: changes under 10.5% are hidden by this machine's noise\n  --metric "
                             "instructions") != std::string::npos,
                  r.inspect_line == unsettled)
            << r.name << "\n"
            << o.out;
    }
}

// --metric sets each process's figure of that measure against the other side's: B's GPU time 20% longer is
// slower under gpu and no change under frame or cpu; a side that measured no GPU time cannot be compared.
TEST(ab_runner, a_metric_compares_its_own_figure) {
    struct row {
        const char* metric;
        const char* b_env;
        int status;
        std::string line;
        const char* error;
    };
    const std::string same = "1.000 1.000 1.000 2 3.0 no change";
    const row table[] = {
        {"frame", "STUB_GPU_SCALE=1.2", 0, same, ""},
        {"gpu", "STUB_GPU_SCALE=1.2", 0, "1.200 1.200 1.200 2 3.0 slower", ""},
        {"cpu", "STUB_GPU_SCALE=1.2", 0, same, ""},
        {"gpu", "STUB_GPU_SCALE=none", 1, "", "B in round 1 wrote no gpu time above 0 for default\n"},
    };
    for (const row& r : table) {
        ab_settings settings = stub_settings("", r.b_env);
        settings.metric = r.metric;
        const outcome o = run_stub(settings);
        EXPECT_EQ(o.status, r.status) << r.metric << " " << r.b_env << "\n" << o.out << o.err;
        EXPECT_EQ(result_line(o.out, "default"), r.line) << r.metric << " " << r.b_env << "\n" << o.out;
        EXPECT_NE(o.err.find(r.error), std::string::npos) << o.err;
    }
}

// A side's options come after the common ones and win, and the report comes last; a side that fails or
// hands back no report ends the comparison, with its status passed on when it refused its options.
TEST(ab_runner, each_side_gets_its_own_options_and_its_failures_end_the_run) {
    ab_settings settings = stub_settings("", "");
    settings.a_side.args = {"--size", "848x636", "--seed", "5"};
    const outcome o = run_stub(settings);
    ASSERT_EQ(o.calls.size(), 8u) << o.out << o.err;
    EXPECT_EQ(o.calls[0],
              "A default inspect | --frames 3 --warmup 30 --size 640x480 --seed 1 --size 848x636 --seed 5");
    EXPECT_EQ(o.calls[1], "B default inspect | --frames 3 --warmup 30 --size 640x480 --seed 1");
    const std::tuple<const char*, const char*, int, const char*> failing[] = {
        {"STUB_STATUS=1", "", 1,
         "B in round 1 (" TARNWICK_STUB_BENCH ") ended with status 1\n  stub: failing on purpose\n"},
        {"STUB_STATUS=2", "", 2, "ended with status 2\n  stub: failing on purpose\n"},
        {"STUB_NO_REPORT=1", "", 1, "B in round 1 wrote no report (/"},
        {"", "/nonexistent/bench", 1, "B in round 1: cannot start /nonexistent/bench"},
    };
    for (const auto& [b_env, b_bench, status, message] : failing) {
        ab_settings failing_settings = stub_settings("", b_env);
        if (*b_bench)
            failing_settings.b_side.bench = b_bench;
        const outcome f = run_stub(failing_settings);
        EXPECT_EQ(f.status, status) << message;
        EXPECT_NE(f.err.find(message), std::string::npos) << f.err;
        EXPECT_EQ(f.out.find("\nscene "), std::string::npos) << f.out;
    }
}

// A folder whose only program is valgrind, the stand-in that runs what follows its options.
std::string fake_valgrind_path() {
    char folder[] = "/tmp/tarnwick-valgrind.XXXXXX";
    EXPECT_TRUE(mkdtemp(folder));
    EXPECT_EQ(symlink(TARNWICK_FAKE_VALGRIND, (std::string(folder) + "/valgrind").c_str()), 0);
    return folder;
}

// The last word of a scene's result line: its verdict (two words for "no change").
bool ends_with(const std::string& line, const std::string& end) {
    return line.size() >= end.size() && line.compare(line.size() - end.size(), end.size(), end) == 0;
}

// On counts one round decides: each side's two processes must agree, B over A is judged against the counts'
// threshold, and a side whose processes disagree widens the interval and says so. Without valgrind the
// comparison ends before any process.
TEST(ab_runner, counts_one_round_judged_on_instructions) {
    struct row {
        const char* name;
        std::string a_counts, b_counts;
        const char* ratio;
        const char* verdict;
        bool disagree;
    };
    const row table[] = {
        {"the same counts", "1000000", "1000000", "1.0000", "no change", false},
        {"B 2% more", "1000000", "1020000", "1.0200", "slower", false},
        {"B 2% fewer", "1000000", "980000", "0.9800", "faster", false},
        {"B 2% more but A's processes 3% apart", "985000,1015000", "1020000", "1.0200", "inconclusive", true},
    };
    const std::string folder = fake_valgrind_path();
    const std::string path = std::getenv("PATH");
    setenv("PATH", (folder + ":" + path).c_str(), 1);
    for (const row& r : table) {
        ab_settings settings =
            stub_settings("STUB_COUNT_default=" + r.a_counts + " STUB_COUNT_inspect=1000000",
                          "STUB_COUNT_default=" + r.b_counts + " STUB_COUNT_inspect=1000000");
        settings.metric = "instructions";
        settings.threshold = count_threshold * percent;
        const outcome o = run_stub(settings);
        EXPECT_EQ(o.status, 0) << r.name << "\n" << o.out << o.err;
        ASSERT_EQ(o.calls.size(), 4u) << r.name;
        for (const std::string& call : o.calls)
            EXPECT_NE(call.find("--metric instructions"), std::string::npos) << call;
        const std::string line = result_line(o.out, "default");
        EXPECT_NE(line.find(std::string(" ") + r.ratio + " "), std::string::npos) << r.name << ": " << line;
        EXPECT_TRUE(ends_with(line, r.verdict)) << r.name << ": " << line;
        EXPECT_TRUE(ends_with(result_line(o.out, "inspect"), "no change")) << r.name;
        EXPECT_EQ(o.out.find("default: a side's processes counted") != std::string::npos, r.disagree)
            << r.name << "\n"
            << o.out;
    }
    setenv("PATH", "/nonexistent", 1);
    ab_settings settings = stub_settings("", "");
    settings.metric = "instructions";
    const outcome none = run_stub(settings);
    setenv("PATH", path.c_str(), 1);
    EXPECT_EQ(none.status, 1);
    EXPECT_EQ(none.err, std::string(no_valgrind_message) + "\n");
    EXPECT_TRUE(none.calls.empty());
    EXPECT_EQ(none.out, "");
    unlink((folder + "/valgrind").c_str());
    rmdir(folder.c_str());
}
} // namespace
