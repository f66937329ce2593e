// The scenes the bench knows, and the NAME[:key=value...] grammar that names one with its settings. No GL.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace tarnwick::bench {

// A scene named on the command line with its key=value settings, in the order given.
struct scene_request {
    std::string name;
    std::vector<std::pair<std::string, std::string>> settings;
};

// A whole-number setting of a scene, its accepted range and its value when not given.
struct scene_key {
    const char* name;
    int lowest;
    int highest;
    int fallback;
};

// A scene the bench knows, the settings it takes and what it measures.
struct scene_info {
    const char* name;
    std::vector<scene_key> keys;
    const char* description;
    // The frame of each run (counted from 1, warm-up included) compared with its reference picture, chosen
    // where the scene shows what it is about; 0: none.
    int reference_frame;
};

const std::vector<scene_info>& scene_catalogue();
// The catalogue entry of name, or null.
const scene_info* find_scene(const std::string& name);
// The setting key of scene, or null.
const scene_key* find_key(const scene_info& scene, const std::string& key);

// A whole decimal number in [lowest, highest], an optional minus sign and digits only; false otherwise.
bool whole_number(const std::string& text, int lowest, int highest, int& value);

// Reads NAME[:key=value...] against the catalogue into request. Returns what is wrong for the user (the
// first fault), or an empty text when the scene is good.
std::string parse_scene(const std::string& text, scene_request& request);

} // namespace tarnwick::bench
