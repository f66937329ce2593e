// What a bench report holds, and the verdicts that follow from it. No GL here.
#include "record/report_model.h"

#include <algorithm>
#include <cstdio>

namespace tarnwick::bench {

namespace {
constexpr double percent = 100.0;

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
} // namespace

const char* verdict_word(report_verdict v) {
    static const char* const words[] = {"ok",        "FAIL",         "faster", "slower",
                                        "no change", "inconclusive", "unknown"};
    return words[int(v)];
}

const char* mode_word(report_mode m) {
    static const char* const words[] = {"run", "compare", "ab", "drivers"};
    return words[int(m)];
}

double slowdown_percent(const report_comparison& c) {
    return (c.measure == comparison_measure::mean_fps ? 1.0 - c.ratio : c.ratio - 1.0) * percent;
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

report_verdict scene_verdict(const report_scene& s) {
    for (const report_check& c : s.checks) {
        if (c.failed)
            return c.verdict;
    }
    if (s.comparison)
        return s.comparison->verdict;
    for (const report_check& c : s.checks) {
        if (c.verdict != report_verdict::ok)
            return c.verdict;
    }
    return report_verdict::ok;
}

bool scene_failed(const report_scene& s) {
    return std::any_of(s.checks.begin(), s.checks.end(), [](const report_check& c) { return c.failed; });
}

bool scene_failed(const report_scene& s, int origin) {
    return std::any_of(s.checks.begin(), s.checks.end(),
                       [origin](const report_check& c) { return c.failed && c.origin == origin; });
}

report_verdict scene_verdict(const report_scene& s, int origin) {
    const auto mine = [origin](const report_check& c) { return c.origin == origin; };
    for (const report_check& c : s.checks) {
        if (mine(c) && c.failed)
            return c.verdict;
    }
    for (const report_check& c : s.checks) {
        if (mine(c) && c.verdict != report_verdict::ok)
            return c.verdict;
    }
    const bool ran = std::any_of(s.runs.begin(), s.runs.end(),
                                 [origin](const report_run& r) { return r.origin == origin; }) ||
                     std::any_of(s.checks.begin(), s.checks.end(), mine);
    return ran ? report_verdict::ok : report_verdict::unknown;
}

report_check shots_check(int left_over, const std::string& note) {
    const bool clean = left_over == 0;
    const size_t text = note.find(": ");
    return {"shots",
            0,
            clean ? report_verdict::ok : report_verdict::fail,
            !clean,
            text == std::string::npos ? note : note.substr(text + 2),
            {},
            {{"shots_or_gl_objects_left", double(left_over)}}};
}

report_check gl_errors_check(int errors) {
    return {"GL errors",
            0,
            errors == 0 ? report_verdict::ok : report_verdict::fail,
            errors > 0,
            std::to_string(errors) + " GL error(s) over the whole run",
            {},
            {{"gl_errors", double(errors)}}};
}

report_check slower_than_check(const report_comparison& c, double allowed) {
    const double slowdown = slowdown_percent(c);
    char text[200];
    report_check check{
        "slower-than", c.new_origin, c.verdict, false, "", {}, {{"allowed_slowdown_percent", allowed}}};
    if (c.verdict == report_verdict::unknown || c.verdict == report_verdict::inconclusive) {
        check.failed = true;
        std::snprintf(text, sizeof text, "cannot be judged (%s), so it cannot be shown within %g%%",
                      verdict_word(c.verdict), allowed);
    } else if (c.verdict == report_verdict::slower) {
        check.failed = slowdown > allowed;
        std::snprintf(text, sizeof text, "slower by %.1f%% beyond noise, %s the %g%% allowed", slowdown,
                      check.failed ? "more than" : "within", allowed);
    } else {
        std::snprintf(text, sizeof text, "%s (%s ratio %.3f)", verdict_word(c.verdict),
                      c.measure == comparison_measure::mean_fps ? "FPS" : "frame-time", c.ratio);
    }
    check.message = text;
    return check;
}

report_model comparison_report(const run_table& base, const run_table& fresh, const std::string& base_name,
                               const std::string& new_name, double fail_slower,
                               const std::string& command_line) {
    static const report_verdict verdicts[] = {report_verdict::no_change, report_verdict::faster,
                                              report_verdict::slower, report_verdict::unknown};
    report_model model;
    model.mode = report_mode::compare;
    model.command_line = command_line;
    model.add_origin(base_name, base.origin);
    model.add_origin(new_name, fresh.origin);
    for (const std::string& label : base.scenes) {
        const std::vector<double>* fresh_runs = fresh.runs_of(label);
        if (!fresh_runs)
            continue;
        const scene_comparison c = compare_scene(label, *base.runs_of(label), *fresh_runs);
        report_scene& scene = model.scene(label);
        report_comparison comparison;
        comparison.base_fps = c.base_mean;
        comparison.base_sd = c.base_spread;
        comparison.new_fps = c.new_mean;
        comparison.new_sd = c.new_spread;
        comparison.ratio = c.ratio;
        comparison.verdict = verdicts[int(c.result)];
        scene.comparison = comparison;
        if (fail_slower >= 0.0)
            scene.checks.push_back(slower_than_check(*scene.comparison, fail_slower));
    }
    // A scene of one file alone has nothing to be compared with; the page still lists it.
    const std::pair<const run_table*, const run_table*> sides[] = {{&base, &fresh}, {&fresh, &base}};
    for (const auto& [table, other] : sides) {
        const std::string& name = table == &base ? base_name : new_name;
        for (const std::string& label : table->scenes) {
            if (!other->runs_of(label))
                model.scene(label).checks.push_back({"compare",
                                                     table == &base ? 0 : 1,
                                                     report_verdict::unknown,
                                                     false,
                                                     "only in " + name,
                                                     {},
                                                     {}});
        }
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
