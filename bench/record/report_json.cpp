// report.json through nlohmann/json, which escapes the texts and keeps the numbers numbers. No GL here.
#include "record/report_json.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>

namespace tarnwick::bench {

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

// --compare's comparison in FPS; an A/B run's in frame time, its fields named so that neither ratio is read
// as the other (FPS: below 1 slower; frame time: above 1 slower).
json comparison_json(const report_comparison& c) {
    json comparison = {
        {"base_origin", c.base_origin}, {"new_origin", c.new_origin}, {"verdict", verdict_word(c.verdict)}};
    const bool frame_time = c.measure == comparison_measure::median_frame_time;
    if (frame_time) {
        json rounds = json::array();
        for (const std::array<double, 4>& r : c.round_ms)
            rounds.push_back({rounded(r[0]), rounded(r[1]), rounded(r[2]), rounded(r[3])});
        comparison.update({{"base_median_frame_ms", rounded(c.base_ms)},
                           {"new_median_frame_ms", rounded(c.new_ms)},
                           {"frame_time_ratio", c.ratio},
                           {"rounds", c.rounds},
                           {"threshold_percent", c.threshold_percent},
                           {"round_median_frame_ms", rounds}});
    } else {
        comparison.update({{"base_mean_fps", c.base_fps},
                           {"base_sd_fps", c.base_sd},
                           {"new_mean_fps", c.new_fps},
                           {"new_sd_fps", c.new_sd},
                           {"ratio", c.ratio}});
    }
    if (c.ratio_interval)
        comparison[frame_time ? "frame_time_ratio_interval_95" : "ratio_interval_95"] = {
            c.ratio_interval->first, c.ratio_interval->second};
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
    json report = {{"format_version", report_format_version},
                   {"mode", mode_word(model.mode)},
                   {"command_line", model.command_line}};
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

namespace {
report_verdict verdict_from(const std::string& word) {
    for (int v = 0; v < int(report_verdict::unknown); ++v) {
        if (word == verdict_word(report_verdict(v)))
            return report_verdict(v);
    }
    return report_verdict::unknown;
}

// {"K": "V", ...} as provenance's "K=V ..." words, in the object's (sorted) order.
std::string assignment_words(const json& object) {
    std::string words;
    for (const auto& [name, value] : object.items())
        words += (words.empty() ? "" : " ") + name + "=" + value.get<std::string>();
    return words;
}

report_run run_from(const json& r) {
    report_run run{
        r.at("origin").get<int>(), r.at("run").get<int>(), {}, r.at("frame_ms").get<std::vector<double>>()};
    run.summary = {r.at("frames").get<int>(),    r.at("mean_fps").get<double>(), r.at("p50_ms").get<double>(),
                   r.at("p95_ms").get<double>(), r.at("p99_ms").get<double>(),   r.at("max_ms").get<double>(),
                   r.at("cpu_ms").get<double>()};
    return run;
}

report_check check_from(const json& c) {
    report_check check{c.at("name").get<std::string>(),
                       c.at("origin").get<int>(),
                       verdict_from(c.at("verdict").get<std::string>()),
                       c.at("failed").get<bool>(),
                       c.at("message").get<std::string>(),
                       {},
                       {}};
    const json images = c.value("images", json::object());
    check.pictures = {images.value("reference", ""), images.value("actual", ""), images.value("diff", "")};
    const json figures = c.value("figures", json::object());
    for (const auto& [name, value] : figures.items())
        check.figures.emplace_back(name, value.get<double>());
    return check;
}

// Whether every run and check names an origin the model has.
bool origins_known(const report_model& model) {
    const auto known = [&model](int origin) { return origin >= 0 && size_t(origin) < model.origins.size(); };
    const auto checks_known = [&known](const std::vector<report_check>& checks) {
        return std::all_of(checks.begin(), checks.end(),
                           [&known](const report_check& c) { return known(c.origin); });
    };
    return checks_known(model.checks) &&
           std::all_of(model.scenes.begin(), model.scenes.end(), [&](const report_scene& s) {
               return checks_known(s.checks) &&
                      std::all_of(s.runs.begin(), s.runs.end(),
                                  [&known](const report_run& r) { return known(r.origin); });
           });
}
} // namespace

std::string read_report_json(const std::string& text, report_model& model) {
    const json j = json::parse(text, nullptr, false);
    if (j.is_discarded() || !j.is_object())
        return "not a JSON object";
    model = report_model();
    try {
        const std::string mode = j.value("mode", std::string(mode_word(report_mode::run)));
        for (report_mode m :
             {report_mode::run, report_mode::compare, report_mode::ab, report_mode::drivers}) {
            if (mode == mode_word(m))
                model.mode = m;
        }
        model.command_line = j.at("command_line").get<std::string>();
        for (const json& o : j.at("origins"))
            model.add_origin(o.at("name").get<std::string>(),
                             provenance{o.at("renderer").get<std::string>(),
                                        o.at("gl_version").get<std::string>(), o.at("cpu").get<std::string>(),
                                        o.at("kernel").get<std::string>(),
                                        assignment_words(o.at("driver_environment")),
                                        o.at("build").get<std::string>(), o.at("date").get<std::string>()});
        for (const json& s : j.at("scenes")) {
            report_scene& scene = model.scene(s.at("label").get<std::string>());
            for (const json& r : s.at("runs"))
                scene.runs.push_back(run_from(r));
            for (const json& c : s.at("checks"))
                scene.checks.push_back(check_from(c));
        }
        for (const json& c : j.at("checks"))
            model.checks.push_back(check_from(c));
    } catch (const json::exception& e) {
        return e.what();
    }
    return origins_known(model) ? std::string() : "a run or check names an origin the report does not have";
}

std::string read_report(const std::filesystem::path& file, report_model& model) {
    std::ifstream in(file);
    std::stringstream text;
    text << in.rdbuf();
    const std::string error = in ? read_report_json(text.str(), model) : "cannot be read";
    return error.empty() ? error : file.string() + ": " + error;
}

} // namespace tarnwick::bench
