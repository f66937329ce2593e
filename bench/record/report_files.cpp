// The report's folder: its three files and the pictures of its reference checks. No GL here.
#include "record/report_files.h"

#include "images/reference_check.h"
#include "record/report_html.h"
#include "record/report_json.h"
#include "record/report_junit.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>

namespace tarnwick::bench {

namespace fs = std::filesystem;

constexpr char images[] = "images";

bool cannot_write(const std::string& file) {
    std::cerr << "tarnwick-bench: cannot write " << file << ": " << std::strerror(errno) << std::endl;
    return false;
}

bool write_text(const fs::path& file, const std::string& text) {
    errno = 0;
    std::ofstream out(file, std::ios::binary);
    out << text;
    out.close();
    return out ? true : cannot_write(file.string());
}

std::string folder_problem(const std::string& dir) {
    std::error_code failed;
    fs::create_directories(dir, failed);
    const fs::path probe = fs::path(dir) / ".tarnwick-bench-probe";
    errno = 0;
    const bool written = !failed && bool(std::ofstream(probe) << "");
    const std::string reason = failed ? failed.message() : std::strerror(errno);
    fs::remove(probe, failed);
    return written ? std::string() : "cannot write " + (fs::path(dir) / "").string() + ": " + reason;
}

report_pictures keep_pictures(const std::string& dir, const std::string& label,
                              const std::string& reference_file, const rgb_image* actual,
                              const rgb_image* diff) {
    report_pictures kept;
    std::error_code failed;
    fs::create_directories(fs::path(dir) / images, failed);
    const auto name = [&label](const char* kind) { return bench::reference_file(images, label, kind); };
    if (!reference_file.empty() && fs::copy_file(reference_file, fs::path(dir) / name("-reference"),
                                                 fs::copy_options::overwrite_existing, failed))
        kept.reference = name("-reference");
    if (actual && write_png((fs::path(dir) / name("-actual")).string(), *actual))
        kept.actual = name("-actual");
    if (diff && write_png((fs::path(dir) / name("-diff")).string(), *diff))
        kept.diff = name("-diff");
    return kept;
}

bool keep_file(const std::string& dir, const std::string& file, const std::string& relative) {
    const fs::path target = fs::path(dir) / relative;
    std::error_code failed;
    fs::create_directories(target.parent_path(), failed);
    fs::copy_file(file, target, fs::copy_options::overwrite_existing, failed);
    if (failed)
        std::cerr << "tarnwick-bench: cannot copy " << file << " to " << target.string() << ": "
                  << failed.message() << std::endl;
    return !failed;
}

bool write_report(const std::string& dir, const report_model& model, std::ostream& out) {
    const std::string problem = folder_problem(dir);
    if (!problem.empty()) {
        std::cerr << "tarnwick-bench: " << problem << std::endl;
        return false;
    }
    const bool page = write_text(fs::path(dir) / "index.html", report_html(model));
    const bool json = write_text(fs::path(dir) / "report.json", report_json(model));
    const bool written = write_text(fs::path(dir) / "junit.xml", report_junit(model, dir)) && page && json;
    if (written)
        out << "report: " << (fs::path(dir) / "index.html").string() << std::endl;
    return written;
}

} // namespace tarnwick::bench
