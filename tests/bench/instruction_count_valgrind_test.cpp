// Instruction counts of real GL frames: the probe runs twice under callgrind, its labelled dumps read back
// as profiles give the same count within 0.1%, and nothing is counted outside begin..end.
#include "runners/child_process.h"
#include "stats/callgrind_profile.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace tarnwick::bench;

namespace {
// Every part of every callgrind file in folder (callgrind.out, callgrind.out.1, ...).
std::vector<callgrind_profile> read_dumps(const std::filesystem::path& folder) {
    std::vector<callgrind_profile> all;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.path().filename().string().rfind("callgrind.out", 0) != 0)
            continue;
        std::vector<callgrind_profile> parts;
        std::string error;
        EXPECT_TRUE(read_callgrind_file(entry.path().string(), parts, error)) << error;
        all.insert(all.end(), parts.begin(), parts.end());
    }
    return all;
}

// The probe's labelled dump from one run under callgrind, in a folder of its own.
callgrind_profile count_probe(const std::filesystem::path& folder) {
    std::filesystem::create_directories(folder);
    child_request request;
    request.program = "valgrind";
    // Uninstrumented until begin: start-up and shader compilation run several times faster.
    request.arguments = {"--tool=callgrind",
                         "--instr-atstart=no",
                         "--collect-atstart=no",
                         "--dump-instr=no",
                         "--callgrind-out-file=" + (folder / "callgrind.out").string(),
                         TARNWICK_CALLGRIND_PROBE};
    // One thread and no shader cache: llvmpipe then does the same work in every run.
    request.environment = {"LP_NUM_THREADS=0", "MESA_SHADER_CACHE_DISABLE=true"};
    request.output_file = (folder / "probe.out").string();
    request.error_file = (folder / "valgrind.log").string();
    request.time_limit_seconds = 240;
    const child_result result = run_child(request);
    EXPECT_TRUE(result.started) << result.error;
    EXPECT_EQ(result.status, 0) << "see " << request.error_file;
    callgrind_profile labelled;
    int labelled_dumps = 0;
    for (const callgrind_profile& part : read_dumps(folder)) {
        if (part.label == "probe frames") {
            labelled = part;
            ++labelled_dumps;
        } else {
            // Collection is off outside begin..end, so the dump at the program's end is empty.
            EXPECT_EQ(part.total_ir, 0u) << part.trigger;
        }
    }
    EXPECT_EQ(labelled_dumps, 1);
    return labelled;
}

TEST(instruction_count, two_runs_count_the_same_frames) {
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("tarnwick-callgrind-" + std::to_string(getpid()));
    const callgrind_profile first = count_probe(folder / "first");
    const callgrind_profile second = count_probe(folder / "second");
    for (const callgrind_profile* p : {&first, &second}) {
        uint64_t self_sum = 0;
        for (const function_cost& f : p->functions)
            self_sum += f.self_ir;
        // Self costs add up to callgrind's own total: no call's inclusive cost counted twice, none missing.
        EXPECT_EQ(self_sum, p->total_ir);
        const origin_split split = split_by_origin(*p);
        std::printf(
            "instructions: %llu (program %llu, GL driver %llu, other %llu)\n",
            static_cast<unsigned long long>(p->total_ir), static_cast<unsigned long long>(split.program),
            static_cast<unsigned long long>(split.gl_driver), static_cast<unsigned long long>(split.other));
        EXPECT_GT(split.program, 0u);
        EXPECT_GT(split.gl_driver, 0u);
        EXPECT_EQ(split.program + split.gl_driver + split.other, p->total_ir);
    }
    ASSERT_GT(first.total_ir, 0u);
    const double change =
        std::fabs(double(second.total_ir) - double(first.total_ir)) / double(first.total_ir);
    EXPECT_LT(change, 0.001) << first.total_ir << " then " << second.total_ir;
    for (const function_change& c : top_changes(first, second, 5))
        std::printf("changed: %s %s %lld\n", c.object.c_str(), c.function.c_str(),
                    static_cast<long long>(c.change));
    std::filesystem::remove_all(folder);
}
} // namespace
