// The A/B runner against stand-in benches that write chosen medians (stub_bench.sh): the A B B A order
// under a strong drift, the stopping rule, the verdict lines, the exit statuses and the --csv file, without
// timing anything.
#include "ab_runner.h"
#include "bench_options.h"
#include "csv_fields.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <sstream>
#include <unistd.h>

namespace {
// The stand-in's call counts and log live here; STUB_DIR tells it where.
class stub_folder {
  public:
    stub_folder() {
        char pattern[] = "/tmp/tarnwick-stub.XXXXXX";
        path = mkdtemp(pattern) ? pattern : "";
        setenv("STUB_DIR", path.c_str(), 1);
    }
    ~stub_folder() {
        for (const char* f : {"calls", "calls.A", "calls.B", "log", "ab.csv"})
            std::remove((path + "/" + f).c_str());
        rmdir(path.c_str());
    }
    std::vector<std::string> lines(const std::string& file) const {
        std::ifstream in(path + "/" + file);
        std::vector<std::string> all;
        for (std::string line; std::getline(in, line);)
            all.push_back(line);
        return all;
    }
    std::string path;
};

struct outcome {
    int status = -1;
    std::string out, err;
    // Each call's side with its scenes, and the other options it got.
    std::vector<std::string> calls;
};

// Both sides run the stand-in (without the sanitizer preload, which would judge sh and awk) in rounds of
// at least 2 and at most 4, plus the given options.
outcome run_stub(const stub_folder& folder, const std::string& a_env, const std::string& b_env,
                 const std::vector<std::string>& more) {
    std::vector<std::string> args = {"--ab",
                                     "--a-bench",
                                     TARNWICK_STUB_BENCH,
                                     "--b-bench",
                                     TARNWICK_STUB_BENCH,
                                     "--a-env",
                                     "STUB_SIDE=A LD_PRELOAD= " + a_env,
                                     "--b-env",
                                     "STUB_SIDE=B LD_PRELOAD= " + b_env,
                                     "--frames",
                                     "3",
                                     "--min-rounds",
                                     "2",
                                     "--max-rounds",
                                     "4",
                                     "--scene",
                                     "default",
                                     "--scene",
                                     "inspect"};
    args.insert(args.end(), more.begin(), more.end());
    const parse_result parsed = parse_bench_options(args);
    EXPECT_TRUE(parsed.ok) << parsed.error;
    outcome o;
    std::ostringstream out;
    testing::internal::CaptureStderr();
    o.status = run_ab(parsed.options, out);
    o.err = testing::internal::GetCapturedStderr();
    o.out = out.str();
    o.calls = folder.lines("log");
    return o;
}

// The result line of scene: ratio, interval, rounds and verdict as printed, or empty.
std::string result_line(const std::string& out, const std::string& scene) {
    std::istringstream lines(out);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream words(line);
        std::string first, ratio, low, high, rounds, verdict;
        words >> first >> ratio >> low >> high >> rounds;
        std::getline(words, verdict);
        if (first == scene && !verdict.empty())
            return ratio + " " + low + " " + high + " " + rounds + verdict;
    }
    return "";
}

TEST(ab_runner, rounds_stopping_verdicts_and_statuses) {
    struct row {
        const char* name;
        std::string a_env, b_env;
        std::vector<std::string> more;
        int status;
        std::string default_line, inspect_line;
        // The scenes of each round's four calls.
        std::vector<std::string> rounds;
        const char* closing;
    };
    const std::string both = "default inspect";
    const std::string noisy = "STUB_NOISE_inspect=1,1,1.08,1.08";
    const row table[] = {
        {"A/A on a machine 5% slower at every call",
         "",
         "",
         {"--fail-slower", "5"},
         0,
         "1.000 1.000 1.000 2  no change",
         "1.000 1.000 1.000 2  no change",
         {both, both},
         nullptr},
        {"B 10% slower in one scene",
         "",
         "STUB_SCALE_inspect=1.1",
         {"--fail-slower", "5"},
         4,
         "1.000 1.000 1.000 2  no change",
         "1.100 1.100 1.100 2  slower",
         {both, both},
         "slower by more than 5% of A's frame time: inspect"},
        {"the same within the limit",
         "",
         "STUB_SCALE_inspect=1.1",
         {"--fail-slower", "20"},
         0,
         "1.000 1.000 1.000 2  no change",
         "1.100 1.100 1.100 2  slower",
         {both, both},
         nullptr},
        {"A 5% slower: B faster",
         "STUB_SCALE_default=1.05",
         "",
         {},
         0,
         "0.952 0.952 0.952 2  faster",
         "1.000 1.000 1.000 2  no change",
         {both, both},
         nullptr},
        {"a scene that does not settle runs alone to the last round",
         "",
         noisy,
         {"--fail-slower", "5"},
         5,
         "1.000 1.000 1.000 2  no change",
         "1.039 0.968 1.115 4  inconclusive",
         {both, both, "inspect", "inspect"},
         "cannot judge with --fail-slower (the interval reaches across the threshold; more rounds may settle "
         "it): "
         "inspect"},
        {"too slow wins over cannot judge",
         "",
         noisy + " STUB_SCALE_default=1.2",
         {"--fail-slower", "10"},
         4,
         "1.200 1.200 1.200 2  slower",
         "1.039 0.968 1.115 4  inconclusive",
         {both, both, "inspect", "inspect"},
         "slower by more than 10% of A's frame time: default"},
    };
    for (const row& r : table) {
        stub_folder folder;
        const outcome o = run_stub(folder, r.a_env, r.b_env, r.more);
        EXPECT_EQ(o.status, r.status) << r.name << "\n" << o.out << o.err;
        EXPECT_EQ(result_line(o.out, "default"), r.default_line) << r.name << "\n" << o.out;
        EXPECT_EQ(result_line(o.out, "inspect"), r.inspect_line) << r.name << "\n" << o.out;
        ASSERT_EQ(o.calls.size(), 4 * r.rounds.size()) << r.name;
        for (size_t i = 0; i < o.calls.size(); ++i) {
            const std::string side(1, "ABBA"[i % 4]);
            EXPECT_EQ(o.calls[i].substr(0, o.calls[i].find(" |")), side + " " + r.rounds[i / 4])
                << r.name << ", call " << i + 1;
        }
        EXPECT_EQ(o.out.find(r.closing ? r.closing : "slower by more than") != std::string::npos,
                  r.closing != nullptr)
            << r.name << "\n"
            << o.out;
        EXPECT_EQ(o.err, "") << r.name;
    }
}

TEST(ab_runner, each_side_gets_the_common_options_then_its_own) {
    stub_folder folder;
    const outcome o = run_stub(folder, "", "", {"--size", "640x480", "--a-args", "--size 848x636  --seed 5"});
    ASSERT_EQ(o.calls.size(), 8u) << o.out << o.err;
    EXPECT_EQ(o.calls[0],
              "A default inspect | --frames 3 --warmup 30 --size 640x480 --seed 1 --size 848x636 --seed 5");
    EXPECT_EQ(o.calls[1], "B default inspect | --frames 3 --warmup 30 --size 640x480 --seed 1");
}

TEST(ab_runner, a_side_that_fails_ends_the_comparison) {
    struct row {
        const char* name;
        std::string b_env;
        std::vector<std::string> more;
        int status;
        const char* message;
    };
    const row table[] = {
        {"it fails", "STUB_STATUS=1", {}, 1, "ended with status 1\n  stub: failing on purpose\n"},
        {"it refuses its options",
         "STUB_STATUS=2",
         {},
         2,
         "ended with status 2\n  stub: failing on purpose\n"},
        {"it cannot start",
         "",
         {"--b-bench", "/nonexistent/bench"},
         1,
         "B in round 1: cannot start /nonexistent/bench"},
    };
    for (const row& r : table) {
        stub_folder folder;
        const outcome o = run_stub(folder, "", r.b_env, r.more);
        EXPECT_EQ(o.status, r.status) << r.name;
        EXPECT_NE(o.err.find(r.message), std::string::npos) << r.name << ": " << o.err;
        EXPECT_EQ(o.out.find("\nscene "), std::string::npos) << r.name;
    }
}

// The --csv file: one row per scene with both sides' provenance; a difference between the sides is named.
TEST(ab_runner, results_file_carries_each_sides_provenance) {
    stub_folder folder;
    const std::string file = folder.path + "/ab.csv";
    const outcome o = run_stub(folder, "STUB_DRIFT=1",
                               "STUB_DRIFT=1 STUB_RENDERER=other STUB_SCALE_inspect=1.25", {"--csv", file});
    ASSERT_EQ(o.status, 0) << o.err;
    EXPECT_NE(
        o.out.find(
            "A and B were measured under different conditions:\n  renderer: 'stub' in A, 'other' in B\n"),
        std::string::npos)
        << o.out;
    const std::vector<std::string> lines = folder.lines("ab.csv");
    ASSERT_EQ(lines.size(), 3u);
    const std::vector<std::string> header = csv_split(lines[0]);
    const std::vector<std::string> inspect = csv_split(lines[2]);
    ASSERT_EQ(header.size(), inspect.size());
    std::map<std::string, std::string> field;
    for (size_t i = 0; i < header.size(); ++i)
        field[header[i]] = inspect[i];
    EXPECT_EQ(field["scene"], "inspect");
    EXPECT_EQ(field["verdict"], "slower");
    EXPECT_EQ(field["ratio"], "1.2500");
    EXPECT_EQ(field["rounds"], "2");
    EXPECT_EQ(field["a_renderer"], "stub");
    EXPECT_EQ(field["b_renderer"], "other");
    EXPECT_EQ(field["b_kernel"], "Linux 6");
    EXPECT_EQ(field["a_p50_ms"], "10.0000");
    EXPECT_EQ(field["b_p50_ms"], "12.5000");
}
} // namespace
