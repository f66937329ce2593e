// Instruction counts: a scene's dump found among callgrind's files, counts per frame by origin, and two
// sides' counts judged (the verdict, the agreement between one side's processes), and what a time interval
// could have seen.
#include "stats/instruction_counts.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <cmath>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace tarnwick::bench;
namespace fs = std::filesystem;

namespace {
// One dump labelled label: ir instructions in the program, 3 * ir in the driver and ir in libc.
std::string dump_text(const std::string& label, int ir) {
    return "version: 1\ncmd: /build/tarnwick-bench --scene x\ndesc: Trigger: Client Request: " + label +
           "\nevents: Ir\nob=/build/tarnwick-bench\nfn=main\n1 " + std::to_string(ir) +
           "\nob=/usr/lib/x86_64-linux-gnu/dri/swrast_dri.so\nfn=raster\n1 " + std::to_string(3 * ir) +
           "\nob=/lib/x86_64-linux-gnu/libc.so.6\nfn=memcpy\n1 " + std::to_string(ir) + "\n";
}

struct dump_folder {
    fs::path path = fs::temp_directory_path() / ("tarnwick-dumps-" + std::to_string(getpid()));
    dump_folder() { fs::create_directories(path); }
    ~dump_folder() { fs::remove_all(path); }
    void write(const std::string& name, const std::string& text) const { std::ofstream(path / name) << text; }
};

// Callgrind numbers its dumps .1, .2, ... .10: a scene counted twice is read from its latest dump, and
// files of another process (another prefix) are not looked at.
TEST(instruction_counts, the_latest_dump_of_a_label_counts_per_frame_by_origin) {
    dump_folder folder;
    folder.write("callgrind.out.7.2", dump_text("default", 100));
    folder.write("callgrind.out.7.10", dump_text("default", 200));
    folder.write("callgrind.out.7.9", dump_text("inspect", 50));
    folder.write("callgrind.out.8.11", dump_text("default", 999));
    struct row {
        const char* label;
        bool found;
        double per_frame, program, gl_driver, other;
    };
    const row table[] = {
        {"default", true, 200.0, 40.0, 120.0, 40.0},
        {"inspect", true, 50.0, 10.0, 30.0, 10.0},
        {"combat", false, 0, 0, 0, 0},
    };
    for (const row& r : table) {
        callgrind_profile dump;
        std::string error;
        ASSERT_EQ(find_labelled_dump(folder.path.string(), "callgrind.out.7.", r.label, dump, error), r.found)
            << r.label << ": " << error;
        if (!r.found) {
            EXPECT_NE(error.find(r.label), std::string::npos) << error;
            continue;
        }
        const instruction_count c = count_of(dump, 5);
        EXPECT_EQ(c.frames, 5);
        EXPECT_DOUBLE_EQ(c.per_frame, r.per_frame) << r.label;
        EXPECT_DOUBLE_EQ(c.program, r.program) << r.label;
        EXPECT_DOUBLE_EQ(c.gl_driver, r.gl_driver) << r.label;
        EXPECT_DOUBLE_EQ(c.other, r.other) << r.label;
    }
}

// Counts scaled around the agreement bound and the threshold, so that the rows hold whatever the calibration
// sets them to.
TEST(instruction_counts, verdicts_and_the_agreement_between_processes) {
    const double t = count_threshold, g = count_agreement;
    struct row {
        const char* name;
        std::vector<double> a, b;
        verdict expected;
        bool disagree;
    };
    const row table[] = {
        {"identical", {1e6, 1e6}, {1e6, 1e6}, verdict::no_change, false},
        {"within the agreement", {1e6, 1e6 * (1 + g / 2)}, {1e6, 1e6}, verdict::no_change, false},
        {"twice the threshold more",
         {1e6, 1e6},
         {1e6 * (1 + 2 * t), 1e6 * (1 + 2 * t)},
         verdict::slower,
         false},
        {"at the threshold", {1e6, 1e6}, {1e6 * (1 + t), 1e6 * (1 + t)}, verdict::inconclusive, false},
        {"a side apart by three thresholds",
         {1e6, 1e6 * (1 + 3 * t)},
         {1e6 * (1 + 4 * t), 1e6 * (1 + 4 * t)},
         verdict::inconclusive,
         true},
        {"one process a side", {1e6}, {2e6}, verdict::unknown, false},
        {"a side without counts", {}, {1e6, 1e6}, verdict::unknown, false},
    };
    for (const row& r : table) {
        const count_estimate e = estimate_counts(r.a, r.b);
        EXPECT_EQ(judge_counts(e, t), r.expected) << r.name;
        EXPECT_EQ(e.disagree, r.disagree) << r.name;
        // No figure is printed as a NaN.
        EXPECT_FALSE(std::isnan(e.ratio) || std::isnan(e.base)) << r.name;
        if (!e.has_interval)
            continue;
        // The interval holds the ratio and is at least as wide as the sides' spread.
        EXPECT_LE(e.low, e.ratio) << r.name;
        EXPECT_GE(e.high, e.ratio) << r.name;
        EXPECT_GE(e.high / e.low, (1 + e.spread) * (1 + e.spread) * (1 - 1e-12)) << r.name;
        // Swapping the sides swaps slower and faster.
        const verdict swapped = judge_counts(estimate_counts(r.b, r.a), t);
        const verdict mirrored = r.expected == verdict::slower   ? verdict::faster
                                 : r.expected == verdict::faster ? verdict::slower
                                                                 : r.expected;
        EXPECT_EQ(swapped, mirrored) << r.name;
    }
}

// A true change just above the smallest visible one, measured with an interval as wide, is called slower;
// just below it, it is not.
TEST(instruction_counts, the_smallest_visible_change_of_a_time_interval) {
    const auto interval = [](double ratio, double factor) {
        ratio_estimate e;
        e.ratio = ratio;
        e.low = ratio / factor;
        e.high = ratio * factor;
        e.has_interval = true;
        return e;
    };
    const std::pair<double, double> table[] = {{1.05, 0.03}, {1.002, 0.03}, {1.2, 0.01}};
    for (const auto& [factor, threshold] : table) {
        const double v = smallest_visible_change(interval(1.0, factor), threshold);
        EXPECT_EQ(judge(interval((1 + v) * 1.001, factor), threshold), verdict::slower) << factor;
        EXPECT_EQ(judge(interval((1 + v) * 0.999, factor), threshold), verdict::inconclusive) << factor;
    }
    EXPECT_EQ(smallest_visible_change(ratio_estimate(), 0.03), 0.0);
}
} // namespace
