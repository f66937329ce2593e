// report.json through nlohmann/json, which escapes the texts and keeps the numbers numbers. No GL here.
#include "report_json.h"

#include <cmath>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>

using nlohmann::json;

namespace {
constexpr double figure_scale = 1e4;

// "K=V K2=V2" as {"K": "V", "K2": "V2"}.
json assignments(const std::string& text) {
    json object = json::object();
    std::istringstream words(text);
    std::string word;
    while (words >> word) {
        const size_t equals = word.find('=');
        object[word.substr(0, equals)] = equals == std::string::npos ? "" : word.substr(equals + 1);
    }
    return object;
}

json origin_json(const report_origin& o) {
    const provenance& p = o.where;
    return {{"name", o.name},   {"renderer", p.renderer}, {"gl_version", p.gl_version},
            {"cpu", p.cpu},     {"kernel", p.kernel},     {"driver_environment", assignments(p.driver_env)},
            {"build", p.build}, {"date", p.date}};
}

// Figures to 0.1 microsecond (or 0.0001 FPS): finer digits are the clock's noise, and they bloat the file.
double rounded(double v) { return std::round(v * figure_scale) / figure_scale; }

json run_json(const report_run& r) {
    const frame_summary& s = r.summary;
    json frames = json::array();
    for (double ms : r.frame_ms)
        frames.push_back(rounded(ms));
    return {{"origin", r.origin},          {"run", r.number},
            {"frames", s.frames},          {"mean_fps", rounded(s.mean_fps)},
            {"p50_ms", rounded(s.p50_ms)}, {"p95_ms", rounded(s.p95_ms)},
            {"p99_ms", rounded(s.p99_ms)}, {"max_ms", rounded(s.max_ms)},
            {"cpu_ms", rounded(s.cpu_ms)}, {"frame_ms", frames}};
}

json check_json(const report_check& c) {
    json check = {{"name", c.name},
                  {"origin", c.origin},
                  {"verdict", verdict_word(c.verdict)},
                  {"failed", c.failed},
                  {"message", c.message}};
    json images = json::object();
    const std::pair<const char*, const std::string*> pictures[] = {
        {"reference", &c.pictures.reference}, {"actual", &c.pictures.actual}, {"diff", &c.pictures.diff}};
    for (const auto& [kind, file] : pictures) {
        if (!file->empty())
            images[kind] = *file;
    }
    if (!images.empty())
        check["images"] = images;
    if (!c.figures.empty())
        check["figures"] = json(std::map<std::string, double>(c.figures.begin(), c.figures.end()));
    return check;
}

json comparison_json(const report_comparison& c) {
    json comparison = {{"base_origin", c.base_origin},
                       {"new_origin", c.new_origin},
                       {"base_mean_fps", c.base_fps},
                       {"base_sd_fps", c.base_sd},
                       {"new_mean_fps", c.new_fps},
                       {"new_sd_fps", c.new_sd},
                       {"ratio", c.ratio},
                       {"verdict", verdict_word(c.verdict)}};
    if (c.ratio_interval)
        comparison["ratio_interval_95"] = {c.ratio_interval->first, c.ratio_interval->second};
    return comparison;
}

json checks_json(const std::vector<report_check>& checks) {
    json list = json::array();
    for (const report_check& c : checks)
        list.push_back(check_json(c));
    return list;
}

json scene_json(const report_scene& s) {
    json scene = {
        {"label", s.label}, {"verdict", verdict_word(scene_verdict(s))}, {"failed", scene_failed(s)}};
    scene["runs"] = json::array();
    for (const report_run& r : s.runs)
        scene["runs"].push_back(run_json(r));
    if (s.comparison)
        scene["comparison"] = comparison_json(*s.comparison);
    scene["checks"] = checks_json(s.checks);
    return scene;
}

json summary_json(const report_model& model) {
    std::map<std::string, int> verdicts;
    int failed = 0;
    for (const report_scene& s : model.scenes) {
        ++verdicts[verdict_word(scene_verdict(s))];
        failed += scene_failed(s) ? 1 : 0;
    }
    for (const report_check& c : model.checks)
        failed += c.failed ? 1 : 0;
    return {{"scenes", model.scenes.size()}, {"verdicts", verdicts}, {"failures", failed}};
}
} // namespace

std::string report_json(const report_model& model) {
    json report = {{"format_version", report_format_version}, {"command_line", model.command_line}};
    report["origins"] = json::array();
    for (const report_origin& o : model.origins)
        report["origins"].push_back(origin_json(o));
    report["summary"] = summary_json(model);
    report["scenes"] = json::array();
    for (const report_scene& s : model.scenes)
        report["scenes"].push_back(scene_json(s));
    report["checks"] = checks_json(model.checks);
    return report.dump() + "\n";
}
