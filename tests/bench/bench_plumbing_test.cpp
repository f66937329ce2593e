// The bench's plumbing: CSV fields with commas and quotes survive a round trip, the provenance picks the
// driver's variables and tells what differs, and child processes get their arguments, environment and folder.
#include "runners/child_process.h"
#include "record/csv_fields.h"
#include "record/provenance.h"

#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <unistd.h>

using namespace tarnwick::bench;

namespace {
std::string contents(const std::string& file) {
    std::ifstream in(file);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}
} // namespace

TEST(csv_fields, fields_survive_a_round_trip) {
    const std::vector<std::vector<std::string>> rows = {
        {"default", "1", "312.5"},
        {"llvmpipe (LLVM 15.0.6, 256 bits)", "4.5 (Compatibility Profile) Mesa 22.3.6"},
        {"say \"hi\"", "", "a,b,c", ""},
        {""},
    };
    for (const auto& row : rows)
        EXPECT_EQ(csv_split(csv_join(row)), row) << csv_join(row);
    EXPECT_EQ(csv_join({"two\nlines"}), "two lines");
}

TEST(provenance, driver_variables_are_picked_and_sorted) {
    const char* const environment[] = {"PATH=/bin",           "MESA_GL_VERSION_OVERRIDE=3.0",
                                       "GALLIUM_DRIVER=zink", "LIBGL_ALWAYS_SOFTWARE=1",
                                       "LP_NUM_THREADS=1",    "MESAX=no",
                                       "HOME=/root",          nullptr};
    EXPECT_EQ(driver_environment(environment),
              "GALLIUM_DRIVER=zink LIBGL_ALWAYS_SOFTWARE=1 LP_NUM_THREADS=1 MESA_GL_VERSION_OVERRIDE=3.0");
}

TEST(provenance, fields_read_back_and_differences_leave_the_date_out) {
    const provenance a = gather_provenance("llvmpipe", "4.5");
    EXPECT_FALSE(a.cpu.empty());
    EXPECT_EQ(a.kernel.compare(0, 6, "Linux "), 0) << a.kernel;
    EXPECT_EQ(a.date.size(), 20u) << a.date;
    const provenance back = provenance_from(provenance_fields(a));
    EXPECT_TRUE(provenance_differences(a, back).empty());
    provenance b = a;
    b.renderer = "softpipe";
    b.driver_env = "GALLIUM_DRIVER=softpipe";
    b.date = "2000-01-01T00:00:00Z";
    EXPECT_EQ(provenance_differences(a, b), (std::vector<std::string>{"renderer", "driver_env"}));
}

TEST(child_process, arguments_environment_folder_and_status_reach_the_child) {
    char folder[] = "/tmp/tarnwick-child.XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    const std::string out = std::string(folder) + "/out";
    // A shell here is the test's own probe of what the child received.
    child_request request{"sh",
                          {"-c", "pwd; echo \"$1|$TARNWICK_A|${HOME:-unset}\"; exit 7", "sh", "one arg"},
                          {"TARNWICK_A=x=y", "HOME="},
                          folder,
                          out,
                          ""};
    const child_result r = run_child(request);
    EXPECT_TRUE(r.started);
    EXPECT_EQ(r.status, 7);
    EXPECT_EQ(contents(out), std::string(folder) + "\none arg|x=y|unset\n");

    const child_result killed = run_child({"sh", {"-c", "kill -9 $$"}, {}, "", "", ""});
    EXPECT_EQ(killed.status, 128 + 9);
    EXPECT_FALSE(killed.timed_out);
    const child_result hung = run_child({"sleep", {"30"}, {}, "", "", "", 1});
    EXPECT_TRUE(hung.timed_out);
    EXPECT_EQ(hung.status, 128 + 9);
    const child_result missing = run_child({"/nonexistent/bench", {}, {}, "", "", ""});
    EXPECT_FALSE(missing.started);
    EXPECT_NE(missing.error.find("cannot start /nonexistent/bench"), std::string::npos) << missing.error;
    std::remove(out.c_str());
    rmdir(folder);
}

TEST(child_process, assignments_are_checked) {
    struct row {
        const char* text;
        bool ok;
        std::vector<std::string> assignments;
    };
    const row table[] = {
        {"", true, {}},
        {"GALLIUM_DRIVER=softpipe  LP_NUM_THREADS=1", true, {"GALLIUM_DRIVER=softpipe", "LP_NUM_THREADS=1"}},
        {"A=", true, {"A="}},
        {"GALLIUM_DRIVER", false, {}},
        {"1X=2", false, {}},
        {"=3", false, {}},
    };
    for (const row& r : table) {
        std::vector<std::string> assignments;
        std::string error;
        EXPECT_EQ(parse_assignments(r.text, assignments, error), r.ok) << r.text;
        if (r.ok)
            EXPECT_EQ(assignments, r.assignments) << r.text;
        else
            EXPECT_FALSE(error.empty());
    }
}
