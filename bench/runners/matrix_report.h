// The driver matrix's result record: an origin per driver with its own run's record merged in, and the
// drivers' and planted faults' checks. No GL here.
#pragma once

#include "record/report_model.h"
#include "runners/driver_matrix.h"

#include <string>
#include <vector>

namespace tarnwick::bench {

// The driver matrix's report: an origin per driver with the report its own run wrote merged in
// (driver_reports[i], picture paths already relative to the matrix's report; a model without origins where
// there is none, and then its scenes' reference verdicts come from the matrix), a "driver" check per driver
// (ran; skipped, with the reason; failed), and a check "fault NAME" per planted fault and driver with the
// pictures fault_pictures[fault][driver]. A reference picture is kept once per scene.
report_model matrix_report(const driver_matrix& matrix, const std::vector<report_model>& driver_reports,
                           const std::vector<std::vector<report_pictures>>& fault_pictures,
                           const std::string& command_line);

} // namespace tarnwick::bench
