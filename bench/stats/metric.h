// What a run measures and an A/B comparison judges: --metric's values, in one table. No GL here.
#pragma once

#include <algorithm>
#include <iterator>
#include <string>

namespace tarnwick::bench {

enum class metric { frame, instructions };

struct metric_name {
    bench::metric metric;
    const char* word;
    const char* help;
};

constexpr metric_name metric_names[] = {
    {metric::frame, "frame", "wall time per frame (the default)"},
    {metric::instructions, "instructions", "instructions per measured frame (callgrind)"},
};

// The table's row of a word; nullptr for a word it does not have.
inline const metric_name* find_metric(const std::string& word) {
    const auto it = std::find_if(std::begin(metric_names), std::end(metric_names),
                                 [&word](const metric_name& m) { return word == m.word; });
    return it == std::end(metric_names) ? nullptr : &*it;
}

} // namespace tarnwick::bench
