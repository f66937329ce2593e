// Callgrind's output files read as profiles: each dump's trigger, its instruction count (event Ir) and the
// self cost of every function, split by where the code ran, and the functions that changed most between two
// profiles. No GL here.
#pragma once

#include <cstdint>
#include <istream>
#include <string>
#include <vector>

namespace tarnwick::bench {

struct function_cost {
    // The ELF object (ob=), "???" where callgrind knows none (code made at run time).
    std::string object;
    std::string function;
    uint64_t self_ir = 0;
};

// One part of a callgrind file: one dump.
struct callgrind_profile {
    std::string command;
    // part:, 0 where the file gives none.
    int part = 0;
    // What made the dump ("Client Request: scene default", "Program termination").
    std::string trigger;
    // The label of a client request's dump (CALLGRIND_DUMP_STATS_AT), empty for other dumps.
    std::string label;
    // totals:, else summary:, else the sum of the self costs.
    uint64_t total_ir = 0;
    // One entry per object and function name (fn= blocks of one function add up), highest self cost
    // first. A call's inclusive cost is not the caller's self cost and counts nowhere.
    std::vector<function_cost> functions;
};

// Reads every part of a callgrind file's text, in callgrind's documented format: name compression ("(N)
// name", "(N)"), relative subpositions ("+N", "-N", "*"), hexadecimal numbers. False, with the line and
// the reason in error, for text that is not in that format or has no Ir event.
bool parse_callgrind(std::istream& in, std::vector<callgrind_profile>& parts, std::string& error);
bool read_callgrind_file(const std::string& path, std::vector<callgrind_profile>& parts, std::string& error);

// Self costs by where code ran. program: the bench's own executable (our code is linked into it statically).
// gl_driver: Mesa's objects (*_dri.so, libgallium*, libGLX_mesa, libEGL_mesa, libglapi), the GL and EGL
// dispatch libraries of glvnd, libLLVM (llvmpipe's shader compiler) and code without an object ("???"), which
// in our runs is the shaders llvmpipe compiled at run time. other: the rest (C and C++ runtimes, Allegro,
// ...).
struct origin_split {
    uint64_t program = 0;
    uint64_t gl_driver = 0;
    uint64_t other = 0;
};
// The self costs summed by origin. An empty program_object stands for the first word of the profile's
// command.
origin_split split_by_origin(const callgrind_profile& profile, const std::string& program_object = "");

struct function_change {
    std::string object;
    std::string function;
    uint64_t a_ir = 0;
    uint64_t b_ir = 0;
    int64_t change = 0;
};
// "Where the change went": the n functions whose self cost changed most from a to b, either way, largest
// change first (ties in object and function order); a function missing from one side counts 0 there, and
// unchanged functions are left out. Code without an object ("???") is one entry, "(code made at run time)":
// its functions are named by addresses that differ from run to run.
std::vector<function_change> top_changes(const callgrind_profile& a, const callgrind_profile& b, size_t n);

} // namespace tarnwick::bench
