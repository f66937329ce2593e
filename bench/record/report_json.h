// report.json: the report's facts for machines, numbers as numbers, units in the field names
// (docs/report.schema.json describes it). No GL here.
#pragma once

#include "record/report_model.h"

#include <filesystem>
#include <string>

namespace tarnwick::bench {

// The format's version, raised when a field changes meaning or goes.
constexpr int report_format_version = 1;

// The model as report.json's text, indented.
std::string report_json(const report_model& model);

// Reads report.json's text back into model: its mode, command line, origins, the scenes' runs, comparisons
// and checks, and the checks of no scene. A verdict word it does not know reads as unknown. Returns what is
// wrong, or an empty text.
std::string read_report_json(const std::string& text, report_model& model);
// The same from a report.json file; what is wrong names the file.
std::string read_report(const std::filesystem::path& file, report_model& model);

} // namespace tarnwick::bench
