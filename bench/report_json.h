// report.json: the report's facts for machines, numbers as numbers, units in the field names
// (docs/report.schema.json describes it). No GL here.
#pragma once

#include "report_model.h"

#include <string>

// The format's version, raised when a field changes meaning or goes.
constexpr int report_format_version = 1;

// The model as report.json's text, indented.
std::string report_json(const report_model& model);
