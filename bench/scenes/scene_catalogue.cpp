// The scenes the bench knows, and the NAME[:key=value...] grammar that names one with its settings. No GL.
#include "scenes/scene_catalogue.h"

#include <sstream>

namespace tarnwick::bench {

namespace {
constexpr int max_objects = 5000;
constexpr int max_cycle = 10000000;

std::vector<std::string> split_at_colons(const std::string& text) {
    std::vector<std::string> parts;
    std::stringstream stream(text);
    std::string part;
    while (std::getline(stream, part, ':'))
        parts.push_back(part);
    if (text.empty() || text.back() == ':')
        parts.push_back("");
    return parts;
}

std::string unknown_setting(const scene_info& scene, const std::string& part) {
    std::string error = std::string("scene ") + scene.name + " takes no setting '" + part + "'";
    if (scene.keys.empty())
        return error;
    error += " (it takes";
    for (const scene_key& known : scene.keys)
        error += std::string(" ") + known.name + "=N";
    return error + ")";
}

// One key=value of scene appended to request, or what is wrong with it.
std::string parse_setting(const scene_info& scene, const std::string& part, scene_request& request) {
    const size_t eq = part.find('=');
    const std::string key = part.substr(0, eq);
    const scene_key* k = find_key(scene, key);
    if (eq == std::string::npos || !k)
        return unknown_setting(scene, part);
    int value = 0;
    const std::string text = part.substr(eq + 1);
    if (!whole_number(text, k->lowest, k->highest, value))
        return std::string("scene ") + scene.name + ": " + key + " must be a whole number from " +
               std::to_string(k->lowest) + " to " + std::to_string(k->highest) + ", not '" + text + "'";
    request.settings.emplace_back(key, text);
    return std::string();
}
} // namespace

const std::vector<scene_info>& scene_catalogue() {
    static const std::vector<scene_info> catalogue = {
        {"empty", {}, "clear and present only: the presentation limit", 2},
        {"default", {}, "the game's start scene (backdrop, boss and satellites), paused", 2},
        {"combat",
         {{"enemies", 0, max_objects, 50}, {"shots", 0, max_objects, 100}},
         "the game running with enemies and shots held constant by respawning",
         120},
        {"blur", {}, "the start scene with the six-frame motion blur, the camera turning sideways", 10},
        {"inspect", {}, "the start scene with the five inspection models shown", 2},
        {"filters",
         {{"texture", -1, 1, -1}, {"mipmap", -1, 2, -1}},
         "the start scene under each of the six backdrop filter combinations (-1: all)",
         2},
        {"effects",
         {},
         "the game's mesh programs side by side on still solids, each posed where its effect shows\n"
         "    (a specular highlight, dissolves half burnt, the noise and rainbow colourings)",
         2},
        {"culling",
         {{"enemies", 0, max_objects, 50}, {"shots", 0, max_objects, 100}},
         "combat with frustum culling on, then off",
         120},
        {"barrage",
         {{"level", 1, 4, 4}, {"enemies", 0, max_objects, 50}, {"cycle", 1, max_cycle, 60}},
         "the gun firing without pause at the given level while the camera turns sideways; every cycle\n"
         "    frames the window is resized (up to 2560x1600, down to 1x1, and a zero-area resize) and\n"
         "    motion blur and culling are toggled; afterwards the shots fly out unfired and none of them,\n"
         "    nor any of their GL objects, may be left (else status 1)",
         0},
    };
    return catalogue;
}

const scene_info* find_scene(const std::string& name) {
    for (const scene_info& s : scene_catalogue()) {
        if (name == s.name)
            return &s;
    }
    return nullptr;
}

const scene_key* find_key(const scene_info& scene, const std::string& key) {
    for (const scene_key& k : scene.keys) {
        if (key == k.name)
            return &k;
    }
    return nullptr;
}

bool whole_number(const std::string& text, int lowest, int highest, int& value) {
    constexpr size_t max_digits = 9;
    const size_t sign = text.compare(0, 1, "-") == 0 ? 1 : 0;
    const std::string digits = text.substr(sign);
    if (digits.empty() || digits.size() > max_digits ||
        digits.find_first_not_of("0123456789") != std::string::npos)
        return false;
    value = std::stoi(text);
    return value >= lowest && value <= highest;
}

std::string parse_scene(const std::string& text, scene_request& request) {
    const std::vector<std::string> parts = split_at_colons(text);
    const scene_info* scene = find_scene(parts[0]);
    if (!scene)
        return "unknown scene '" + parts[0] + "' (--list shows the scenes)";
    request = scene_request{parts[0], {}};
    for (size_t i = 1; i < parts.size(); ++i) {
        const std::string error = parse_setting(*scene, parts[i], request);
        if (!error.empty())
            return error;
    }
    return std::string();
}

} // namespace tarnwick::bench
