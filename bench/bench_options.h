// The benchmark's command line: scenes with their settings, run lengths, seed, outputs. No GL here.
#pragma once

#include <string>
#include <utility>
#include <vector>

// A scene named on the command line with its key=value settings, in the order given.
struct scene_request {
    std::string name;
    std::vector<std::pair<std::string, std::string>> settings;
};

// Saves the back buffer of the given frame (counted from 1 over the whole run, warm-up included).
struct screenshot_request {
    int frame = 0;
    std::string file;
};

struct bench_options {
    int width = 800;
    int height = 600;
    int frames = 300;
    int warmup = 30;
    unsigned seed = 1;
    // Seconds of simulation per frame; 0 means the measured frame time, as the game does.
    double fixed_dt = 0.0;
    // Empty: every scene of the catalogue with its default settings.
    std::vector<scene_request> scenes;
    std::string csv;
    std::vector<screenshot_request> screenshots;
    // Exit as soon as the first frame is presented, after printing how long start-up took.
    bool startup_only = false;
    bool list = false;
    bool help = false;
};

struct parse_result {
    bool ok = false;
    bench_options options;
    // What was wrong, for the user, without a trailing line end.
    std::string error;
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
};

const std::vector<scene_info>& scene_catalogue();
// The catalogue entry of name, or null.
const scene_info* find_scene(const std::string& name);
// The setting key of scene, or null.
const scene_key* find_key(const scene_info& scene, const std::string& key);

// Parses the arguments after the program name. Accepts "--opt value" and "--opt=value".
parse_result parse_bench_options(const std::vector<std::string>& args);

// The usage text printed by --help.
std::string bench_usage();
