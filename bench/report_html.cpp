// index.html, written by hand: a small page whose every text goes through html_text. No GL here.
#include "report_html.h"

#include "report_plot.h"

#include <algorithm>
#include <cstdio>
#include <map>

namespace {
const report_verdict every_verdict[] = {
    report_verdict::ok,        report_verdict::fail,         report_verdict::faster, report_verdict::slower,
    report_verdict::no_change, report_verdict::inconclusive, report_verdict::unknown};

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
white-space:nowrap;color:#fff}
.v-ok{background:#1a7f37}.v-fail{background:#cf222e}.v-faster{background:#0969da}.v-slower{background:#bc4c00}
.v-no-change{background:#59636e}.v-inconclusive{background:#8250df}
.v-unknown{background:#eaeef2;color:#31363c;box-shadow:inset 0 0 0 1px #afb8c1}
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
@media (max-width:600px){body{padding:10px 10px 30px}.scene{padding:10px}table{font-size:.8rem}
th,td{padding:.25em .35em}thead th,thead th.num{white-space:normal}
.wide{display:none}.plot .tick,.plot .mark{font-size:19px}}
)";

std::string fixed(double v, int decimals) {
    char text[40];
    std::snprintf(text, sizeof text, "%.*f", decimals, v);
    return text;
}

std::string verdict_span(report_verdict v, const std::string& text = "") {
    return "<span class=\"verdict " + verdict_class(v) + "\">" +
           html_text(text.empty() ? verdict_word(v) : text) + "</span>";
}

std::string verdict_cell(report_verdict v) {
    return "<td class=\"verdict-cell\">" + verdict_span(v) + "</td>";
}

// A scene's label, allowed to break after each ':' on a narrow screen.
std::string label_text(const std::string& label) {
    std::string text;
    for (char c : label)
        text += c == ':' ? ":<wbr>" : html_text(std::string(1, c));
    return text;
}

std::string num_cell(double v, int decimals, const char* more = "") {
    return "<td class=\"num" + std::string(more) + "\">" + fixed(v, decimals) + "</td>";
}

// A table's head; the columns that are not figures align left, the figures right, and the frame count,
// the p95 and the longest frame give way on a narrow screen.
std::string head_row(const std::vector<std::string>& names) {
    static const std::vector<std::string> words = {"scene", "verdict", "origin", "renderer"};
    std::string row = "<thead><tr>";
    for (const std::string& n : names) {
        const bool figure = std::find(words.begin(), words.end(), n) == words.end();
        const bool wide = n == "p95 ms" || n == "max ms" || n == "frames";
        row += (figure ? wide ? "<th class=\"num wide\">" : "<th class=\"num\">" : "<th>") + html_text(n) +
               "</th>";
    }
    return row + "</tr></thead>";
}

std::string anchor(size_t index) { return "scene-" + std::to_string(index + 1); }

// The origins that have runs, in index order.
std::vector<int> run_origins(const report_model& model) {
    std::vector<int> found;
    for (const report_scene& s : model.scenes) {
        for (const report_run& r : s.runs) {
            if (std::find(found.begin(), found.end(), r.origin) == found.end())
                found.push_back(r.origin);
        }
    }
    std::sort(found.begin(), found.end());
    return found;
}

// A scene's runs on one origin, summed into their means.
frame_summary mean_of_runs(const report_scene& s, int origin) {
    frame_summary m;
    int n = 0;
    for (const report_run& r : s.runs) {
        if (r.origin != origin)
            continue;
        ++n;
        m.frames += r.summary.frames;
        m.mean_fps += r.summary.mean_fps;
        m.p50_ms += r.summary.p50_ms;
        m.p99_ms += r.summary.p99_ms;
        m.cpu_ms += r.summary.cpu_ms;
    }
    if (n > 0) {
        m.mean_fps /= n;
        m.p50_ms /= n;
        m.p99_ms /= n;
        m.cpu_ms /= n;
    }
    return m;
}

// The count of each scene verdict, then what fails the bench where the verdicts do not say it: scenes
// whose checks failed, failed checks of the whole run.
std::string tally(const report_model& model) {
    std::map<report_verdict, int> counts;
    const long scenes = std::count_if(model.scenes.begin(), model.scenes.end(),
                                      [](const report_scene& s) { return scene_failed(s); });
    const long checks = std::count_if(model.checks.begin(), model.checks.end(),
                                      [](const report_check& c) { return c.failed; });
    for (const report_scene& s : model.scenes)
        ++counts[scene_verdict(s)];
    std::string text = "<p class=\"tally\">" + std::to_string(model.scenes.size()) + " scene(s):";
    for (report_verdict v : every_verdict) {
        if (counts[v] > 0)
            text += " " + verdict_span(v, std::to_string(counts[v]) + " " + verdict_word(v));
    }
    // Failed scenes are all FAIL but where another check (a slowdown) failed them: say so then only.
    if (scenes == counts[report_verdict::fail] && checks == 0)
        return text + "</p>";
    text += " · failing:";
    if (scenes > 0)
        text += " " + verdict_span(report_verdict::fail, std::to_string(scenes) + " scene(s)");
    if (checks > 0)
        text += " " + verdict_span(report_verdict::fail, std::to_string(checks) + " check(s) of the run");
    return text + "</p>";
}

std::string where_section(const report_model& model) {
    const std::vector<std::pair<std::string, std::string>> names = {
        {"renderer", "Renderer"}, {"gl_version", "GL version"},       {"cpu", "CPU"},
        {"kernel", "Kernel"},     {"driver_env", "Driver variables"}, {"build", "Build (git describe)"},
        {"date", "Date (UTC)"}};
    std::string text =
        "<section id=\"where\"><h2>What ran and where</h2><div class=\"scroll\"><table class=\"where\">";
    if (model.origins.size() > 1) {
        text += "<thead><tr><th></th>";
        for (const report_origin& o : model.origins)
            text += "<th>" + html_text(o.name) + "</th>";
        text += "</tr></thead>";
    }
    for (size_t f = 0; f < names.size(); ++f) {
        text += "<tr><th>" + names[f].second + "</th>";
        for (const report_origin& o : model.origins) {
            const std::string value = provenance_fields(o.where)[f].second;
            const std::vector<std::string> differ =
                provenance_differences(model.origins.front().where, o.where);
            const bool differs = std::find(differ.begin(), differ.end(), names[f].first) != differ.end();
            text += std::string(differs ? "<td class=\"differs\">" : "<td>") +
                    html_text(value.empty() ? "(none)" : value) + "</td>";
        }
        text += "</tr>";
    }
    return text + "</table></div><p>Command line</p><pre><code>" + html_text(model.command_line) +
           "</code></pre></section>";
}

// With runs on more than one origin (a driver matrix): per origin, its renderer and how many scenes
// passed its checks.
std::string origins_section(const report_model& model) {
    if (run_origins(model).size() < 2)
        return "";
    std::string text = "<section id=\"origins\"><h2>Per origin</h2><div class=\"scroll\"><table>" +
                       head_row({"origin", "renderer", "scenes ok", "scenes failed"}) + "<tbody>";
    for (size_t i = 0; i < model.origins.size(); ++i) {
        const long failed = std::count_if(model.scenes.begin(), model.scenes.end(),
                                          [i](const report_scene& s) { return scene_failed(s, int(i)); });
        text += "<tr><td>" + html_text(model.origins[i].name) + "</td><td>" +
                html_text(model.origins[i].where.renderer) + "</td><td class=\"num\">" +
                std::to_string(long(model.scenes.size()) - failed) + "</td><td class=\"num\">" +
                std::to_string(failed) + "</td></tr>";
    }
    return text + "</tbody></table></div></section>";
}

std::string overview_section(const report_model& model) {
    const std::vector<int> origins = run_origins(model);
    const bool compared = std::any_of(model.scenes.begin(), model.scenes.end(),
                                      [](const report_scene& s) { return s.comparison.has_value(); });
    std::vector<std::string> names = {"scene", "verdict"};
    if (compared)
        names.insert(names.end(), {"base FPS", "new FPS", "ratio"});
    else if (origins.size() == 1)
        names.insert(names.end(), {"FPS", "p50 ms", "p99 ms", "CPU ms"});
    else
        for (int o : origins)
            names.push_back("FPS " + model.origins[size_t(o)].name);
    std::string text =
        "<section id=\"scenes\"><h2>Scenes</h2><div class=\"scroll\"><table class=\"overview\">" +
        head_row(names) + "<tbody>";
    for (size_t i = 0; i < model.scenes.size(); ++i) {
        const report_scene& s = model.scenes[i];
        text += "<tr data-scene=\"" + html_text(s.label) + "\"><td class=\"label\"><a href=\"#" + anchor(i) +
                "\">" + label_text(s.label) + "</a></td>" + verdict_cell(scene_verdict(s));
        if (compared && s.comparison)
            text += num_cell(s.comparison->base_fps, 1) + num_cell(s.comparison->new_fps, 1) +
                    num_cell(s.comparison->ratio, 3);
        else if (compared)
            text += "<td></td><td></td><td></td>";
        else if (origins.size() == 1) {
            const frame_summary m = mean_of_runs(s, origins.front());
            text += num_cell(m.mean_fps, 1) + num_cell(m.p50_ms, 2) + num_cell(m.p99_ms, 2) +
                    num_cell(m.cpu_ms, 3);
        } else
            for (int o : origins)
                text += num_cell(mean_of_runs(s, o).mean_fps, 1);
        text += "</tr>";
    }
    return text + "</tbody></table></div></section>";
}

std::string checks_table(const report_model& model, const std::vector<report_check>& checks) {
    std::string text = "<div class=\"scroll\"><table class=\"checks\"><tbody>";
    for (const report_check& c : checks) {
        const std::string who =
            model.origins.size() > 1 ? " (" + model.origins[size_t(c.origin)].name + ")" : "";
        text += "<tr data-check=\"" + html_text(c.name) + "\" data-origin=\"" + std::to_string(c.origin) +
                "\"><th>" + html_text(c.name + who) + "</th>" + verdict_cell(c.verdict) + "<td>" +
                html_text(c.message) + "</td></tr>";
    }
    return text + "</tbody></table></div>";
}

std::string runs_table(const report_model& model, const report_scene& s) {
    if (s.runs.empty())
        return "";
    const bool several = model.origins.size() > 1;
    std::vector<std::string> names = {"run",    "frames", "FPS",    "p50 ms",
                                      "p95 ms", "p99 ms", "max ms", "CPU ms"};
    if (several)
        names.insert(names.begin(), "origin");
    std::string text = "<div class=\"scroll\"><table class=\"runs\">" + head_row(names) + "<tbody>";
    for (const report_run& r : s.runs) {
        const frame_summary& m = r.summary;
        text += "<tr>" + (several ? "<td>" + html_text(model.origins[size_t(r.origin)].name) + "</td>" : "") +
                "<td class=\"num\">" + std::to_string(r.number) + "</td><td class=\"num wide\">" +
                std::to_string(m.frames) + "</td>" + num_cell(m.mean_fps, 1) + num_cell(m.p50_ms, 2) +
                num_cell(m.p95_ms, 2, " wide") + num_cell(m.p99_ms, 2) + num_cell(m.max_ms, 2, " wide") +
                num_cell(m.cpu_ms, 3) + "</tr>";
    }
    return text + "</tbody></table></div>";
}

std::string comparison_table(const report_model& model, const report_scene& s) {
    if (!s.comparison)
        return "";
    const report_comparison& c = *s.comparison;
    const std::string base = model.origins[size_t(c.base_origin)].name;
    const std::string fresh = model.origins[size_t(c.new_origin)].name;
    std::string text =
        "<div class=\"scroll\"><table class=\"comparison\">" +
        head_row({base + " FPS", "sd", fresh + " FPS", "sd", "ratio", "95% interval", "verdict"}) +
        "<tbody><tr>" + num_cell(c.base_fps, 1) + num_cell(c.base_sd, 1) + num_cell(c.new_fps, 1) +
        num_cell(c.new_sd, 1) + num_cell(c.ratio, 3) + "<td class=\"num\">" +
        (c.ratio_interval ? fixed(c.ratio_interval->first, 3) + " to " + fixed(c.ratio_interval->second, 3)
                          : std::string("—")) +
        "</td>" + verdict_cell(c.verdict) + "</tr></tbody></table></div>";
    return text;
}

std::string pictures(const report_model& model, const report_scene& s) {
    std::string text;
    for (const report_check& c : s.checks) {
        const std::pair<const char*, const std::string*> kinds[] = {
            {"reference", &c.pictures.reference}, {"actual", &c.pictures.actual}, {"diff", &c.pictures.diff}};
        for (const auto& [kind, file] : kinds) {
            if (file->empty())
                continue;
            const std::string who =
                model.origins.size() > 1 ? model.origins[size_t(c.origin)].name + " " : "";
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
    for (const report_run& r : s.runs) {
        if (r.frame_ms.empty())
            continue;
        const std::string who = model.origins.size() > 1 ? model.origins[size_t(r.origin)].name + " " : "";
        series.push_back({who + "run " + std::to_string(r.number), r.frame_ms});
    }
    if (series.empty())
        return "";
    std::string legend = "<ul class=\"legend\"><li>ms per frame:</li>";
    for (size_t i = 0; i < series.size(); ++i)
        legend += "<li><span class=\"swatch\" style=\"background:" + std::string(series_colour(i)) +
                  "\"></span>" + html_text(series[i].name) + "</li>";
    return "<figure class=\"plot\">" +
           frame_time_svg(series, "Frame times of " + s.label + " in milliseconds") + legend +
           "</ul></figure>";
}

std::string scene_section(const report_model& model, const report_scene& s, size_t index) {
    const report_verdict v = scene_verdict(s);
    const std::string look = scene_failed(s) ? " failed" : v == report_verdict::ok ? "" : " judged";
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
    std::string escaped;
    escaped.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '&':
            escaped += "&amp;";
            break;
        case '<':
            escaped += "&lt;";
            break;
        case '>':
            escaped += "&gt;";
            break;
        case '"':
            escaped += "&quot;";
            break;
        case '\'':
            escaped += "&#39;";
            break;
        default:
            escaped += c;
        }
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

std::string verdict_class(report_verdict v) {
    std::string name = verdict_word(v);
    std::transform(name.begin(), name.end(), name.begin(),
                   [](char c) { return c == ' ' ? '-' : std::tolower(c); });
    return "v-" + name;
}

std::string report_html(const report_model& model) {
    std::string text =
        "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\"><meta name=\"viewport\" "
        "content=\"width=device-width, initial-scale=1\"><title>tarnwick-bench report</title><style>" +
        std::string(style) + "</style></head><body><header><h1>tarnwick-bench report</h1>" + tally(model) +
        "</header>" + where_section(model) + origins_section(model) + overview_section(model);
    if (!model.checks.empty())
        text += "<section id=\"checks\"><h2>Checks of the whole run</h2>" +
                checks_table(model, model.checks) + "</section>";
    for (size_t i = 0; i < model.scenes.size(); ++i)
        text += scene_section(model, model.scenes[i], i);
    return text + "<footer>Written by tarnwick-bench; report.json holds the same facts for machines, "
                  "junit.xml the checks for CI.</footer></body></html>\n";
}
