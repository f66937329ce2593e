// The console's writers over the record: the reference lines, --compare's table and the --fail-slower
// gate's closing lines. No GL here.
#pragma once

#include "images/reference_check.h"
#include "record/report_model.h"

#include <ostream>
#include <string>

namespace tarnwick::bench {

// What a reference check found, for the page and JUnit: "N of M pixels differ (S%), largest difference D",
// "FAIL, no readable FILE (...)", "wrote FILE"...; a match has no "ok" at the end, the verdict says it.
std::string reference_message(const reference_outcome& o);
// The console's line: "reference LABEL: " and the message, and ": ok" after a match.
std::string reference_line(const std::string& label, const reference_outcome& o);

// A counted run's line: "LABEL: N M instructions per frame (program P M, GL driver G M, other O M)".
std::string count_line(const std::string& label, const instruction_count& c);

// --compare's output: what differs in where the files were measured, a row per compared scene (mean FPS and
// spread of each side, ratio, verdict), the scenes in one file only, then the gate's lines.
void print_comparison(const report_model& model, std::ostream& out);

// Under --fail-slower, the scenes its "slower-than" and "compare" checks failed, a line per reason; nothing
// without them.
void print_gate(const report_model& model, std::ostream& out);

} // namespace tarnwick::bench
