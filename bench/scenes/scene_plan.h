// The scenes by name, the NAME[:setting...] grammar that names one with its settings, and the runs that
// requests make (filters and culling make several). No GL.
#pragma once

#include "scenes/scene.h"

#include <memory>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace tarnwick::bench {

// A scene named on the command line with its settings (name and value's text), in the order given.
struct scene_request {
    std::string name;
    std::vector<std::pair<std::string, std::string>> settings;
};

// Every scene, in the order of --list and of a bench that names none.
const std::vector<std::unique_ptr<scene>>& scene_registry();

// A whole decimal number in [lowest, highest], an optional minus sign and digits only; false otherwise.
bool whole_number(const std::string& text, int lowest, int highest, int& value);

// Reads NAME[:setting...] into request, each setting key=value or, for a setting with words, a word alone
// ("culling:off"). Returns what is wrong for the user (the first fault), or an empty text when good.
std::string parse_scene(const std::string& text, scene_request& request);

// The runs of the requests in order, a later setting winning over an earlier one; no requests means every
// scene with its defaults.
std::vector<scene_run> plan_runs(const std::vector<scene_request>& requests);

// --list's scenes: each with its default settings, its description and a line per setting.
void print_scene_list(std::ostream& out);

} // namespace tarnwick::bench
