// Where a bench number came from: the driver, the machine, the environment that picks the driver, the build
// and the date. Every results row carries it. No GL: the caller passes the driver's own strings.
#pragma once

#include <string>
#include <utility>
#include <vector>

// The build's git describe, written by the build (outside the namespace: generated code defines it).
extern const char* const tarnwick_build_id;

namespace tarnwick::bench {

struct provenance {
    std::string renderer;
    std::string gl_version;
    // The first "model name" of /proc/cpuinfo.
    std::string cpu;
    // uname's system name and release, e.g. "Linux 6.1.0-18-amd64".
    std::string kernel;
    // GALLIUM_DRIVER, LP_NUM_THREADS, MESA_* and LIBGL_* as "K=V" words, sorted by name.
    std::string driver_env;
    // git describe of the build's source tree ("unknown" outside a checkout).
    std::string build;
    // When the run started, ISO 8601 in UTC.
    std::string date;
    // How each frame ended (--frame-end's word), and the swap interval a window was asked for ("0" or "1";
    // empty: the driver's own, as always headless). Empty in a results file from before they were kept.
    std::string frame_end{};
    std::string swap_interval{};
    // How instructions were counted (the tool, the fixed time step and the seed); empty: not counted.
    std::string counting{};
};

// The variables of environ (as "K=V" texts) that choose or tune the GL driver, sorted, joined by blanks.
std::string driver_environment(const char* const* environ_list);
// This process's provenance with the driver's GL_RENDERER and GL_VERSION strings.
provenance gather_provenance(const std::string& renderer, const std::string& gl_version);
// The CSV column names and values, in the order the results files carry them (after the measurements).
std::vector<std::pair<std::string, std::string>> provenance_fields(const provenance& p);
// The run's settings that results files carry last (frame_end, swap_interval), after the late measurements.
std::vector<std::pair<std::string, std::string>> run_setting_fields(const provenance& p);
// The same fields read back from a row; absent names stay empty.
provenance provenance_from(const std::vector<std::pair<std::string, std::string>>& named_fields);
// The names of the fields in which a and b differ, e.g. {"renderer", "driver_env"}.
std::vector<std::string> provenance_differences(const provenance& a, const provenance& b);
// Lines for the user naming what differs between a (from a_name) and b, each field with both values; none
// when nothing but the date differs.
std::vector<std::string> describe_differences(const provenance& a, const provenance& b,
                                              const std::string& a_name, const std::string& b_name);
} // namespace tarnwick::bench
