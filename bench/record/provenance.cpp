// Where a bench number came from: the driver, the machine, the environment that picks the driver, the build
// and the date. No GL.
#include "record/provenance.h"

#include <algorithm>
#include <ctime>
#include <fstream>
#include <iterator>
#include <sys/utsname.h>
#include <unistd.h>

namespace tarnwick::bench {

namespace {
// The members in their column order, for the table-driven conversions below.
struct field {
    const char* name;
    std::string provenance::*member;
};
const field fields[] = {
    {"renderer", &provenance::renderer},
    {"gl_version", &provenance::gl_version},
    {"cpu", &provenance::cpu},
    {"kernel", &provenance::kernel},
    {"driver_env", &provenance::driver_env},
    {"build", &provenance::build},
    {"date", &provenance::date},
    {"frame_end", &provenance::frame_end},
    {"swap_interval", &provenance::swap_interval},
    {"counting", &provenance::counting},
};
// The run's settings came later than the other fields: they are the results files' last columns.
constexpr size_t leading_fields = 7;

bool chooses_driver(const std::string& assignment) {
    const std::string name = assignment.substr(0, assignment.find('='));
    return name == "GALLIUM_DRIVER" || name == "LP_NUM_THREADS" || name.compare(0, 5, "MESA_") == 0 ||
           name.compare(0, 6, "LIBGL_") == 0;
}

// The date differs between any two runs; it says when, not under what.
bool differs(const provenance& a, const provenance& b, const field& f) {
    return a.*f.member != b.*f.member && std::string(f.name) != "date";
}

std::vector<std::pair<std::string, std::string>> named_fields(const provenance& p, size_t from, size_t to) {
    std::vector<std::pair<std::string, std::string>> named;
    for (size_t i = from; i < to; ++i)
        named.emplace_back(fields[i].name, p.*fields[i].member);
    return named;
}

std::string cpu_model() {
    std::ifstream info("/proc/cpuinfo");
    std::string line;
    while (std::getline(info, line)) {
        if (line.compare(0, 10, "model name") != 0)
            continue;
        const size_t colon = line.find(':');
        return colon == std::string::npos ? std::string()
                                          : line.substr(line.find_first_not_of(" \t", colon + 1));
    }
    return "unknown";
}

std::string kernel_release() {
    utsname name{};
    return uname(&name) == 0 ? std::string(name.sysname) + " " + name.release : "unknown";
}

std::string utc_now() {
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
    gmtime_r(&now, &parts);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &parts);
    return text;
}
} // namespace

std::string driver_environment(const char* const* environ_list) {
    std::vector<std::string> chosen;
    for (const char* const* e = environ_list; e && *e; ++e) {
        if (chooses_driver(*e))
            chosen.emplace_back(*e);
    }
    std::sort(chosen.begin(), chosen.end());
    std::string text;
    for (const std::string& assignment : chosen)
        text += (text.empty() ? "" : " ") + assignment;
    return text;
}

provenance gather_provenance(const std::string& renderer, const std::string& gl_version) {
    return provenance{
        renderer,          gl_version, cpu_model(), kernel_release(), driver_environment(environ),
        tarnwick_build_id, utc_now()};
}

std::vector<std::pair<std::string, std::string>> provenance_fields(const provenance& p) {
    return named_fields(p, 0, leading_fields);
}

std::vector<std::pair<std::string, std::string>> run_setting_fields(const provenance& p) {
    return named_fields(p, leading_fields, std::size(fields));
}

provenance provenance_from(const std::vector<std::pair<std::string, std::string>>& named_fields) {
    provenance p;
    for (const auto& [name, value] : named_fields) {
        for (const field& f : fields) {
            if (name == f.name)
                p.*f.member = value;
        }
    }
    return p;
}

std::vector<std::string> provenance_differences(const provenance& a, const provenance& b) {
    std::vector<std::string> names;
    for (const field& f : fields) {
        if (differs(a, b, f))
            names.emplace_back(f.name);
    }
    return names;
}

std::vector<std::string> describe_differences(const provenance& a, const provenance& b,
                                              const std::string& a_name, const std::string& b_name) {
    const auto shown = [](const std::string& value) {
        return value.empty() ? std::string("(none)") : "'" + value + "'";
    };
    std::vector<std::string> lines;
    for (const field& f : fields) {
        if (differs(a, b, f))
            lines.push_back("  " + std::string(f.name) + ": " + shown(a.*f.member) + " in " + a_name + ", " +
                            shown(b.*f.member) + " in " + b_name);
    }
    if (!lines.empty())
        lines.insert(lines.begin(), a_name + " and " + b_name + " were measured under different conditions:");
    return lines;
}

} // namespace tarnwick::bench
