// junit.xml for CI (GitLab, Jenkins, GitHub): a test suite per origin, a test case per scene and per check,
// failures with their message and the path of their diff picture. No GL here.
#pragma once

#include "record/report_model.h"

#include <string>

namespace tarnwick::bench {

// The model as junit.xml's text; picture paths are given under report_dir, as the bench was told it.
std::string report_junit(const report_model& model, const std::string& report_dir);

} // namespace tarnwick::bench
