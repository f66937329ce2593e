// The report's folder: index.html, report.json and junit.xml, and the pictures of its reference checks in
// images/. No GL here.
#pragma once

#include "images/image_compare.h"
#include "record/report_model.h"

#include <filesystem>
#include <ostream>
#include <string>

namespace tarnwick::bench {

// Says on standard error that file cannot be written and why (errno); false.
bool cannot_write(const std::string& file);
// Writes text as file; false, after saying so and why on standard error, when it cannot be written.
bool write_text(const std::filesystem::path& file, const std::string& text);

// Makes dir when missing and writes and removes a file in it: what stands in the way ("cannot write
// DIR/: Permission denied"), or an empty text. Run before the work, so that a bench does not find out at
// its end that its outputs have nowhere to go.
std::string folder_problem(const std::string& dir);

// Puts a reference check's pictures into dir/images: a copy of the reference file (when not empty), the
// frame and the diff (when not null) as PNG files. Returns their paths relative to dir; one that could
// not be written stays empty.
report_pictures keep_pictures(const std::string& dir, const std::string& label,
                              const std::string& reference_file, const rgb_image* actual,
                              const rgb_image* diff);

// Copies file into dir as relative (its folders made); false, after saying so on standard error, when it
// cannot be.
bool keep_file(const std::string& dir, const std::string& file, const std::string& relative);

// Writes the three files into dir, made when missing, and says where the page is on out ("report:
// DIR/index.html"); false, after saying which file and why on standard error, when one could not be
// written.
bool write_report(const std::string& dir, const report_model& model, std::ostream& out);

} // namespace tarnwick::bench
