// The driver matrix's judgement of its child benches, its CSV files, the options it passes on, and the
// planted faults against today's shaders.
#include "record/csv_fields.h"
#include "record/exit_status.h"
#include "record/report_model.h"
#include "runners/driver_matrix.h"
#include "runners/matrix_report.h"
#include "runners/planted_faults.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

using namespace tarnwick::bench;

namespace {
namespace fs = std::filesystem;

std::string file_text(const fs::path& file) {
    std::ifstream in(file);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// The matrix's exit status, as its runner decides it from the record.
int status_of(const driver_matrix& m) { return int(decide_exit_status(matrix_report(m, {}, {}, ""))); }

// What a child bench hands back: its status and, unless null, a report of two checked scenes (default
// matches its reference, combat differs) and a barrage without one, the default run twice.
bench_child child(int status, bool with_report) {
    bench_child run{{true, status, "", false}, std::nullopt, "report.json: cannot be read"};
    if (!with_report)
        return run;
    report_model r;
    r.add_origin("this run",
                 provenance{"softpipe", "3.3 (Compatibility Profile) Mesa", "", "", "", "", "", ""});
    const auto run_at = [](double fps) {
        return report_run{0, 1, frame_summary{1, fps, 1, 1, 1, 1, 1}, {1}, {}};
    };
    r.scene("default").runs = {run_at(100.0), run_at(110.0)};
    r.scene("combat:enemies=50:shots=100").runs = {run_at(20.0)};
    r.scene("barrage:level=4:enemies=50:cycle=60").runs = {run_at(5.0)};
    r.set_check("default", {"reference", 0, verdict::ok, false, "matches", {}, {}});
    r.set_check("combat:enemies=50:shots=100", {"reference", 0, verdict::fail, true, "differs", {}, {}});
    r.set_check("barrage:level=4:enemies=50:cycle=60", {"shots", 0, verdict::ok, false, "none", {}, {}});
    run.report = r;
    return run;
}

TEST(driver_matrix, a_driver_run_is_judged_by_its_status_and_its_report) {
    struct row {
        int status;
        bool report;
        std::string error;
        driver_state state;
        std::string reason;
    };
    const row table[] = {
        {3, true, "", driver_state::ran, ""},
        {0, true, "", driver_state::ran, ""},
        {6, false, "no headless OpenGL context", driver_state::skipped, "no headless OpenGL context"},
        {6, false, "", driver_state::skipped, "not the renderer asked for (status 6)"},
        {1, false, "Could not init display.", driver_state::failed, "status 1: Could not init display."},
        {137, false, "", driver_state::failed, "status 137"},
        {1, true, "2 GL error(s)", driver_state::failed, "status 1: 2 GL error(s)"},
        {0, false, "", driver_state::failed, "status 0 (no report: report.json: cannot be read)"},
    };
    for (const row& r : table) {
        const driver_outcome d = judge_driver_run("softpipe", child(r.status, r.report), r.error);
        EXPECT_EQ(d.state, r.state) << r.status;
        EXPECT_EQ(d.reason, r.reason) << r.status;
        EXPECT_EQ(d.report.origins.size(), r.report ? 1u : 0u) << r.status;
        EXPECT_EQ(d.scenes.size(), r.report ? 3u : 0u) << r.status;
    }
    const driver_outcome d = judge_driver_run("softpipe", child(3, true), "");
    EXPECT_EQ(d.renderer, "softpipe");
    EXPECT_EQ(d.gl_version, "3.3 (Compatibility Profile) Mesa");
    EXPECT_EQ(d.scenes_ok(), 1);
    EXPECT_EQ(d.scenes_failed(), 1);
    ASSERT_EQ(d.scenes.size(), 3u);
    EXPECT_DOUBLE_EQ(d.scenes[0].mean_fps, 105.0);
    EXPECT_FALSE(d.scenes[2].checked);
}

TEST(driver_matrix, a_fault_is_caught_only_when_every_scene_of_it_fails) {
    const std::vector<std::string> combat = {"combat:enemies=50:shots=100"};
    const std::vector<std::string> both = {"default", "combat:enemies=50:shots=100"};
    const std::vector<std::string> unmeasured = {"blur"};
    struct row {
        int status;
        bool report;
        const std::vector<std::string>& labels;
        verdict expected;
    };
    const row table[] = {
        {3, true, combat, verdict::caught},     {3, true, both, verdict::missed},
        {3, true, unmeasured, verdict::missed}, {0, true, combat, verdict::missed},
        {6, false, combat, verdict::skipped},   {1, true, combat, verdict::error},
        {3, false, combat, verdict::error},
    };
    for (const row& r : table)
        EXPECT_EQ(judge_fault_run(child(r.status, r.report), r.labels), r.expected) << &r - table;
    EXPECT_EQ(fault_labels("dissolve-threshold-inverted"), combat);
}

TEST(driver_matrix, status_and_csv_files) {
    driver_matrix m;
    m.drivers.push_back({"llvmpipe",
                         driver_state::ran,
                         "",
                         "llvmpipe (LLVM 15, 256 bits)",
                         "4.5",
                         {{"blur", true, true, 50.25}}});
    m.drivers.push_back({"zink", driver_state::skipped, "Could not init display.", "", "", {}});
    m.faults.push_back({"backdrop-v-flipped", {verdict::caught, verdict::skipped}});
    EXPECT_EQ(status_of(m), 0);
    std::ostringstream drivers, faults;
    write_drivers_csv(m, drivers);
    write_faults_csv(m, faults);
    std::istringstream lines(drivers.str());
    std::string line;
    std::vector<std::vector<std::string>> rows;
    while (std::getline(lines, line))
        rows.push_back(csv_split(line));
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[1], (std::vector<std::string>{"llvmpipe", "ran", "", "llvmpipe (LLVM 15, 256 bits)", "4.5",
                                                 "blur", "ok", "50.2"}));
    EXPECT_EQ(rows[2],
              (std::vector<std::string>{"zink", "skipped", "Could not init display.", "", "", "", "", ""}));
    EXPECT_NE(
        faults.str().find("backdrop-v-flipped,backdrop texture coordinates flipped in v,shaders/texture.vert,"
                          "default,caught,skipped\n"),
        std::string::npos)
        << faults.str();

    // A driver that fails a reference fails the matrix as a missed fault does; an error outranks both.
    m.drivers[0].scenes[0].ok = false;
    EXPECT_EQ(status_of(m), 3);
    m.drivers[0].scenes[0].ok = true;
    m.faults.back().verdicts[0] = verdict::missed;
    EXPECT_EQ(status_of(m), 3);
    m.drivers[1].state = driver_state::failed;
    EXPECT_EQ(status_of(m), 1);
}

TEST(driver_matrix, options_of_the_matrix_stay_behind) {
    const std::vector<std::string> args = {"--drivers",    "out",      "--size=320x240",
                                           "--fault=none", "--driver", "zink",
                                           "--headless",   "--frames", "9"};
    EXPECT_EQ(without_options(args, {"--drivers", "--driver", "--fault"}),
              (std::vector<std::string>{"--size=320x240", "--headless", "--frames", "9"}));
    EXPECT_EQ(
        without_options(args, {"--frames", "--size"}),
        (std::vector<std::string>{"--drivers", "out", "--fault=none", "--driver", "zink", "--headless"}));
}

// Each fault plants into today's shaders (the build directory links them), changes its file only, and
// names scenes the bench knows.
TEST(planted_faults, every_fault_plants_once_into_a_folder_of_its_own) {
    const fs::path folder = fs::temp_directory_path() / ("tarnwick-faults-" + std::to_string(getpid()));
    for (const planted_fault& f : planted_faults()) {
        ASSERT_EQ(prepare_fault_folder(f, ".", folder.string()), "") << f.name;
        const std::string before = file_text(fs::path("shaders") / f.file);
        const std::string after = file_text(folder / "shaders" / f.file);
        EXPECT_NE(after, before) << f.name;
        EXPECT_NE(after.find(f.replacement), std::string::npos) << f.name;
        EXPECT_TRUE(fs::exists(folder / "textures" / "stars.bmp")) << f.name;
        EXPECT_FALSE(fault_labels(f.name).empty()) << f.name;
        std::string unused, error;
        EXPECT_FALSE(plant(f, before + before, unused, error)) << f.name;
        EXPECT_NE(error.find("more than once"), std::string::npos) << error;
        EXPECT_FALSE(plant(f, after, unused, error)) << f.name;
    }
    fs::remove_all(folder);
}
} // namespace
