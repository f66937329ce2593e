// A results CSV read back: a file that is not whole, or a figure that is not wholly a number, is an error
// with its line, never a smaller number.
#include "record/run_table.h"
#include "stats/frame_summary.h"

#include <gtest/gtest.h>
#include <sstream>

using namespace tarnwick::bench;

namespace {
TEST(run_table, files_that_are_not_whole_say_where) {
    const std::string header = csv_header() + ",renderer\n";
    const std::string whole = "default,1,300,113.761,8.5,9.1,9.9,12.0,1.25,llvmpipe\n";
    const std::pair<std::string, const char*> table[] = {
        {"", "no header line"},
        {"scene,frames\nx,1\n", "line 1: no 'scene' and 'mean_fps' columns"},
        {header + whole + "default,2,300,113\n", "line 3: 4 fields where the header has 10"},
        {header + whole + "default,2,300,113.7x,8.5,9.1,9.9,12.0,1.25,llvmpipe\n",
         "line 3: mean_fps '113.7x' is not a number"},
        {header + "default,1,300,113.761,8.5,9.1,9.9,12.0,,llvmpipe\n", "line 2: cpu_ms '' is not a number"},
        {header + "default,1,3oo,113.761,8.5,9.1,9.9,12.0,1.25,llvmpipe\n",
         "line 2: frames '3oo' is not a number"},
        {"mean_fps,scene\n12.5,x\n\n13,x\nabc,y\n", "line 5: mean_fps 'abc' is not a number"},
        {"scene,mean_fps\nx,12,5\n", "line 2: 3 fields where the header has 2"},
        {"scene,mean_fps\ny,nan\n", "line 2: mean_fps 'nan' is not a number"},
    };
    for (const auto& [text, error] : table) {
        std::istringstream in(text);
        run_table runs;
        EXPECT_EQ(read_run_table(in, runs), error) << text;
    }
}

// A whole file: every run of each scene, in the order they first appear; the provenance of the first row.
TEST(run_table, whole_files_read_every_run) {
    std::istringstream in(csv_header() + ",renderer\nb,1,3,10.5,1,1,1,1,1,llvmpipe\na,1,3,20,1,1,1,1,1,x\n"
                                         "b,2,3,11.5,1,1,1,1,1,llvmpipe\n");
    run_table runs;
    ASSERT_EQ(read_run_table(in, runs), "");
    EXPECT_EQ(runs.scenes, (std::vector<std::string>{"b", "a"}));
    EXPECT_EQ(*runs.runs_of("b"), (std::vector<double>{10.5, 11.5}));
    EXPECT_EQ(runs.runs_of("c"), nullptr);
    EXPECT_EQ(runs.origin.renderer, "llvmpipe");
}
// --metric gpu and cpu read their column as a rate, 1000 / ms, so that lower is slower as with FPS; a run
// without the figure is an error, not a rate of 0 or infinity.
TEST(run_table, a_metric_reads_its_column_as_a_rate) {
    const std::string header = "scene,mean_fps,cpu_ms,gpu_mean_ms\n";
    struct row {
        const char* metric;
        std::string text;
        std::vector<double> runs;
        const char* error;
    };
    const std::string no_gpu = header + "x,50,2,4\nx,60,2,\n";
    const row table[] = {
        {"frame", no_gpu, {50, 60}, ""},
        {"gpu", header + "x,50,2,4\nx,60,2,0.5\n", {250, 2000}, ""},
        {"cpu", header + "x,50,2,4\n", {500}, ""},
        {"gpu", no_gpu, {}, "line 3: gpu_mean_ms '' is no figure above 0 to compare (gpu not measured?)"},
        {"gpu",
         csv_header() + "\nx,1,3,10.5,1,1,1,1,1\n",
         {},
         "line 1: no 'scene' and 'gpu_mean_ms' columns"},
    };
    for (const row& r : table) {
        std::istringstream in(r.text);
        run_table runs;
        const std::string error = read_run_table(in, runs, *find_metric(r.metric));
        EXPECT_EQ(error, r.error) << r.metric << r.text;
        if (!r.runs.empty()) {
            EXPECT_EQ(runs.fps, std::vector<std::vector<double>>{r.runs}) << r.metric;
        }
    }
}
} // namespace
