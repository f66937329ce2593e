// Callgrind files read as profiles: synthetic files in its documented format, whose self costs are worked
// out by hand, the split by origin and the functions that changed most.
#include "stats/callgrind_profile.h"

#include <gtest/gtest.h>
#include <sstream>

using namespace tarnwick::bench;

namespace {
// A dump as callgrind writes one for CALLGRIND_DUMP_STATS_AT: compressed names, a call into the driver, the
// driver's function in two blocks with a relative subposition and an inlined file (fe=). Self costs: main
// 20 + 100 = 120 (its calls' 400 and 300 are inclusive, not its own), draw 100, lp_draw 700 + 80 = 780;
// 1000 in all, as totals: says.
const char* const client_dump = R"(# callgrind format
version: 1
creator: callgrind-3.19.0
pid: 42
cmd: /work/build/tarnwick-bench --scene default
part: 1

desc: I1 cache:
desc: Trigger: Client Request: scene default

positions: line
events: Ir
summary: 1000

ob=(1) /work/build/tarnwick-bench
fl=(1) main.cpp
fn=(1) main
16 20
cfl=(2) draw.cpp
cfn=(2) draw
calls=1 50
16 400
fl=(2)
fn=(2)
51 100
cob=(2) /usr/lib/x86_64-linux-gnu/dri/swrast_dri.so
cfi=(3) lp.c
cfn=(3) lp_draw
calls=2 20
+1 300
ob=(2)
fl=(3)
fn=(3)
20 700
fe=(2)
+3 80
ob=(1)
fl=(1)
fn=(1)
* 100
totals: 1000
)";

// Instruction addresses and lines, both relative after the first line, hexadecimal numbers, Ir in the
// second event column: f's Ir is 5 + 3 + 0x10 = 24; run-time code ("???") costs 7. The summary's Ir, 40,
// is callgrind's total, which may be more than the cost lines hold.
const char* const instr_dump = R"(version: 1
cmd: ./probe
positions: instr line
events: Dr Ir
summary: 9 40
ob=/usr/bin/probe
fn=f
0x401000 10 2 5
+4 * 1 3
-2 -1 0 0x10
ob=(9) ???
fn=(4) 0x000000000fe12345
0x4fe12345 0 1 7
)";

// Two dumps in one file (--combine-dumps=yes): the second part reuses the first part's names; a jump's
// source position line carries no cost.
const char* const combined_dumps = R"(version: 1
cmd: ./probe
part: 1
desc: Trigger: Client Request: first
events: Ir
fn=(1) alpha
1 10
fn=(2) beta
2 5
jump=3 +4
+1
totals: 15
part: 2
desc: Trigger: Program termination
events: Ir
summary: 40
fn=(2)
2 30
fn=(1)
1 10
totals: 40
)";

// A part per line (number, label, trigger, total), then a line per function (object, name, self cost).
std::string lines_of(const std::vector<callgrind_profile>& parts) {
    std::ostringstream out;
    for (const callgrind_profile& p : parts) {
        out << p.part << " '" << p.label << "' '" << p.trigger << "' " << p.total_ir << "\n";
        for (const function_cost& f : p.functions)
            out << "  " << f.object << " " << f.function << " " << f.self_ir << "\n";
    }
    return out.str();
}

TEST(callgrind_profile, files_read_as_profiles) {
    const struct {
        const char* text;
        const char* parts;
    } table[] = {
        {client_dump, "1 'scene default' 'Client Request: scene default' 1000\n"
                      "  /usr/lib/x86_64-linux-gnu/dri/swrast_dri.so lp_draw 780\n"
                      "  /work/build/tarnwick-bench main 120\n"
                      "  /work/build/tarnwick-bench draw 100\n"},
        {instr_dump, "0 '' '' 40\n  /usr/bin/probe f 24\n  ??? 0x000000000fe12345 7\n"},
        {combined_dumps, "1 'first' 'Client Request: first' 15\n  ??? alpha 10\n  ??? beta 5\n"
                         "2 '' 'Program termination' 40\n  ??? beta 30\n  ??? alpha 10\n"},
    };
    for (const auto& row : table) {
        std::istringstream in(row.text);
        std::vector<callgrind_profile> parts;
        std::string error;
        ASSERT_TRUE(parse_callgrind(in, parts, error)) << error;
        EXPECT_EQ(lines_of(parts), row.parts);
    }
}

TEST(callgrind_profile, malformed_files_say_which_line) {
    const struct {
        const char* text;
        const char* error;
    } table[] = {
        {"events: Ir\nfn=(3)\n1 2\n", "line 2: compressed name (3) used before it was defined"},
        {"version: 1\n1 2\n", "line 2: cost line before events:"},
        {"events: Dr Dw\n", "line 1: no Ir event in \"events: Dr Dw\""},
        {"events: Ir\nfn=f\n10 +5\n", "line 3: bad cost line \"10 +5\""},
        {"positions: instr line\nevents: Ir\nfn=f\n0x10 x 4\n", "line 4: bad cost line \"0x10 x 4\""},
        {"fn=f\nevents: Ir\n", "line 1: fn= before any header"},
    };
    for (const auto& row : table) {
        std::istringstream in(row.text);
        std::vector<callgrind_profile> parts;
        std::string error;
        EXPECT_FALSE(parse_callgrind(in, parts, error)) << row.text;
        EXPECT_EQ(error, row.error);
    }
}

callgrind_profile profile(const std::string& command, std::vector<function_cost> functions) {
    callgrind_profile p;
    p.command = command;
    p.functions = std::move(functions);
    return p;
}

TEST(callgrind_profile, costs_split_by_where_they_ran) {
    const callgrind_profile p =
        profile("/work/build/tarnwick-bench --headless",
                {{"/work/build/tarnwick-bench", "update_world", 100},
                 {"/usr/lib/x86_64-linux-gnu/dri/swrast_dri.so", "lp_rast", 1000},
                 {"/usr/lib/x86_64-linux-gnu/libgallium-22.3.6.so", "llvmpipe_draw", 200},
                 {"???", "0x000000000fe12345", 5000},
                 {"/usr/lib/x86_64-linux-gnu/libc.so.6", "memcpy", 70},
                 {"/tmp/other/tarnwick-bench-old", "update_world", 9}});
    const origin_split split = split_by_origin(p);
    EXPECT_EQ(split.program, 100u);
    EXPECT_EQ(split.gl_driver, 1000u + 200u + 5000u);
    EXPECT_EQ(split.other, 70u + 9u);
    // Another program object named by the caller: the bench's own code is then somebody else's.
    const origin_split named = split_by_origin(p, "./tarnwick-bench-old");
    EXPECT_EQ(named.program, 9u);
    EXPECT_EQ(named.other, 70u + 100u);
}

TEST(callgrind_profile, top_changes_list_where_the_change_went) {
    // The run-time code moved (0x100 to 0x200) and grew by 20 in all.
    const callgrind_profile a = profile("a", {{"x", "same", 500},
                                              {"x", "grew", 50},
                                              {"y", "gone", 10},
                                              {"???", "0x100", 300},
                                              {"???", "0x180", 5}});
    const callgrind_profile b = profile("b", {{"x", "same", 500},
                                              {"x", "grew", 80},
                                              {"z", "new", 40},
                                              {"???", "0x200", 320},
                                              {"???", "0x280", 5}});
    std::ostringstream all;
    for (const function_change& c : top_changes(a, b, 10))
        all << c.object << " " << c.function << " " << c.a_ir << " " << c.b_ir << " " << c.change << "\n";
    EXPECT_EQ(all.str(),
              "z new 0 40 40\nx grew 50 80 30\n??? (code made at run time) 305 325 20\ny gone 10 0 -10\n");
    EXPECT_EQ(top_changes(a, b, 2).size(), 2u);
    EXPECT_EQ(top_changes(b, a, 1).front().change, -40);
}
} // namespace
