// index.html, written by hand: a small page whose every text goes through html_text. No GL here.
#include "record/report_html.h"

#include "stats/frame_summary.h"
#include "record/report_plot.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iterator>
#include <map>
#include <set>

namespace tarnwick::bench {

namespace {
const char* const style = R"(
:root{--ink:#1f2328;--muted:#59636e;--line:#d1d9e0;--soft:#f6f8fa;font-family:system-ui,-apple-system,"Segoe UI",
Roboto,"DejaVu Sans",sans-serif;color:var(--ink);background:#fff;line-height:1.45}
body{margin:0 auto;max-width:1200px;padding:16px 20px 40px}
h1{font-size:1.6rem;margin:.2em 0}h2{font-size:1.2rem;margin:1.6em 0 .5em}
.scene h2{display:flex;flex-wrap:wrap;align-items:center;gap:.5em;margin:0 0 .6em}
.label{font-family:ui-monospace,"DejaVu Sans Mono",monospace}
.tally{display:flex;flex-wrap:wrap;gap:.4em;align-items:center;margin:.4em 0}
.scroll{overflow-x:auto;-webkit-overflow-scrolling:touch}
table{border-collapse:collapse;font-size:.92rem}th,td{padding:.3em .7em;border-bottom:1px solid var(--line);
text-align:left;vertical-align:middle}thead th{background:var(--soft);white-space:nowrap}
td.num,th.num{text-align:right;font-variant-numeric:tabular-nums;white-space:nowrap}
.where th{color:var(--muted);font-weight:600;white-space:nowrap}.where td{overflow-wrap:anywhere}
.where .differs{background:#fff8c5}
pre{background:var(--soft);border:1px solid var(--line);border-radius:6px;padding:.6em .8em;white-space:pre-wrap;
word-break:break-all;font-size:.85rem}
.verdict{display:inline-block;padding:.1em .55em;border-radius:1em;font-size:.85rem;font-weight:600;
white-space:nowrap;color:#fff;background:var(--c)}
.v-ok{--c:#1a7f37}.v-fail{--c:#cf222e}.v-faster{--c:#0969da}.v-slower{--c:#bc4c00}.v-no-change{--c:#59636e}
.v-inconclusive{--c:#8250df}.v-unknown{--c:#afb8c1}
.verdict.v-unknown{background:#eaeef2;color:#31363c;box-shadow:inset 0 0 0 1px #afb8c1}
.span{display:block;margin:2px 0 0 auto}.span .bar{fill:var(--c)}
.scene{border:1px solid var(--line);border-left:6px solid #1a7f37;border-radius:8px;padding:14px 16px;
margin:18px 0}.scene.failed{border-left-color:#cf222e}.scene.judged{border-left-color:#59636e}
.scene .scroll{margin-bottom:.7em}.checks td:last-child{overflow-wrap:anywhere}
.body{display:grid;grid-template-columns:minmax(0,1fr);gap:16px;margin-top:12px}
@media (min-width:900px){.body{grid-template-columns:minmax(0,1fr) minmax(0,1fr)}}
.pictures{display:grid;grid-template-columns:repeat(auto-fit,minmax(min(100%,96px),1fr));gap:8px;margin:0}
figure{margin:0}.pictures img{width:100%;height:auto;display:block;border:1px solid var(--line);
border-radius:4px;background:#000}figcaption{font-size:.8rem;color:var(--muted);margin-top:2px}
.plot svg{width:100%;height:auto;display:block}.plot .grid{stroke:#e4e8ec}.plot .tick{font-size:12px;
fill:var(--muted)}.plot .mark{font-size:12px;fill:var(--ink);paint-order:stroke;stroke:#fff;stroke-width:3px}
.plot polyline{stroke-width:1.3}
.plot .p50,.plot .p99{stroke:var(--ink);stroke-dasharray:5 4;stroke-width:1}
.legend{display:flex;flex-wrap:wrap;gap:.3em 1em;list-style:none;padding:0;margin:.3em 0 0;font-size:.8rem}
.swatch{display:inline-block;width:.9em;height:.9em;border-radius:2px;margin-right:.3em;vertical-align:-.1em}
footer{margin-top:2em;color:var(--muted);font-size:.85rem}
.subtitle{margin:0;color:var(--muted)}.note{color:var(--muted);font-size:.85rem;margin:.4em 0 0;max-width:60em}
.grid td{text-align:center;white-space:nowrap}.grid td a{font-size:.8rem;margin-left:.35em}
td.origin-cell{white-space:nowrap}td.reason{color:var(--muted);font-size:.85rem;overflow-wrap:anywhere}td.origin-cell .verdict{margin-right:.4em}
details{margin:.2em 0 .7em}summary{cursor:pointer;color:var(--muted);font-size:.9rem}
@media (max-width:600px){body{padding:10px 10px 30px}.scene{padding:10px}table{font-size:.8rem}
th,td{padding:.25em .35em}thead th,thead th.num{white-space:normal}
.wide{display:none}.plot .tick,.plot .mark{font-size:19px}}
)";

// The CSS class of a verdict's colour, e.g. "v-no-change".
std::string verdict_class(verdict v) {
    std::string name = verdict_word(v);
    std::transform(name.begin(), name.end(), name.begin(),
                   [](char c) { return c == ' ' ? '-' : std::tolower(c); });
    return "v-" + name;
}

std::string verdict_span(verdict v, const std::string& text = "") {
    return "<span class=\"verdict " + verdict_class(v) + "\">" +
           html_text(text.empty() ? verdict_word(v) : text) + "</span>";
}

std::string verdict_cell(verdict v, const char* more = "") {
    return "<td class=\"verdict-cell" + std::string(more) + "\">" + verdict_span(v) + "</td>";
}

// A scene's label, allowed to break after each ':' on a narrow screen.
std::string label_text(const std::string& label) {
    std::string text;
    for (char c : label)
        text += c == ':' ? ":<wbr>" : html_text(std::string(1, c));
    return text;
}

// A figure's cell, aligned right; more adds classes (" wide").
std::string num_cell(const std::string& text, const char* more = "") {
    return "<td class=\"num" + std::string(more) + "\">" + text + "</td>";
}
std::string num_cell(double v, int decimals, const char* more = "") {
    return num_cell(fixed(v, decimals), more);
}

// A table that scrolls sideways where the screen is narrower.
std::string table(const char* look, const std::string& head, const std::string& rows) {
    return "<div class=\"scroll\"><table class=\"" + std::string(look) + "\">" + head + "<tbody>" + rows +
           "</tbody></table></div>";
}

// A table's head; the columns that are not figures align left, the figures right, and the frame count,
// the p95, the longest frame, the GL version and those named in narrow give way on a narrow screen.
std::string head_row(const std::vector<std::string>& names, const std::vector<std::string>& narrow = {}) {
    static const std::vector<std::string> words = {"scene",  "verdict", "origin",    "renderer",
                                                   "driver", "state",   "GL version"};
    static const std::vector<std::string> wide_ones = {"p95 ms", "max ms", "frames", "GL version"};
    const auto has = [](const std::vector<std::string>& list, const std::string& n) {
        return std::find(list.begin(), list.end(), n) != list.end();
    };
    std::string row = "<thead><tr>";
    for (const std::string& n : names) {
        std::string look = has(words, n) ? "" : "num";
        if (has(wide_ones, n) || has(narrow, n))
            look += look.empty() ? "wide" : " wide";
        row += (look.empty() ? "<th>" : "<th class=\"" + look + "\">") + html_text(n) + "</th>";
    }
    return row + "</tr></thead>";
}

std::string anchor(size_t index) { return "scene-" + std::to_string(index + 1); }

// The origins that have runs, in index order.
std::vector<int> run_origins(const report_model& model) {
    std::set<int> found;
    for (const report_scene& s : model.scenes) {
        for (const report_run& r : s.runs)
            found.insert(r.origin);
    }
    return {found.begin(), found.end()};
}

// The figures the overview averages over a scene's runs.
constexpr double frame_summary::*averaged[] = {&frame_summary::mean_fps, &frame_summary::p50_ms,
                                               &frame_summary::p99_ms, &frame_summary::cpu_ms};

// A scene's runs on one origin: the means of their FPS and CPU time, and the p50 and p99 of all their
// frames together, as the plot's dashed lines show them (the runs' own means where no frames were kept).
frame_summary mean_of_runs(const report_scene& s, int origin) {
    frame_summary m;
    std::vector<double> frames;
    int n = 0;
    for (const report_run& r : s.runs) {
        if (r.origin != origin)
            continue;
        ++n;
        m.frames += r.summary.frames;
        for (double frame_summary::*figure : averaged)
            m.*figure += r.summary.*figure;
        frames.insert(frames.end(), r.frame_ms.begin(), r.frame_ms.end());
    }
    for (double frame_summary::*figure : averaged)
        m.*figure /= std::max(n, 1);
    if (!frames.empty()) {
        m.p50_ms = percentile(frames, 50.0);
        m.p99_ms = percentile(frames, 99.0);
    }
    return m;
}

// The count of each scene verdict, then what fails the bench where the verdicts do not say it: scenes
// whose checks failed, failed checks of the whole run.
std::string tally(const report_model& model) {
    std::map<verdict, int> counts;
    const long scenes = std::count_if(model.scenes.begin(), model.scenes.end(), scene_failed);
    const long checks = std::count_if(model.checks.begin(), model.checks.end(),
                                      [](const report_check& c) { return c.failed; });
    for (const report_scene& s : model.scenes)
        ++counts[scene_verdict(s)];
    std::string text = "<p class=\"tally\">" + std::to_string(model.scenes.size()) + " scene(s):";
    for (const verdict_name& n : verdict_names) {
        const verdict v = n.verdict;
        if (counts[v] > 0)
            text += " " + verdict_span(v, std::to_string(counts[v]) + " " + verdict_word(v));
    }
    // Failed scenes are all FAIL but where another check (a slowdown) failed them: say so then only.
    if (scenes == counts[verdict::fail] && checks == 0)
        return text + "</p>";
    text += " · failing:";
    if (scenes > 0)
        text += " " + verdict_span(verdict::fail, std::to_string(scenes) + " scene(s)");
    if (checks > 0)
        text += " " + verdict_span(verdict::fail, std::to_string(checks) + " check(s) of the run");
    return text + "</p>";
}

// What kind of run the page reports, under its title; nothing for a plain run.
std::string subtitle(const report_model& model) {
    static const char* const texts[] = {
        "", "Two results files compared scene by scene",
        "A/B comparison: A and B measured as separate processes in rounds of A B B A",
        "Driver matrix: the references, a timing and the planted faults on each driver"};
    const std::string text = texts[int(model.mode)];
    return text.empty() ? "" : "<p class=\"subtitle\">" + html_text(text) + "</p>";
}

std::string where_section(const report_model& model) {
    // In provenance_fields' order.
    static const char* const titles[] = {
        "Renderer",         "GL version",           "CPU",        "Kernel",
        "Driver variables", "Build (git describe)", "Date (UTC)", "Frame end",
        "Swap interval",    "Instructions counted"};
    const auto fields_of = [](const report_origin& o) {
        auto named = provenance_fields(o.where);
        for (const auto& setting : run_setting_fields(o.where))
            named.push_back(setting);
        return named;
    };
    std::string text =
        "<section id=\"where\"><h2>What ran and where</h2><div class=\"scroll\"><table class=\"where\">";
    if (model.origins.size() > 1) {
        text += "<thead><tr><th></th>";
        for (const report_origin& o : model.origins)
            text += "<th>" + html_text(o.name) + "</th>";
        text += "</tr></thead>";
    }
    for (size_t f = 0; f < std::size(titles); ++f) {
        // A row no origin fills (how instructions were counted, in a run that did not count) is left out.
        if (f + 1 == std::size(titles) &&
            std::all_of(model.origins.begin(), model.origins.end(),
                        [&](const report_origin& o) { return fields_of(o)[f].second.empty(); }))
            continue;
        text += "<tr><th>" + std::string(titles[f]) + "</th>";
        for (const report_origin& o : model.origins) {
            const auto [name, value] = fields_of(o)[f];
            const std::vector<std::string> differ =
                provenance_differences(model.origins.front().where, o.where);
            const bool differs = std::find(differ.begin(), differ.end(), name) != differ.end();
            text += std::string(differs ? "<td class=\"differs\">" : "<td>") +
                    html_text(value.empty() ? "(none)" : value) + "</td>";
        }
        text += "</tr>";
    }
    return text + "</table></div><p>Command line</p><pre><code>" + html_text(model.command_line) +
           "</code></pre></section>";
}

const report_check* find_check(const std::vector<report_check>& checks, const std::string& name, int origin) {
    const auto it = std::find_if(checks.begin(), checks.end(),
                                 [&](const report_check& c) { return c.name == name && c.origin == origin; });
    return it == checks.end() ? nullptr : &*it;
}

bool is_fault_check(const report_check& c) { return c.name.rfind(fault_check_prefix, 0) == 0; }

std::string note(const std::string& text) { return "<p class=\"note\">" + html_text(text) + "</p>"; }

std::string percent_text(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", v);
    return text;
}

// A driver matrix's drivers, at the top: whether each ran and on what, its scenes and its planted faults.
std::string drivers_section(const report_model& model) {
    if (model.mode != report_mode::drivers)
        return "";
    std::string rows;
    for (size_t i = 0; i < model.origins.size(); ++i) {
        const int origin = int(i);
        long ok = 0, failed = 0, caught = 0, missed = 0;
        // As the console counts them: scenes with a reference check, not those without a reference.
        for (const report_scene& s : model.scenes) {
            if (const report_check* reference = find_check(s.checks, "reference", origin))
                ++(reference->failed ? failed : ok);
        }
        for (const report_check& c : model.checks) {
            if (c.origin == origin && is_fault_check(c) && (c.verdict == verdict::ok || c.failed))
                ++(c.failed ? missed : caught);
        }
        const report_check* state = find_check(model.checks, driver_check_name, origin);
        const verdict v = state ? state->verdict : verdict::ok;
        const char* word = v == verdict::ok ? "ran" : v == verdict::unknown ? "skipped" : "failed";
        const report_origin& o = model.origins[i];
        rows += "<tr data-driver=\"" + html_text(o.name) + "\"><td>" + html_text(o.name) + "</td><td>" +
                verdict_span(v, word) + "</td><td>" + html_text(o.where.renderer) +
                "</td><td class=\"wide\">" + html_text(o.where.gl_version) + "</td>" + num_cell(ok, 0) +
                num_cell(failed, 0) + num_cell(caught, 0) + num_cell(missed, 0) + "</tr>";
        // Why a driver did not run, on a row of its own: the reason is often a long line of the driver's.
        if (state && v != verdict::ok)
            rows +=
                "<tr><td></td><td class=\"reason\" colspan=\"7\">" + html_text(state->message) + "</td></tr>";
    }
    return "<section id=\"drivers\"><h2>Drivers</h2>" +
           table("drivers",
                 head_row({"driver", "state", "renderer", "GL version", "references ok", "references failed",
                           "faults caught", "faults missed"}),
                 rows) +
           "</section>";
}

template <class C> std::string interval_text(const C& c, int decimals = 3) {
    return c.ratio_interval
               ? fixed(c.ratio_interval->first, decimals) + "–" + fixed(c.ratio_interval->second, decimals)
               : std::string("—");
}

// Instructions per frame in millions.
std::string millions_cell(double instructions) { return num_cell(instructions / 1e6, 2); }

// An A/B interval as a bar on a scale that every scene shares ([from, to]), over the no-change band (shaded)
// and 1, in its verdict's colour: which scenes cleared the threshold, and which way, shows at a glance.
std::string interval_bar(const frame_time_comparison& c, verdict v, double from, double to) {
    if (!c.ratio_interval)
        return "";
    constexpr double width = 120.0;
    // Logarithmic, so that B twice as slow lies as far from 1 as B twice as fast.
    const auto x = [&](double ratio) { return width * std::log(ratio / from) / std::log(to / from); };
    const double upper = 1.0 + c.threshold_percent / percent;
    const auto [low, high] = *c.ratio_interval;
    return "<svg class=\"span " + verdict_class(v) +
           "\" viewBox=\"0 0 120 14\" width=\"120\" height=\"14\" aria-hidden=\"true\"><rect x=\"" +
           fixed(x(1.0 / upper), 1) + "\" width=\"" + fixed(x(upper) - x(1.0 / upper), 1) +
           "\" height=\"14\" fill=\"#eaeef2\"/><line x1=\"" + fixed(x(1.0), 1) + "\" x2=\"" +
           fixed(x(1.0), 1) + "\" y2=\"14\" stroke=\"#59636e\"/><rect class=\"bar\" x=\"" + fixed(x(low), 1) +
           "\" y=\"4\" width=\"" + fixed(std::max(x(high) - x(low), 1.0), 1) +
           "\" height=\"6\" rx=\"3\"/><circle class=\"bar\" cx=\"" + fixed(x(c.ratio), 1) +
           "\" cy=\"7\" r=\"3.5\" stroke=\"#fff\"/></svg>";
}

// The scale of the interval bars: every interval and no-change band, a little beyond (ratios above 0).
std::pair<double, double> interval_scale(const report_model& model) {
    double from = 1.0, to = 1.0;
    for (const report_scene& s : model.scenes) {
        const frame_time_comparison* c =
            s.comparison ? std::get_if<frame_time_comparison>(&s.comparison->figures) : nullptr;
        if (!c || !c->ratio_interval)
            continue;
        const double upper = 1.0 + c->threshold_percent / percent;
        from = std::min({from, c->ratio_interval->first, 1.0 / upper});
        to = std::max({to, c->ratio_interval->second, upper});
    }
    const double margin = std::pow(to / from, 0.05) * 1.001;
    return {from / margin, to * margin};
}

// What an A/B comparison's figures mean, its threshold filled in.
std::string ab_note(const report_model& model, const report_comparison& c) {
    const std::string a = model.origins[size_t(c.base_origin)].name,
                      b = model.origins[size_t(c.new_origin)].name;
    if (const auto* n = std::get_if<count_comparison>(&c.figures))
        return a + " M, " + b +
               " M: the mean over each side's processes of the instructions per measured "
               "frame, counted under callgrind. " +
               b + "/" + a +
               ": their ratio; its interval is widened by "
               "the processes' agreement bound (" +
               percent_text(n->agreement_percent) +
               "%) or by their own spread where larger. The verdict is slower when the interval lies wholly "
               "above 1 + " +
               percent_text(n->threshold_percent) +
               "%, faster when wholly below, no change when wholly within, else inconclusive.";
    const double threshold = std::get<frame_time_comparison>(c.figures).threshold_percent;
    const double upper = 1.0 + threshold / percent;
    return a + " ms, " + b + " ms: the median over each side's processes of their median frame time. " + b +
           "/" + a + " time: " + b + "'s frame time over " + a +
           "'s, the geometric mean of one ratio per round of four processes (" + a + " " + b + " " + b + " " +
           a + "); above 1 " + b +
           " is slower. The verdict is slower when the 95% interval lies wholly above " + fixed(upper, 3) +
           " (" + percent_text(threshold) + "%), faster when wholly below " + fixed(1.0 / upper, 3) +
           ", no change when wholly between, else inconclusive. Under each interval, a bar on a scale all "
           "scenes share (logarithmic): the interval and its ratio in the verdict's colour, the no-change "
           "band shaded, 1 a line.";
}

// A scene's cells of the overview after its label and verdict, as the mode's columns have them.
std::string overview_cells(const report_model& model, const report_scene& s, const std::vector<int>& origins,
                           bool compared, std::pair<double, double> scale) {
    std::string cells;
    const auto* figures = s.comparison ? &s.comparison->figures : nullptr;
    if (const auto* counts = std::get_if<count_comparison>(figures))
        cells += millions_cell(counts->base_per_frame) + millions_cell(counts->new_per_frame) +
                 num_cell(counts->ratio, 4) + num_cell(interval_text(*counts, 4)) +
                 num_cell(double(counts->base_counts.size() + counts->new_counts.size()), 0);
    else if (const auto* time = std::get_if<frame_time_comparison>(figures))
        cells += num_cell(time->base_ms, 2, " wide") + num_cell(time->new_ms, 2, " wide") +
                 num_cell(time->ratio, 3) +
                 num_cell(interval_text(*time) +
                          interval_bar(*time, s.comparison->verdict, scale.first, scale.second)) +
                 num_cell(time->rounds, 0);
    else if (const auto* fps = std::get_if<fps_comparison>(figures))
        cells += num_cell(fps->base_fps, 1) + num_cell(fps->new_fps, 1) + num_cell(fps->ratio, 3);
    else if (compared)
        cells += "<td></td><td></td><td></td>";
    else if (model.mode == report_mode::drivers) {
        for (size_t o = 0; o < model.origins.size(); ++o) {
            const bool there = has_origin(s, int(o));
            const bool timed = std::any_of(s.runs.begin(), s.runs.end(),
                                           [o](const report_run& r) { return r.origin == int(o); });
            cells += there ? "<td class=\"num origin-cell\">" + verdict_span(scene_verdict(s, int(o))) +
                                 (timed ? fixed(mean_of_runs(s, int(o)).mean_fps, 1) : "") + "</td>"
                           : "<td></td>";
        }
    } else if (origins.size() == 1) {
        const frame_summary m = mean_of_runs(s, origins.front());
        cells +=
            num_cell(m.mean_fps, 1) + num_cell(m.p50_ms, 2) + num_cell(m.p99_ms, 2) + num_cell(m.cpu_ms, 3);
    } else
        for (int o : origins)
            cells += num_cell(mean_of_runs(s, o).mean_fps, 1);
    return cells;
}

std::string overview_section(const report_model& model) {
    const std::vector<int> origins = run_origins(model);
    const auto first = std::find_if(model.scenes.begin(), model.scenes.end(),
                                    [](const report_scene& s) { return s.comparison.has_value(); });
    const report_comparison* compared = first == model.scenes.end() ? nullptr : &*first->comparison;
    std::vector<std::string> names = {"scene", "verdict"}, narrow;
    std::string explained;
    if (compared && !std::holds_alternative<fps_comparison>(compared->figures)) {
        const std::string a = model.origins[size_t(compared->base_origin)].name;
        const std::string b = model.origins[size_t(compared->new_origin)].name;
        if (std::holds_alternative<count_comparison>(compared->figures))
            names.insert(names.end(), {a + " M", b + " M", b + "/" + a, "interval", "processes"});
        else {
            names.insert(names.end(),
                         {a + " ms", b + " ms", b + "/" + a + " time", "95% interval", "rounds"});
            narrow = {a + " ms", b + " ms"};
        }
        explained = ab_note(model, *compared);
    } else if (compared) {
        names.insert(names.end(), {"base FPS", "new FPS", "ratio"});
        explained = "ratio: the new side's mean FPS over the base's; below 1 the new side is slower.";
    } else if (model.mode == report_mode::drivers) {
        for (const report_origin& o : model.origins)
            names.push_back(o.name);
        // The drivers' own verdicts say it on a phone, where the columns are scarce.
        narrow = {"verdict"};
        explained = "Per driver: the scene's verdict there (its reference check) and its mean FPS.";
    } else if (origins.size() == 1) {
        names.insert(names.end(), {"FPS", "p50 ms", "p99 ms", "CPU ms"});
        explained = "FPS and CPU ms: the means over the runs; p50 and p99: of all the runs' frames together, "
                    "as the dashed lines of the scene's plot.";
    } else {
        for (int o : origins)
            names.push_back("FPS " + model.origins[size_t(o)].name);
    }
    std::string rows;
    const std::pair<double, double> scale = interval_scale(model);
    for (size_t i = 0; i < model.scenes.size(); ++i) {
        const report_scene& s = model.scenes[i];
        rows += "<tr data-scene=\"" + html_text(s.label) + "\"><td class=\"label\"><a href=\"#" + anchor(i) +
                "\">" + label_text(s.label) + "</a></td>" +
                verdict_cell(scene_verdict(s), model.mode == report_mode::drivers ? " wide" : "") +
                overview_cells(model, s, origins, compared != nullptr, scale) + "</tr>";
    }
    return "<section id=\"scenes\"><h2>Scenes</h2>" + table("overview", head_row(names, narrow), rows) +
           (explained.empty() ? "" : note(explained)) + "</section>";
}

std::string checks_table(const report_model& model, const std::vector<report_check>& checks) {
    std::string rows;
    for (const report_check& c : checks) {
        const std::string who =
            model.origins.size() > 1 ? " (" + model.origins[size_t(c.origin)].name + ")" : "";
        rows += "<tr data-check=\"" + html_text(c.name) + "\" data-origin=\"" + std::to_string(c.origin) +
                "\"><th>" + html_text(c.name + who) + "</th>" + verdict_cell(c.verdict) + "<td>" +
                html_text(c.message) + "</td></tr>";
    }
    return table("checks", "", rows);
}

// Checks of several origins as a grid, a row per name and a column per origin (a matrix's planted faults by
// driver): each cell its verdict, the message as its title and links to its pictures; below, the failed
// ones' messages, since a phone shows no title.
std::string checks_grid(const report_model& model, const std::vector<report_check>& checks) {
    std::vector<std::string> names;
    for (const report_check& c : checks) {
        if (std::find(names.begin(), names.end(), c.name) == names.end())
            names.push_back(c.name);
    }
    std::string head = "<thead><tr><th>check</th>", text, remarks;
    for (const report_origin& o : model.origins)
        head += "<th>" + html_text(o.name) + "</th>";
    for (const std::string& name : names) {
        text += "<tr><th>" + html_text(name) + "</th>";
        for (size_t o = 0; o < model.origins.size(); ++o) {
            const report_check* c = find_check(checks, name, int(o));
            if (!c) {
                text += "<td></td>";
                continue;
            }
            text += "<td class=\"verdict-cell\" data-check=\"" + html_text(name) + "\" data-origin=\"" +
                    std::to_string(o) + "\" title=\"" + html_text(c->message) + "\">" +
                    verdict_span(c->verdict);
            for (const auto& [word, file] :
                 {std::make_pair("frame", &c->pictures.actual), std::make_pair("diff", &c->pictures.diff)}) {
                if (!file->empty())
                    text += "<a href=\"" + url_path(*file) + "\">" + word + "</a>";
            }
            text += "</td>";
            if (c->failed)
                remarks +=
                    "<li>" + html_text(name + " on " + model.origins[o].name + ": " + c->message) + "</li>";
        }
        text += "</tr>";
    }
    text = table("grid", head + "</tr></thead>", text);
    return remarks.empty() ? text : text + "<ul class=\"note\">" + remarks + "</ul>";
}

std::string run_checks_section(const report_model& model) {
    if (model.checks.empty())
        return "";
    const bool several =
        std::any_of(model.checks.begin(), model.checks.end(),
                    [&model](const report_check& c) { return c.origin != model.checks.front().origin; });
    const bool matrix = model.mode == report_mode::drivers;
    return std::string("<section id=\"checks\"><h2>") +
           (matrix ? "Each driver's checks and the planted faults" : "Checks of the whole run") + "</h2>" +
           (matrix
                ? note("driver: whether it ran. A planted fault (a shader changed in a copy of shaders/) is "
                       "ok where its scenes' frames differ from their references (it was caught), FAIL "
                       "where they still match (missed), unknown where the driver did not run.")
                : "") +
           (several ? checks_grid(model, model.checks) : checks_table(model, model.checks)) + "</section>";
}

// The runs' instructions per measured frame, where they were counted.
std::string counts_table(const report_scene& s) {
    std::string rows;
    for (const report_run& r : s.runs) {
        if (r.instructions)
            rows += "<tr>" + num_cell(r.number, 0) + num_cell(r.instructions->frames, 0) +
                    millions_cell(r.instructions->per_frame) + millions_cell(r.instructions->program) +
                    millions_cell(r.instructions->gl_driver) + millions_cell(r.instructions->other) + "</tr>";
    }
    return rows.empty()
               ? ""
               : table("counts",
                       head_row({"run", "frames", "M instr/frame", "program M", "GL driver M", "other M"}),
                       rows);
}

std::string runs_table(const report_model& model, const report_scene& s) {
    if (s.runs.empty())
        return "";
    const bool several = model.origins.size() > 1;
    std::vector<std::string> names = {"run",    "frames", "FPS",      "p50 ms", "p95 ms",  "p99 ms", "max ms",
                                      "CPU ms", "1% low", "0.1% low", "slow",   "GPU p50", "GPU p99"};
    if (several)
        names.insert(names.begin(), "origin");
    std::string rows;
    for (const report_run& r : s.runs) {
        const frame_summary& m = r.summary;
        rows += "<tr>" + (several ? "<td>" + html_text(model.origins[size_t(r.origin)].name) + "</td>" : "") +
                num_cell(r.number, 0) + num_cell(m.frames, 0, " wide") + num_cell(m.mean_fps, 1) +
                num_cell(m.p50_ms, 2) + num_cell(m.p95_ms, 2, " wide") + num_cell(m.p99_ms, 2) +
                num_cell(m.max_ms, 2, " wide") + num_cell(m.cpu_ms, 3) + num_cell(m.low_1_percent_fps, 1) +
                num_cell(m.low_0_1_percent_fps, 1, " wide") + num_cell(m.slow_frames, 0, " wide") +
                num_cell(fixed_or_empty(m.gpu_p50_ms, 3)) + num_cell(fixed_or_empty(m.gpu_p99_ms, 3)) +
                "</tr>";
    }
    return table("runs", head_row(names, {"0.1% low", "slow"}), rows) + counts_table(s);
}

// An A/B comparison's rounds, folded: each process's median frame time in running order and the round's
// ratio, the unit its interval is built from.
std::string rounds_table(const frame_time_comparison& c, const std::string& a, const std::string& b) {
    std::string rows;
    for (size_t i = 0; i < c.round_ms.size(); ++i) {
        const std::array<double, 4>& r = c.round_ms[i];
        rows += "<tr>" + num_cell(double(i + 1), 0) + num_cell(r[0], 2) + num_cell(r[1], 2) +
                num_cell(r[2], 2) + num_cell(r[3], 2) + num_cell(std::sqrt(r[1] * r[2] / (r[0] * r[3])), 3) +
                "</tr>";
    }
    return "<details><summary>The " + std::to_string(c.round_ms.size()) +
           " rounds: each process's median frame time</summary>" +
           table("rounds", head_row({"round", a + " ms", b + " ms", b + " ms", a + " ms", b + "/" + a}),
                 rows) +
           "</details>";
}

// An A/B comparison on counts: both sides, the interval and verdict, then where the change went.
std::string count_table(const count_comparison& n, const std::string& a, const std::string& b, verdict v) {
    std::string rows;
    for (const count_change& f : n.functions)
        rows += "<tr><td class=\"label\">" + html_text(f.function) + "</td><td>" + html_text(f.object) +
                "</td>" + num_cell(f.base, 0) + num_cell(f.fresh, 0) + num_cell(f.change, 0) + "</tr>";
    return table("comparison",
                 head_row({a + " M instr/frame", b + " M instr/frame", b + "/" + a, "interval", "spread %",
                           "verdict"}),
                 "<tr>" + millions_cell(n.base_per_frame) + millions_cell(n.new_per_frame) +
                     num_cell(n.ratio, 4) + num_cell(interval_text(n, 4)) + num_cell(n.spread_percent, 3) +
                     verdict_cell(v) + "</tr>") +
           (rows.empty() ? ""
                         : "<h4>Where the change went: self instructions per frame</h4>" +
                               table("functions", head_row({"function", "object", a, b, "change"}), rows));
}

std::string comparison_table(const report_model& model, const report_scene& s) {
    if (!s.comparison)
        return "";
    const report_comparison& c = *s.comparison;
    const std::string base = model.origins[size_t(c.base_origin)].name;
    const std::string fresh = model.origins[size_t(c.new_origin)].name;
    if (const auto* f = std::get_if<fps_comparison>(&c.figures))
        return table("comparison", head_row({base + " FPS", "sd", fresh + " FPS", "sd", "ratio", "verdict"}),
                     "<tr>" + num_cell(f->base_fps, 1) + num_cell(f->base_sd, 1) + num_cell(f->new_fps, 1) +
                         num_cell(f->new_sd, 1) + num_cell(f->ratio, 3) + verdict_cell(c.verdict) + "</tr>");
    if (const auto* n = std::get_if<count_comparison>(&c.figures))
        return count_table(*n, base, fresh, c.verdict);
    const frame_time_comparison& f = std::get<frame_time_comparison>(c.figures);
    return table("comparison",
                 head_row({base + " ms", fresh + " ms", fresh + "/" + base + " time", "95% interval",
                           "rounds", "verdict"}),
                 "<tr>" + num_cell(f.base_ms, 2) + num_cell(f.new_ms, 2) + num_cell(f.ratio, 3) +
                     num_cell(interval_text(f)) + num_cell(f.rounds, 0) + verdict_cell(c.verdict) + "</tr>") +
           rounds_table(f, base, fresh);
}

std::string pictures(const report_model& model, const report_scene& s) {
    std::string text;
    for (const report_check& c : s.checks) {
        const std::pair<const char*, const std::string*> kinds[] = {
            {"reference", &c.pictures.reference}, {"actual", &c.pictures.actual}, {"diff", &c.pictures.diff}};
        for (const auto& [kind, file] : kinds) {
            if (file->empty())
                continue;
            // The reference is the committed picture, not any origin's frame.
            const bool shared = std::string(kind) == "reference";
            const std::string who =
                model.origins.size() > 1 && !shared ? model.origins[size_t(c.origin)].name + " " : "";
            const std::string caption = who + kind;
            text += "<figure><a href=\"" + url_path(*file) + "\"><img src=\"" + url_path(*file) +
                    "\" alt=\"" + html_text(caption + " frame of " + s.label) + "\"></a><figcaption>" +
                    html_text(caption) + "</figcaption></figure>";
        }
    }
    return text.empty() ? "" : "<div class=\"pictures\">" + text + "</div>";
}

std::string plot(const report_model& model, const report_scene& s) {
    std::vector<plot_series> series;
    bool gpu = false;
    for (const report_run& r : s.runs) {
        if (r.frame_ms.empty())
            continue;
        const std::string who = model.origins.size() > 1 ? model.origins[size_t(r.origin)].name + " " : "";
        series.push_back({who + "run " + std::to_string(r.number), r.frame_ms, r.gpu_frame_ms});
        gpu = gpu || !r.gpu_frame_ms.empty();
    }
    if (series.empty())
        return "";
    std::string legend = "<ul class=\"legend\"><li>ms per frame:</li>";
    for (size_t i = 0; i < series.size(); ++i)
        legend += "<li><span class=\"swatch\" style=\"background:" + std::string(series_colour(i)) +
                  "\"></span>" + html_text(series[i].name) + "</li>";
    if (gpu)
        legend += "<li>dashed: the GPU time of its GL work</li>";
    return "<figure class=\"plot\">" +
           frame_time_svg(series, "Frame times of " + s.label + " in milliseconds") + legend +
           "</ul></figure>";
}

std::string scene_section(const report_model& model, const report_scene& s, size_t index) {
    const verdict v = scene_verdict(s);
    const std::string look = scene_failed(s) ? " failed" : v == verdict::ok ? "" : " judged";
    std::string text = "<section class=\"scene" + look + "\" id=\"" + anchor(index) + "\" data-scene=\"" +
                       html_text(s.label) + "\"><h2><span class=\"label\">" + label_text(s.label) +
                       "</span>" + verdict_span(v) + "</h2>";
    if (!s.checks.empty())
        text += checks_table(model, s.checks);
    text += runs_table(model, s) + comparison_table(model, s);
    const std::string body = pictures(model, s) + plot(model, s);
    if (!body.empty())
        text += "<div class=\"body\">" + body + "</div>";
    return text + "</section>";
}
} // namespace

std::string html_text(const std::string& text) {
    static const std::pair<char, const char*> entities[] = {
        {'&', "&amp;"}, {'<', "&lt;"}, {'>', "&gt;"}, {'"', "&quot;"}, {'\'', "&#39;"}};
    std::string escaped;
    for (char c : text) {
        const auto it = std::find_if(std::begin(entities), std::end(entities),
                                     [c](const std::pair<char, const char*>& e) { return e.first == c; });
        escaped += it == std::end(entities) ? std::string(1, c) : std::string(it->second);
    }
    return escaped;
}

std::string url_path(const std::string& path) {
    static const char* const hex = "0123456789ABCDEF";
    std::string url;
    for (unsigned char c : path) {
        if (std::isalnum(c) || c == '-' || c == '.' || c == '_' || c == '~' || c == '/')
            url += char(c);
        else
            url += std::string("%") + hex[c >> 4] + hex[c & 15];
    }
    return url;
}

std::string report_html(const report_model& model) {
    std::string text =
        "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\"><meta name=\"viewport\" "
        "content=\"width=device-width, initial-scale=1\"><title>tarnwick-bench report</title><style>" +
        std::string(style) + "</style></head><body><header><h1>tarnwick-bench report</h1>" + subtitle(model) +
        tally(model) + "</header>" + drivers_section(model) + where_section(model) + overview_section(model) +
        run_checks_section(model);
    for (size_t i = 0; i < model.scenes.size(); ++i)
        text += scene_section(model, model.scenes[i], i);
    return text + "<footer>Written by tarnwick-bench; report.json holds the same facts for machines, "
                  "junit.xml the checks for CI.</footer></body></html>\n";
}

} // namespace tarnwick::bench
