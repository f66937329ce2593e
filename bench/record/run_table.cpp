// A results CSV read back. No GL here.
#include "record/run_table.h"

#include "record/csv_fields.h"
#include "stats/frame_summary.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace tarnwick::bench {

namespace {
// The runs of scene in table, added at the end when it is new.
std::vector<double>& runs_for(run_table& table, const std::string& scene) {
    const auto it = std::find(table.scenes.begin(), table.scenes.end(), scene);
    if (it != table.scenes.end())
        return table.fps[size_t(it - table.scenes.begin())];
    table.scenes.push_back(scene);
    table.fps.emplace_back();
    return table.fps.back();
}

// Each header name paired with the field under it.
std::vector<std::pair<std::string, std::string>> csv_named(const std::vector<std::string>& header,
                                                           const std::vector<std::string>& fields) {
    std::vector<std::pair<std::string, std::string>> pairs;
    for (size_t i = 0; i < header.size() && i < fields.size(); ++i)
        pairs.emplace_back(header[i], fields[i]);
    return pairs;
}

bool whole_number(const std::string& text, double& value) {
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    return !text.empty() && *end == '\0' && std::isfinite(value) && value >= 0.0;
}

// What is wrong with a row of the header's file, or an empty text; fps gets its mean FPS or metric rate.
std::string row_error(const std::vector<std::string>& header, const std::vector<std::string>& fields,
                      const metric& measure, double& fps) {
    if (fields.size() != header.size())
        return std::to_string(fields.size()) + " fields where the header has " +
               std::to_string(header.size());
    const std::vector<std::string> numeric = csv_split(csv_header());
    for (size_t i = 0; i < header.size(); ++i) {
        double value = 0.0;
        const bool measured =
            header[i] != "scene" && std::find(numeric.begin(), numeric.end(), header[i]) != numeric.end();
        if (measured && !whole_number(fields[i], value))
            return header[i] + " '" + fields[i] + "' is not a number";
        if (header[i] != measure.csv_column)
            continue;
        if (!whole_number(fields[i], value) || (measure.column_is_ms && value <= 0.0))
            return header[i] + " '" + fields[i] + "' is no figure above 0 to compare (" + measure.word +
                   " not measured?)";
        fps = measure.column_is_ms ? ms_per_second / value : value;
    }
    return std::string();
}
} // namespace

const std::vector<double>* run_table::runs_of(const std::string& scene) const {
    const auto it = std::find(scenes.begin(), scenes.end(), scene);
    return it == scenes.end() ? nullptr : &fps[size_t(it - scenes.begin())];
}

std::string read_run_table(std::istream& in, run_table& table, const metric& measure) {
    std::string line;
    if (!std::getline(in, line))
        return "no header line";
    const std::vector<std::string> header = csv_split(line);
    const size_t scene = size_t(std::find(header.begin(), header.end(), "scene") - header.begin());
    if (scene == header.size() || std::find(header.begin(), header.end(), measure.csv_column) == header.end())
        return "line 1: no 'scene' and '" + std::string(measure.csv_column) + "' columns";
    for (int number = 2; std::getline(in, line); ++number) {
        if (line.empty())
            continue;
        const std::vector<std::string> fields = csv_split(line);
        double fps = 0.0;
        const std::string error = row_error(header, fields, measure, fps);
        if (!error.empty())
            return "line " + std::to_string(number) + ": " + error;
        if (table.scenes.empty())
            table.origin = provenance_from(csv_named(header, fields));
        runs_for(table, fields[scene]).push_back(fps);
    }
    return std::string();
}

} // namespace tarnwick::bench
