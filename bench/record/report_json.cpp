// report.json through nlohmann/json, which escapes the texts and keeps the numbers numbers. Each record
// type's fields are listed once, as a table of JSON name and member, which both directions go through.
// No GL here.
#include "record/report_json.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <limits>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>
#include <tuple>

namespace tarnwick::bench {

using nlohmann::json;

void to_json(json& j, verdict v) { j = verdict_word(v); }
void from_json(const json& j, verdict& v) { v = verdict_of_word(j.get<std::string>()); }

namespace {
constexpr double figure_scale = 1e4;
constexpr double gpu_scale = 1e6;

// A member of S under its JSON name; rounded figures keep 0.1 microsecond (or 0.0001 FPS): finer digits are
// the clock's noise, and they bloat the file. A late field came after the format's first files: such a file
// reads without it.
template <class S, class T> struct field {
    const char* name;
    T S::*member;
    bool rounded, late;
};
template <class S, class T> constexpr field<S, T> of(const char* name, T S::*member, bool rounded = false) {
    return {name, member, rounded, false};
}
template <class S, class T> constexpr field<S, T> late(const char* name, T S::*member, bool rounded = false) {
    return {name, member, rounded, true};
}

void round_figures(json& j) {
    if (j.is_number_float())
        j = std::round(j.get<double>() * figure_scale) / figure_scale;
    // A number iterates as itself.
    for (json& item : j.is_structured() ? j : json::array())
        round_figures(item);
}

template <class T> void put(json& j, const char* name, const T& value, bool rounded) {
    j[name] = value;
    if (rounded)
        round_figures(j[name]);
}
// An optional field is left out when empty.
template <class T> void put(json& j, const char* name, const std::optional<T>& value, bool rounded) {
    if (value)
        put(j, name, *value, rounded);
}
template <class T> void take(const json& j, const char* name, T& value, bool late) {
    if (!late || j.contains(name))
        j.at(name).get_to(value);
}
template <class T> void take(const json& j, const char* name, std::optional<T>& value, bool) {
    if (j.contains(name))
        value = j.at(name).get<T>();
}

template <class S, class... T>
void write_fields(json& j, const S& s, const std::tuple<field<S, T>...>& fields) {
    if (j.is_null())
        j = json::object();
    std::apply([&](const auto&... f) { (put(j, f.name, s.*(f.member), f.rounded), ...); }, fields);
}
template <class S, class... T>
void read_fields(const json& j, S& s, const std::tuple<field<S, T>...>& fields) {
    std::apply([&](const auto&... f) { (take(j, f.name, s.*(f.member), f.late), ...); }, fields);
}
// A comparison's figures of one measure.
template <class S, class... T> S read_as(const json& j, const std::tuple<field<S, T>...>& fields) {
    S s;
    read_fields(j, s, fields);
    return s;
}

const auto summary_fields = std::make_tuple(
    of("frames", &frame_summary::frames), of("mean_fps", &frame_summary::mean_fps, true),
    of("p50_ms", &frame_summary::p50_ms, true), of("p95_ms", &frame_summary::p95_ms, true),
    of("p99_ms", &frame_summary::p99_ms, true), of("max_ms", &frame_summary::max_ms, true),
    of("cpu_ms", &frame_summary::cpu_ms, true),
    late("low_1_percent_fps", &frame_summary::low_1_percent_fps, true),
    late("low_0_1_percent_fps", &frame_summary::low_0_1_percent_fps, true),
    late("slow_frames", &frame_summary::slow_frames), of("gpu_p50_ms", &frame_summary::gpu_p50_ms),
    of("gpu_p99_ms", &frame_summary::gpu_p99_ms), of("gpu_mean_ms", &frame_summary::gpu_mean_ms));
const auto run_fields = std::make_tuple(of("origin", &report_run::origin), of("run", &report_run::number),
                                        of("frame_ms", &report_run::frame_ms, true),
                                        of("instructions", &report_run::instructions, true));
const auto count_fields =
    std::make_tuple(of("frames", &instruction_count::frames), of("per_frame", &instruction_count::per_frame),
                    of("program", &instruction_count::program),
                    of("gl_driver", &instruction_count::gl_driver), of("other", &instruction_count::other));
const auto change_fields =
    std::make_tuple(of("object", &count_change::object), of("function", &count_change::function),
                    of("base_per_frame", &count_change::base), of("new_per_frame", &count_change::fresh),
                    of("change_per_frame", &count_change::change));
const auto count_comparison_fields =
    std::make_tuple(of("base_instructions_per_frame", &count_comparison::base_per_frame),
                    of("new_instructions_per_frame", &count_comparison::new_per_frame),
                    of("instruction_ratio", &count_comparison::ratio),
                    of("instruction_ratio_interval", &count_comparison::ratio_interval),
                    of("base_process_instructions_per_frame", &count_comparison::base_counts),
                    of("new_process_instructions_per_frame", &count_comparison::new_counts),
                    of("spread_percent", &count_comparison::spread_percent),
                    of("agreement_percent", &count_comparison::agreement_percent),
                    of("threshold_percent", &count_comparison::threshold_percent),
                    of("functions", &count_comparison::functions));
const auto origin_fields = std::make_tuple(
    of("renderer", &provenance::renderer), of("gl_version", &provenance::gl_version),
    of("cpu", &provenance::cpu), of("kernel", &provenance::kernel), of("build", &provenance::build),
    of("date", &provenance::date), late("frame_end", &provenance::frame_end),
    late("swap_interval", &provenance::swap_interval));
const auto check_fields =
    std::make_tuple(of("name", &report_check::name), of("origin", &report_check::origin),
                    of("verdict", &report_check::verdict), of("failed", &report_check::failed),
                    of("message", &report_check::message));
const auto picture_fields =
    std::make_tuple(of("reference", &report_pictures::reference), of("actual", &report_pictures::actual),
                    of("diff", &report_pictures::diff));
const auto comparison_fields = std::make_tuple(of("base_origin", &report_comparison::base_origin),
                                               of("new_origin", &report_comparison::new_origin),
                                               of("verdict", &report_comparison::verdict));
// The two measures' ratios point opposite ways (FPS: below 1 slower; frame time: above 1 slower), so they
// have different names.
const auto fps_fields =
    std::make_tuple(of("base_mean_fps", &fps_comparison::base_fps),
                    of("base_sd_fps", &fps_comparison::base_sd), of("new_mean_fps", &fps_comparison::new_fps),
                    of("new_sd_fps", &fps_comparison::new_sd), of("ratio", &fps_comparison::ratio));
const auto frame_time_fields =
    std::make_tuple(of("base_median_frame_ms", &frame_time_comparison::base_ms, true),
                    of("new_median_frame_ms", &frame_time_comparison::new_ms, true),
                    of("frame_time_ratio", &frame_time_comparison::ratio),
                    of("frame_time_ratio_interval_95", &frame_time_comparison::ratio_interval),
                    of("rounds", &frame_time_comparison::rounds),
                    of("threshold_percent", &frame_time_comparison::threshold_percent),
                    of("round_median_frame_ms", &frame_time_comparison::round_ms, true));
// A scene's comparison is left out when it has none; its verdict and whether it failed follow from the rest.
const auto scene_fields =
    std::make_tuple(of("label", &report_scene::label), of("runs", &report_scene::runs),
                    of("checks", &report_scene::checks), of("comparison", &report_scene::comparison));
const auto model_fields =
    std::make_tuple(of("command_line", &report_model::command_line), of("origins", &report_model::origins),
                    of("scenes", &report_model::scenes), of("checks", &report_model::checks));

// provenance's "K=V K2=V2" as {"K": "V", "K2": "V2"}, and back in the object's (sorted) order.
json assignments(const std::string& text) {
    json object = json::object();
    std::istringstream words(text);
    for (std::string word; words >> word;) {
        const size_t equals = word.find('=');
        object[word.substr(0, equals)] = equals == std::string::npos ? "" : word.substr(equals + 1);
    }
    return object;
}

std::string assignment_words(const json& object) {
    std::string words;
    for (const auto& [name, value] : object.items())
        words += (words.empty() ? "" : " ") + name + "=" + value.get<std::string>();
    return words;
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

void to_json(json& j, const instruction_count& c) { write_fields(j, c, count_fields); }
void from_json(const json& j, instruction_count& c) { read_fields(j, c, count_fields); }
void to_json(json& j, const count_change& c) { write_fields(j, c, change_fields); }
void from_json(const json& j, count_change& c) { read_fields(j, c, change_fields); }

void to_json(json& j, const report_origin& o) {
    j = {{"name", o.name}, {"driver_environment", assignments(o.where.driver_env)}};
    write_fields(j, o.where, origin_fields);
    if (!o.where.counting.empty())
        j["counting"] = o.where.counting;
}
void from_json(const json& j, report_origin& o) {
    j.at("name").get_to(o.name);
    read_fields(j, o.where, origin_fields);
    o.where.driver_env = assignment_words(j.at("driver_environment"));
    o.where.counting = j.value("counting", "");
}

void to_json(json& j, const report_run& r) {
    write_fields(j, r, run_fields);
    write_fields(j, r.summary, summary_fields);
    // JSON has no NaN: a frame without a GPU time is null. The timer counts nanoseconds, and a light frame's
    // GL work on a software rasterizer may take fewer than 100 of them: they are kept, not rounded to zero.
    if (r.gpu_frame_ms.empty())
        return;
    json& gpu = j["gpu_frame_ms"] = json::array();
    for (double ms : r.gpu_frame_ms)
        gpu.push_back(std::isfinite(ms) ? json(std::round(ms * gpu_scale) / gpu_scale) : json());
}
void from_json(const json& j, report_run& r) {
    read_fields(j, r, run_fields);
    read_fields(j, r.summary, summary_fields);
    for (const json& ms : j.value("gpu_frame_ms", json::array()))
        r.gpu_frame_ms.push_back(ms.is_null() ? std::numeric_limits<double>::quiet_NaN() : ms.get<double>());
}

void to_json(json& j, const report_check& c) {
    write_fields(j, c, check_fields);
    json images = json::object();
    write_fields(images, c.pictures, picture_fields);
    for (auto it = images.begin(); it != images.end();)
        it = it->get<std::string>().empty() ? images.erase(it) : std::next(it);
    if (!images.empty())
        j["images"] = images;
    if (!c.figures.empty())
        j["figures"] = std::map<std::string, double>(c.figures.begin(), c.figures.end());
}
void from_json(const json& j, report_check& c) {
    read_fields(j, c, check_fields);
    // A picture left out was not kept.
    const json images = j.value("images", json::object());
    std::apply([&](const auto&... f) { ((c.pictures.*(f.member) = images.value(f.name, "")), ...); },
               picture_fields);
    const json figures = j.value("figures", json::object());
    for (const auto& [name, value] : figures.items())
        c.figures.emplace_back(name, value.get<double>());
}

void to_json(json& j, const report_comparison& c) {
    write_fields(j, c, comparison_fields);
    if (const auto* fps = std::get_if<fps_comparison>(&c.figures))
        write_fields(j, *fps, fps_fields);
    else if (const auto* counts = std::get_if<count_comparison>(&c.figures))
        write_fields(j, *counts, count_comparison_fields);
    else
        write_fields(j, std::get<frame_time_comparison>(c.figures), frame_time_fields);
}
void from_json(const json& j, report_comparison& c) {
    read_fields(j, c, comparison_fields);
    if (j.contains("instruction_ratio"))
        c.figures = read_as(j, count_comparison_fields);
    else if (j.contains("frame_time_ratio"))
        c.figures = read_as(j, frame_time_fields);
    else
        c.figures = read_as(j, fps_fields);
}

void to_json(json& j, const report_scene& s) {
    j = {{"verdict", scene_verdict(s)}, {"failed", scene_failed(s)}};
    write_fields(j, s, scene_fields);
}
void from_json(const json& j, report_scene& s) { read_fields(j, s, scene_fields); }

std::string report_json(const report_model& model) {
    json report = {{"format_version", report_format_version},
                   {"mode", mode_word(model.mode)},
                   {"summary", summary_json(model)}};
    write_fields(report, model, model_fields);
    if (!model.metric.empty())
        report["metric"] = model.metric;
    return report.dump() + "\n";
}

std::string read_report_json(const std::string& text, report_model& model) {
    const json j = json::parse(text, nullptr, false);
    if (j.is_discarded() || !j.is_object())
        return "not a JSON object";
    model = report_model();
    try {
        model.mode = mode_of_word(j.value("mode", std::string(mode_word(report_mode::run))));
        read_fields(j, model, model_fields);
        model.metric = j.value("metric", std::string());
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
