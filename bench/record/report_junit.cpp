// junit.xml through pugixml, which escapes the texts. No GL here.
#include "record/report_junit.h"

#include "stats/frame_summary.h"

#include <cstdio>
#include <numeric>
#include <pugixml.hpp>
#include <sstream>

namespace tarnwick::bench {

namespace {
const char* const suite_name = "tarnwick-bench";

// The counters a suite and the whole file carry.
struct suite_counts {
    int tests = 0, failures = 0, skipped = 0;
    double seconds = 0.0;
    void set_on(pugi::xml_node node) const {
        node.append_attribute("tests") = tests;
        node.append_attribute("failures") = failures;
        node.append_attribute("errors") = 0;
        node.append_attribute("skipped") = skipped;
        node.append_attribute("time") = fixed(seconds, 3).c_str();
    }
};

std::string joined(const std::string& dir, const std::string& file) {
    return dir.empty() || dir.back() == '/' ? dir + file : dir + "/" + file;
}

pugi::xml_node add_case(pugi::xml_node suite, const std::string& scene, const std::string& name,
                        double seconds, suite_counts& count) {
    pugi::xml_node test = suite.append_child("testcase");
    test.append_attribute("classname") =
        (scene.empty() ? suite_name : std::string(suite_name) + "." + scene).c_str();
    test.append_attribute("name") = name.c_str();
    test.append_attribute("time") = fixed(seconds, 3).c_str();
    ++count.tests;
    count.seconds += seconds;
    return test;
}

// A check as a test case: a failure names its diff picture, which GitLab and Jenkins also attach.
void add_check(pugi::xml_node suite, const std::string& scene, const report_check& c, const std::string& dir,
               suite_counts& count) {
    pugi::xml_node test = add_case(suite, scene, c.name, 0.0, count);
    const bool cannot_judge = !judged(c.verdict);
    if (c.failed) {
        ++count.failures;
        pugi::xml_node failure = test.append_child("failure");
        failure.append_attribute("message") = c.message.c_str();
        failure.append_attribute("type") = verdict_word(c.verdict);
        std::string text = c.message;
        if (!c.pictures.diff.empty()) {
            text += "\ndiff: " + joined(dir, c.pictures.diff);
            test.append_child("system-out").text() =
                ("[[ATTACHMENT|" + joined(dir, c.pictures.diff) + "]]").c_str();
        }
        failure.text() = text.c_str();
    } else if (cannot_judge) {
        ++count.skipped;
        test.append_child("skipped").append_attribute("message") = c.message.c_str();
    } else {
        test.append_child("system-out").text() =
            (std::string(verdict_word(c.verdict)) + ": " + c.message).c_str();
    }
}

// A comparison as a test case: FPS against FPS, or the frame-time ratio with its interval over the rounds.
void add_comparison(pugi::xml_node suite, const report_model& model, const report_scene& s,
                    suite_counts& count) {
    const report_comparison& c = *s.comparison;
    const char* base = model.origins[size_t(c.base_origin)].name.c_str();
    const char* fresh = model.origins[size_t(c.new_origin)].name.c_str();
    char text[300];
    const auto* t = std::get_if<frame_time_comparison>(&c.figures);
    const auto* n = std::get_if<count_comparison>(&c.figures);
    if (const auto* f = std::get_if<fps_comparison>(&c.figures))
        std::snprintf(text, sizeof text, "%.1f FPS against %.1f, ratio %.3f", f->new_fps, f->base_fps,
                      f->ratio);
    else if (n)
        std::snprintf(text, sizeof text, "%s's instructions per frame %.4f times %s's", fresh, n->ratio,
                      base);
    else if (t->ratio_interval)
        std::snprintf(text, sizeof text,
                      "%s's frame time %.3f times %s's (95%% interval %.3f to %.3f), %d rounds", fresh,
                      t->ratio, base, t->ratio_interval->first, t->ratio_interval->second, t->rounds);
    else
        std::snprintf(text, sizeof text, "%s's frame time %.3f times %s's, %d round(s)", fresh, t->ratio,
                      base, t->rounds);
    const report_check as_check{
        "compare", c.new_origin, c.verdict, false, std::string(verdict_word(c.verdict)) + ": " + text, {},
        {}};
    add_check(suite, s.label, as_check, "", count);
}

void add_properties(pugi::xml_node suite, const report_model& model, const report_origin& o) {
    pugi::xml_node properties = suite.append_child("properties");
    auto fields = provenance_fields(o.where);
    fields.emplace_back("command_line", model.command_line);
    for (const auto& setting : run_setting_fields(o.where))
        fields.push_back(setting);
    for (const auto& [name, value] : fields) {
        pugi::xml_node property = properties.append_child("property");
        property.append_attribute("name") = name.c_str();
        property.append_attribute("value") = value.c_str();
    }
}

// The suite of one origin: its scenes' runs and checks, the comparisons that end on it, its own checks.
suite_counts add_suite(pugi::xml_node root, const report_model& model, int origin, const std::string& dir) {
    const report_origin& o = model.origins[size_t(origin)];
    pugi::xml_node suite = root.append_child("testsuite");
    suite.append_attribute("name") =
        (model.origins.size() > 1 ? std::string(suite_name) + " " + o.name : std::string(suite_name)).c_str();
    // JUnit's time stamps carry no zone; ours are UTC.
    suite.append_attribute("timestamp") = o.where.date.substr(0, o.where.date.find('Z')).c_str();
    add_properties(suite, model, o);
    suite_counts count;
    for (const report_scene& s : model.scenes) {
        double ms = 0.0;
        bool ran = false;
        for (const report_run& r : s.runs) {
            if (r.origin == origin) {
                ran = true;
                ms = std::accumulate(r.frame_ms.begin(), r.frame_ms.end(), ms);
            }
        }
        if (ran)
            add_case(suite, s.label, "frames", ms / ms_per_second, count);
        if (s.comparison && s.comparison->new_origin == origin)
            add_comparison(suite, model, s, count);
        for (const report_check& c : s.checks) {
            if (c.origin == origin)
                add_check(suite, s.label, c, dir, count);
        }
    }
    for (const report_check& c : model.checks) {
        if (c.origin == origin)
            add_check(suite, "", c, dir, count);
    }
    count.set_on(suite);
    return count;
}
} // namespace

std::string report_junit(const report_model& model, const std::string& report_dir) {
    pugi::xml_document document;
    pugi::xml_node declaration = document.append_child(pugi::node_declaration);
    declaration.append_attribute("version") = "1.0";
    declaration.append_attribute("encoding") = "UTF-8";
    pugi::xml_node root = document.append_child("testsuites");
    root.append_attribute("name") = suite_name;
    suite_counts all;
    for (size_t i = 0; i < model.origins.size(); ++i) {
        const suite_counts count = add_suite(root, model, int(i), report_dir);
        all.tests += count.tests;
        all.failures += count.failures;
        all.skipped += count.skipped;
        all.seconds += count.seconds;
    }
    all.set_on(root);
    std::ostringstream text;
    document.save(text, "  ", pugi::format_default, pugi::encoding_utf8);
    return text.str();
}

} // namespace tarnwick::bench
