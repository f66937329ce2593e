// Comparing two bench results files: per scene, the mean FPS of each file's runs, their spread, and
// whether the difference lies beyond the runs' noise (Welch's t-test, two-sided, at 95%). No GL here.
#include "runners/run_comparison.h"

#include "record/csv_fields.h"
#include "stats/t_distribution.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <numeric>
#include <sstream>

namespace tarnwick::bench {

namespace {
constexpr double significance = 0.05;
constexpr int label_width = 34;

// The runs of scene in table, added at the end when it is new.
std::vector<double>& runs_for(run_table& table, const std::string& scene) {
    const auto it = std::find(table.scenes.begin(), table.scenes.end(), scene);
    if (it != table.scenes.end())
        return table.fps[size_t(it - table.scenes.begin())];
    table.scenes.push_back(scene);
    table.fps.emplace_back();
    return table.fps.back();
}

double mean(const std::vector<double>& v) {
    return std::accumulate(v.begin(), v.end(), 0.0) / double(v.size());
}

// The sample variance (n - 1 in the denominator); 0 for fewer than two values.
double variance(const std::vector<double>& v) {
    if (v.size() < 2)
        return 0.0;
    const double m = mean(v);
    double sum = 0.0;
    for (double x : v)
        sum += (x - m) * (x - m);
    return sum / double(v.size() - 1);
}

// A list of names for a closing line, joined by commas.
void add_to(std::string& list, const std::string& name) { list += (list.empty() ? "" : ", ") + name; }

const char* verdict_name(verdict v) {
    static const char* const names[] = {"no change", "faster", "slower", "unknown (needs 2 runs each)"};
    return names[int(v)];
}

std::string comparison_row(const scene_comparison& c) {
    char line[256];
    std::snprintf(line, sizeof line, "%-*s %9.1f %7.1f %9.1f %7.1f %6.3f  %s", label_width, c.scene.c_str(),
                  c.base_mean, c.base_spread, c.new_mean, c.new_spread, c.ratio, verdict_name(c.result));
    return line;
}

// The scenes of table that other lacks, after the given words; nothing when there are none.
void print_missing(const run_table& table, const run_table& other, const std::string& words,
                   std::ostream& out) {
    std::string list;
    for (const std::string& scene : table.scenes) {
        if (!other.runs_of(scene))
            list += (list.empty() ? "" : ", ") + scene;
    }
    if (!list.empty())
        out << words << ": " << list << "\n";
}
} // namespace

const std::vector<double>* run_table::runs_of(const std::string& scene) const {
    const auto it = std::find(scenes.begin(), scenes.end(), scene);
    return it == scenes.end() ? nullptr : &fps[size_t(it - scenes.begin())];
}

std::string read_run_table(std::istream& in, run_table& table) {
    std::string line;
    if (!std::getline(in, line))
        return "no header line";
    const std::vector<std::string> header = csv_split(line);
    const size_t scene = size_t(std::find(header.begin(), header.end(), "scene") - header.begin());
    const size_t fps = size_t(std::find(header.begin(), header.end(), "mean_fps") - header.begin());
    if (scene == header.size() || fps == header.size())
        return "line 1: no 'scene' and 'mean_fps' columns";
    for (int number = 2; std::getline(in, line); ++number) {
        if (line.empty())
            continue;
        const std::vector<std::string> fields = csv_split(line);
        if (table.scenes.empty())
            table.origin = provenance_from(csv_named(header, fields));
        char* end = nullptr;
        const bool complete = fields.size() > std::max(scene, fps) && !fields[fps].empty();
        const double value = complete ? std::strtod(fields[fps].c_str(), &end) : 0.0;
        if (!complete || *end != '\0' || !std::isfinite(value) || value < 0.0)
            return "line " + std::to_string(number) + ": no scene with a mean FPS";
        runs_for(table, fields[scene]).push_back(value);
        if (table.scenes.size() == 1 && table.fps.front().size() == 1) {
            std::vector<std::pair<std::string, std::string>> named;
            for (size_t i = 0; i < std::min(header.size(), fields.size()); ++i)
                named.emplace_back(header[i], fields[i]);
            table.origin = provenance_from(named);
        }
    }
    return std::string();
}

double welch_p_value(const std::vector<double>& a, const std::vector<double>& b) {
    const double va = variance(a) / double(a.size());
    const double vb = variance(b) / double(b.size());
    const double se2 = va + vb;
    if (se2 <= 0.0)
        return mean(a) == mean(b) ? 1.0 : 0.0;
    const double t = (mean(a) - mean(b)) / std::sqrt(se2);
    const double df = se2 * se2 / (va * va / double(a.size() - 1) + vb * vb / double(b.size() - 1));
    return two_sided_t_p_value(t, df);
}

scene_comparison compare_scene(const std::string& scene, const std::vector<double>& base,
                               const std::vector<double>& fresh) {
    scene_comparison c;
    c.scene = scene;
    c.base_mean = mean(base);
    c.new_mean = mean(fresh);
    c.base_spread = std::sqrt(variance(base));
    c.new_spread = std::sqrt(variance(fresh));
    c.ratio = c.base_mean > 0.0 ? c.new_mean / c.base_mean : 0.0;
    if (base.size() < 2 || fresh.size() < 2)
        c.result = verdict::unknown;
    else if (welch_p_value(base, fresh) >= significance)
        c.result = verdict::no_change;
    else
        c.result = c.new_mean > c.base_mean ? verdict::faster : verdict::slower;
    return c;
}

int print_comparison(const run_table& base, const run_table& fresh, const std::string& base_name,
                     const std::string& new_name, double fail_slower_percent, std::ostream& out) {
    char header[256];
    std::snprintf(header, sizeof header, "%-*s %9s %7s %9s %7s %6s  %s", label_width, "scene", "base FPS",
                  "sd", "new FPS", "sd", "ratio", "verdict");
    out << "comparing " << base_name << " (base) with " << new_name
        << ": mean FPS over the runs with their standard deviation (sd);\n"
           "the verdict is Welch's t-test, two-sided, at 95%\n";
    for (const std::string& line : describe_differences(base.origin, fresh.origin, base_name, new_name))
        out << line << "\n";
    out << header << "\n";
    std::string too_slow, unjudged;
    for (const std::string& scene : base.scenes) {
        const std::vector<double>* fresh_runs = fresh.runs_of(scene);
        if (!fresh_runs)
            continue;
        const scene_comparison c = compare_scene(scene, *base.runs_of(scene), *fresh_runs);
        out << comparison_row(c) << "\n";
        if (c.result == verdict::slower && (1.0 - c.ratio) * 100.0 > fail_slower_percent)
            add_to(too_slow, scene);
        if (c.result == verdict::unknown)
            add_to(unjudged, scene);
    }
    print_missing(base, fresh, "only in " + base_name, out);
    print_missing(fresh, base, "only in " + new_name, out);
    if (fail_slower_percent < 0.0)
        return 0;
    if (!too_slow.empty())
        out << "slower by more than " << fail_slower_percent << "% beyond noise: " << too_slow << "\n";
    if (!unjudged.empty())
        out << "cannot judge with --fail-slower (fewer than 2 runs on a side; --repeat 2 or more): "
            << unjudged << "\n";
    return !too_slow.empty() ? 4 : !unjudged.empty() ? 5 : 0;
}

} // namespace tarnwick::bench
