// How an A/B run and the driver matrix fill the report's model from their plain results. No GL here.
#pragma once

#include "runners/driver_matrix.h"
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

// The driver matrix's report: an origin per driver with the report its own run wrote merged in
// (driver_reports[i], picture paths already relative to the matrix's report; a model without origins where
// there is none, and then its scenes' reference verdicts come from the matrix), a "driver" check per driver
// (ran; skipped, with the reason; failed), and a check "fault NAME" per planted fault and driver with the
// pictures fault_pictures[fault][driver]. A reference picture is kept once per scene.
report_model matrix_report(const driver_matrix& matrix, const std::vector<report_model>& driver_reports,
                           const std::vector<std::vector<report_pictures>>& fault_pictures,
                           const std::string& command_line);

} // namespace tarnwick::bench
