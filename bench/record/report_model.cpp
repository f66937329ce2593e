// The result record, and the verdicts and checks that follow from it. No GL here.
#include "record/report_model.h"

#include <algorithm>
#include <cstdio>
#include <iterator>

namespace tarnwick::bench {

namespace {
const std::pair<report_mode, const char*> mode_words[] = {{report_mode::run, "run"},
                                                          {report_mode::compare, "compare"},
                                                          {report_mode::ab, "ab"},
                                                          {report_mode::drivers, "drivers"}};

bool plain_word(const std::string& word) {
    static const std::string allowed = "_-+=:,./@%";
    return !word.empty() && std::all_of(word.begin(), word.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || allowed.find(c) != std::string::npos;
    });
}

std::string shell_quoted(const std::string& word) {
    std::string quoted = "'";
    for (char c : word)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// new / base of the comparison's measure: of FPS (below 1: slower) or of frame time (above 1: slower).
double ratio_of(const report_comparison& c) {
    return std::visit([](const auto& f) { return f.ratio; }, c.figures);
}

// How much slower the new side is in percent of the base; negative when faster.
double slowdown_percent(const report_comparison& c) {
    const double change = (ratio_of(c) - 1.0) * percent;
    return std::holds_alternative<fps_comparison>(c.figures) ? -change : change;
}

// In the order of report_comparison's figures.
const char* const measure_names[] = {"FPS", "frame-time", "instruction"};

constexpr int any_origin = -1;

// The scene's first check of that origin (or of any) that failed; with failed false, that is not ok.
const report_check* first_check(const report_scene& s, int origin, bool failed) {
    const auto it = std::find_if(s.checks.begin(), s.checks.end(), [=](const report_check& c) {
        return (origin == any_origin || c.origin == origin) && (failed ? c.failed : c.verdict != verdict::ok);
    });
    return it == s.checks.end() ? nullptr : &*it;
}

report_check compare_check(int origin, const std::string& message, bool gate) {
    return {"compare", origin, verdict::unknown, gate, message, {}, {}};
}
} // namespace

const char* mode_word(report_mode m) {
    const auto it = std::find_if(std::begin(mode_words), std::end(mode_words),
                                 [m](const auto& w) { return w.first == m; });
    return it == std::end(mode_words) ? "run" : it->second;
}

report_mode mode_of_word(const std::string& word) {
    const auto it = std::find_if(std::begin(mode_words), std::end(mode_words),
                                 [&word](const auto& w) { return word == w.second; });
    return it == std::end(mode_words) ? report_mode::run : it->first;
}

double report_check::figure(const std::string& wanted, double fallback) const {
    const auto it =
        std::find_if(figures.begin(), figures.end(), [&wanted](const auto& f) { return f.first == wanted; });
    return it == figures.end() ? fallback : it->second;
}

int report_model::add_origin(const std::string& name, const provenance& where) {
    origins.push_back({name, where});
    return int(origins.size()) - 1;
}

report_scene& report_model::scene(const std::string& label) {
    const auto it = std::find_if(scenes.begin(), scenes.end(),
                                 [&label](const report_scene& s) { return s.label == label; });
    if (it != scenes.end())
        return *it;
    scenes.push_back(report_scene{label, {}, std::nullopt, {}});
    return scenes.back();
}

void report_model::set_check(const std::string& label, const report_check& check) {
    std::vector<report_check>& list = label.empty() ? checks : scene(label).checks;
    const auto it = std::find_if(list.begin(), list.end(), [&check](const report_check& c) {
        return c.name == check.name && c.origin == check.origin;
    });
    if (it != list.end()) {
        if (!it->failed)
            *it = check;
    } else
        list.push_back(check);
}

verdict scene_verdict(const report_scene& s) {
    if (const report_check* c = first_check(s, any_origin, true))
        return c->verdict;
    if (s.comparison)
        return s.comparison->verdict;
    const report_check* c = first_check(s, any_origin, false);
    return c ? c->verdict : verdict::ok;
}

bool scene_failed(const report_scene& s) { return first_check(s, any_origin, true) != nullptr; }

bool has_origin(const report_scene& s, int origin) {
    return std::any_of(s.runs.begin(), s.runs.end(),
                       [origin](const report_run& r) { return r.origin == origin; }) ||
           std::any_of(s.checks.begin(), s.checks.end(),
                       [origin](const report_check& c) { return c.origin == origin; });
}

verdict scene_verdict(const report_scene& s, int origin) {
    const report_check* c = first_check(s, origin, true);
    c = c ? c : first_check(s, origin, false);
    return c ? c->verdict : has_origin(s, origin) ? verdict::ok : verdict::unknown;
}

report_check run_check(const std::string& name, bool passed, const std::string& message,
                       const std::vector<std::pair<std::string, double>>& figures) {
    return {name, 0, passed ? verdict::ok : verdict::fail, !passed, message, {}, figures};
}

report_check shots_check(const shots_tally& t) {
    const bool clean = t.left_over() == 0;
    char text[300];
    std::snprintf(text, sizeof text,
                  "%d shots fired (at most %ld alive), %d window changes; %d steps without firing left %ld "
                  "shots and %d of their %ld GL objects; resident memory %ld KiB",
                  t.fired, t.most_alive, t.window_changes, t.drain_steps, t.shots_left, t.objects_left,
                  t.objects_made, t.resident_kib);
    return run_check("shots", clean, text, {{"shots_or_gl_objects_left", double(t.left_over())}});
}

report_check gl_errors_check(int errors) {
    return run_check("GL errors", errors == 0, std::to_string(errors) + " GL error(s) over the whole run",
                     {{"gl_errors", double(errors)}});
}

report_check slower_than_check(const report_comparison& c, double allowed) {
    const double slowdown = slowdown_percent(c);
    char text[200];
    report_check check{
        "slower-than", c.new_origin, c.verdict, false, "", {}, {{"allowed_slowdown_percent", allowed}}};
    if (!judged(c.verdict)) {
        check.failed = true;
        std::snprintf(text, sizeof text, "cannot be judged (%s), so it cannot be shown within %g%%",
                      verdict_word(c.verdict), allowed);
    } else if (c.verdict == verdict::slower) {
        check.failed = slowdown > allowed;
        std::snprintf(text, sizeof text, "slower by %.1f%% beyond noise, %s the %g%% allowed", slowdown,
                      check.failed ? "more than" : "within", allowed);
    } else {
        std::snprintf(text, sizeof text, "%s (%s ratio %.3f)", verdict_word(c.verdict),
                      measure_names[c.figures.index()], ratio_of(c));
    }
    check.message = text;
    return check;
}

report_model comparison_report(const run_table& base, const run_table& fresh, const std::string& base_name,
                               const std::string& new_name, double fail_slower,
                               const std::string& command_line) {
    const bool gate = fail_slower >= 0.0;
    report_model model;
    model.mode = report_mode::compare;
    model.command_line = command_line;
    model.add_origin(base_name, base.origin);
    model.add_origin(new_name, fresh.origin);
    bool compared = false;
    for (const std::string& label : base.scenes) {
        const std::vector<double>* fresh_runs = fresh.runs_of(label);
        if (!fresh_runs)
            continue;
        const fps_verdict c = compare_fps(*base.runs_of(label), *fresh_runs);
        report_scene& scene = model.scene(label);
        scene.comparison = report_comparison{0, 1, c.verdict, c.figures};
        if (gate)
            scene.checks.push_back(slower_than_check(*scene.comparison, fail_slower));
        compared = true;
    }
    // A scene of one file alone has nothing to be compared with; the page still lists it.
    for (int side = 0; side < 2; ++side) {
        const run_table& table = side == 0 ? base : fresh;
        const run_table& other = side == 0 ? fresh : base;
        for (const std::string& label : table.scenes) {
            if (!other.runs_of(label))
                model.scene(label).checks.push_back(
                    compare_check(side, "only in " + (side == 0 ? base_name : new_name), gate));
        }
    }
    if (!compared)
        model.checks.push_back(compare_check(1, "no scene is in both files", gate));
    return model;
}

report_model ab_report(const provenance& a, const provenance& b,
                       const std::vector<ab_scene_comparison>& scenes, double fail_slower,
                       const std::string& command_line) {
    report_model model;
    model.mode = report_mode::ab;
    model.command_line = command_line;
    model.add_origin("A", a);
    model.add_origin("B", b);
    for (const ab_scene_comparison& s : scenes) {
        report_scene& scene = model.scene(s.label);
        scene.comparison = s.comparison;
        if (fail_slower >= 0.0)
            scene.checks.push_back(slower_than_check(s.comparison, fail_slower));
    }
    return model;
}

std::string quoted_command_line(const std::vector<std::string>& args) {
    std::string line;
    for (const std::string& word : args)
        line += (line.empty() ? "" : " ") + (plain_word(word) ? word : shell_quoted(word));
    return line;
}

} // namespace tarnwick::bench
