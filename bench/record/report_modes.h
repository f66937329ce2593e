// How an A/B run fills the result record from the comparisons its session made. No GL here.
#pragma once

#include "record/provenance.h"
#include "record/report_model.h"

#include <string>
#include <vector>

namespace tarnwick::bench {

// One scene of an A/B run and its comparison as the A/B session made it.
struct ab_scene_comparison {
    std::string label;
    report_comparison comparison;
};

// The A/B run's report: A and B as origins; per scene the comparison of B's frame time with A's and, with
// fail_slower >= 0, its "slower-than" check.
report_model ab_report(const provenance& a, const provenance& b,
                       const std::vector<ab_scene_comparison>& scenes, double fail_slower,
                       const std::string& command_line);

} // namespace tarnwick::bench
