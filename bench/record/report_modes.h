// How an A/B run fills the result record from its rounds. No GL here.
#pragma once

#include "stats/ab_statistics.h"
#include "record/provenance.h"
#include "record/report_model.h"

#include <string>
#include <vector>

namespace tarnwick::bench {

// One scene of an A/B run and every round it took.
struct ab_scene_rounds {
    std::string label;
    std::vector<ab_round> rounds;
};

// The A/B run's report: A and B as origins; per scene the comparison of B's frame time with A's (the ratio
// with its 95% interval over the rounds, the verdict against threshold_percent, every round's medians) and,
// with fail_slower >= 0, its "slower-than" check.
report_model ab_report(const provenance& a, const provenance& b, const std::vector<ab_scene_rounds>& scenes,
                       double threshold_percent, double fail_slower, const std::string& command_line);

} // namespace tarnwick::bench
