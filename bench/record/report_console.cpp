// The console's writers over the record. No GL here.
#include "record/report_console.h"

#include "record/exit_status.h"
#include "record/metric.h"

#include <cstdio>

namespace tarnwick::bench {

namespace {
std::string size_text(int width, int height) { return std::to_string(width) + "x" + std::to_string(height); }

// "N of M pixels differ (S%), largest difference D", and how many more matched only a neighbour.
std::string difference_text(const image_difference& d) {
    char text[200];
    std::snprintf(text, sizeof text, "%ld of %ld pixels differ (%.3f%%), largest difference %d", d.differing,
                  d.pixel_count, d.differing_percent(), d.largest);
    std::string line = text;
    if (d.shifted > 0)
        line += ", " + std::to_string(d.shifted) + " shifted by a pixel";
    if (d.excused > 0)
        line += ", " + std::to_string(d.excused) + " excused as unstable";
    return line;
}

// A file a failure left, or that it could not be written.
std::string left_file(const std::string& file, const std::string& unwritable) {
    return file.empty() ? "cannot write " + unwritable : file;
}

// The gate's words for a comparison's measure: how a slowdown is measured, and why a scene cannot be judged.
struct gate_words {
    const char* slower;
    const char* unjudged;
};

// In the order of report_comparison's figures.
const gate_words measure_words[] = {
    {"beyond noise", "fewer than 2 runs on a side; --repeat 2 or more"},
    {"of A's frame time", "the interval reaches across the threshold; more rounds may settle it"},
    {"of A's instructions per frame", "the interval reaches across the threshold"}};

void add_to(std::string& list, const std::string& name) { list += (list.empty() ? "" : ", ") + name; }

// Millions with two decimals: "12.35 M".
std::string millions(double instructions) { return fixed(instructions / 1e6, 2) + " M"; }

std::string comparison_row(const std::string& label, const fps_comparison& f, verdict v) {
    char line[256];
    std::snprintf(line, sizeof line, "%-*s %9.1f %7.1f %9.1f %7.1f %6.3f  %s%s", label_width, label.c_str(),
                  f.base_fps, f.base_sd, f.new_fps, f.new_sd, f.ratio, verdict_word(v),
                  v == verdict::unknown ? " (needs 2 runs each)" : "");
    return line;
}
} // namespace

std::string reference_message(const reference_outcome& o) {
    switch (o.state) {
    case reference_state::none:
        return "none (the window changes size)";
    case reference_state::matched:
        return difference_text(o.difference);
    case reference_state::differs:
        return difference_text(o.difference) + ": FAIL (" + left_file(o.actual, o.unwritable) + ", " +
               left_file(o.diff, o.unwritable) + ")";
    case reference_state::missing:
        return "FAIL, no readable " + o.file + " (make it with --update-reference " + o.dir + ")";
    case reference_state::wrong_size:
        return "FAIL, the frame is " + size_text(o.frame_width, o.frame_height) + " but " + o.file + " is " +
               size_text(o.file_width, o.file_height) + " (" + left_file(o.actual, o.unwritable) + ")";
    case reference_state::mask_wrong_size:
        return "FAIL, " + o.mask + " is " + size_text(o.file_width, o.file_height) + " but the frame is " +
               size_text(o.frame_width, o.frame_height);
    case reference_state::written:
        return "wrote " + o.file +
               (o.mask.empty() ? ""
                               : " and " + o.mask + " (" + std::to_string(o.unstable) + " unstable pixels)");
    case reference_state::cannot_write:
        break;
    }
    return "cannot write " + o.unwritable;
}

std::string count_line(const std::string& label, const instruction_count& c) {
    return label + ": " + millions(c.per_frame) + " instructions per frame (program " + millions(c.program) +
           ", GL driver " + millions(c.gl_driver) + ", other " + millions(c.other) + ")";
}

std::string reference_line(const std::string& label, const reference_outcome& o) {
    return "reference " + label + ": " + reference_message(o) +
           (o.state == reference_state::matched ? ": ok" : "");
}

void print_comparison(const report_model& model, std::ostream& out) {
    const std::string& base_name = model.origins.at(0).name;
    const std::string& new_name = model.origins.at(1).name;
    out << "comparing " << base_name << " (base) with " << new_name
        << ": mean FPS over the runs with their standard deviation (sd);\n"
           "the verdict is Welch's t-test, two-sided, at 95%\n";
    const metric* measure = find_metric(model.metric);
    if (measure && measure != &metrics[0])
        out << "FPS here: " << measure->compared << " (--metric " << measure->word << ")\n";
    for (const std::string& line :
         describe_differences(model.origins[0].where, model.origins[1].where, base_name, new_name))
        out << line << "\n";
    char header[256];
    std::snprintf(header, sizeof header, "%-*s %9s %7s %9s %7s %6s  %s", label_width, "scene", "base FPS",
                  "sd", "new FPS", "sd", "ratio", "verdict");
    out << header << "\n";
    std::string only[2];
    for (const report_scene& s : model.scenes) {
        if (s.comparison)
            out << comparison_row(s.label, std::get<fps_comparison>(s.comparison->figures),
                                  s.comparison->verdict)
                << "\n";
        for (const report_check& c : s.checks) {
            if (c.name == "compare")
                add_to(only[c.origin == 0 ? 0 : 1], s.label);
        }
    }
    for (int side = 0; side < 2; ++side) {
        if (!only[side].empty())
            out << "only in " << model.origins[size_t(side)].name << ": " << only[side] << "\n";
    }
    print_gate(model, out);
}

void print_gate(const report_model& model, std::ostream& out) {
    std::string too_slow, unjudged, one_side;
    double allowed = 0.0;
    const report_comparison* any = nullptr;
    for (const report_scene& s : model.scenes) {
        any = s.comparison ? &*s.comparison : any;
        for (const report_check& c : s.checks) {
            if (!c.failed)
                continue;
            if (c.name == "compare")
                add_to(one_side, s.label);
            else if (status_of(c) == exit_status::too_slow)
                add_to(too_slow, s.label);
            else if (c.name == "slower-than")
                add_to(unjudged, s.label);
            allowed = c.figure("allowed_slowdown_percent", allowed);
        }
    }
    const gate_words words = measure_words[any ? any->figures.index() : 0];
    if (!too_slow.empty())
        out << "slower by more than " << allowed << "% " << words.slower << ": " << too_slow << "\n";
    if (!unjudged.empty())
        out << "cannot judge with --fail-slower (" << words.unjudged << "): " << unjudged << "\n";
    if (!one_side.empty())
        out << "cannot judge with --fail-slower (in one file only): " << one_side << "\n";
    for (const report_check& c : model.checks) {
        if (c.failed && c.name == "compare")
            out << "cannot judge with --fail-slower: " << c.message << "\n";
    }
}

} // namespace tarnwick::bench
