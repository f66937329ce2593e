// Instruction counts of measured frames and two sides' counts judged against each other. No GL here.
#include "stats/instruction_counts.h"

#include <algorithm>
#include <filesystem>
#include <numeric>

namespace tarnwick::bench {

namespace {
double mean_of(const std::vector<double>& v) {
    return std::accumulate(v.begin(), v.end(), 0.0) / double(v.size());
}

double spread_of(const std::vector<double>& v) {
    const auto [low, high] = std::minmax_element(v.begin(), v.end());
    return (*high - *low) / mean_of(v);
}
} // namespace

instruction_count count_of(const callgrind_profile& dump, int frames, const std::string& program_object) {
    const origin_split split = split_by_origin(dump, program_object);
    const double n = double(std::max(frames, 1));
    return {frames, double(dump.total_ir) / n, double(split.program) / n, double(split.gl_driver) / n,
            double(split.other) / n};
}

bool find_labelled_dump(const std::string& folder, const std::string& prefix, const std::string& label,
                        callgrind_profile& dump, std::string& error) {
    std::error_code failed;
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder, failed)) {
        if (entry.path().filename().string().rfind(prefix, 0) == 0)
            files.push_back(entry.path().string());
    }
    // Dumps come in the order callgrind numbered them (".9" before ".10"); the last one of a label wins.
    std::sort(files.begin(), files.end(), [](const std::string& a, const std::string& b) {
        return a.size() != b.size() ? a.size() < b.size() : a < b;
    });
    bool found = false;
    for (const std::string& file : files) {
        std::vector<callgrind_profile> parts;
        if (!read_callgrind_file(file, parts, error))
            return false;
        for (const callgrind_profile& part : parts) {
            if (part.label == label) {
                dump = part;
                found = true;
            }
        }
    }
    if (!found)
        error = "no callgrind dump labelled '" + label + "' in " + folder;
    return found;
}

count_estimate estimate_counts(const std::vector<double>& base, const std::vector<double>& fresh,
                               double agreement) {
    count_estimate e;
    if (base.empty() || fresh.empty())
        return e;
    e.base = mean_of(base);
    e.fresh = mean_of(fresh);
    e.ratio = e.low = e.high = e.fresh / e.base;
    if (base.size() < 2 || fresh.size() < 2)
        return e;
    e.spread = std::max(spread_of(base), spread_of(fresh));
    e.disagree = e.spread > agreement;
    const double widening = 1.0 + std::max(agreement, e.spread);
    e.low = e.ratio / widening;
    e.high = e.ratio * widening;
    e.has_interval = true;
    return e;
}

verdict judge_counts(const count_estimate& e, double threshold) {
    ratio_estimate r;
    r.ratio = e.ratio;
    r.low = e.low;
    r.high = e.high;
    r.has_interval = e.has_interval;
    return judge(r, threshold);
}

} // namespace tarnwick::bench
