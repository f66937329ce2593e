// The benchmark's command line: scenes with their settings, run lengths, seed, outputs. No GL here.
#include "bench_options.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <sstream>

namespace {
constexpr int max_side = 16384;
constexpr int max_frames = 10000000;
constexpr int max_objects = 5000;
constexpr double max_fixed_dt = 1.0;

// Whole decimal number in [lowest, highest]; nothing else in the text.
bool parse_int(const std::string& text, long lowest, long highest, long& value) {
    if (text.empty() || !(std::isdigit(static_cast<unsigned char>(text[0])) || text[0] == '-'))
        return false;
    errno = 0;
    char* end = nullptr;
    const long v = std::strtol(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || v < lowest || v > highest)
        return false;
    value = v;
    return true;
}

bool parse_size(const std::string& text, int& width, int& height) {
    const size_t x = text.find('x');
    long w = 0, h = 0;
    if (x == std::string::npos || !parse_int(text.substr(0, x), 1, max_side, w) ||
        !parse_int(text.substr(x + 1), 1, max_side, h))
        return false;
    width = int(w);
    height = int(h);
    return true;
}

bool parse_seconds(const std::string& text, double& seconds) {
    if (text.empty())
        return false;
    errno = 0;
    char* end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    if (errno != 0 || *end != '\0' || !std::isfinite(v) || v <= 0.0 || v > max_fixed_dt)
        return false;
    seconds = v;
    return true;
}

// NAME[:key=value...], checked against the catalogue; error names the first fault.
bool parse_scene(const std::string& text, scene_request& request, std::string& error) {
    std::vector<std::string> parts;
    std::stringstream stream(text);
    std::string part;
    while (std::getline(stream, part, ':'))
        parts.push_back(part);
    if (text.empty() || text.back() == ':')
        parts.push_back("");
    const scene_info* scene = find_scene(parts[0]);
    if (!scene) {
        error = "unknown scene '" + parts[0] + "' (--list shows the scenes)";
        return false;
    }
    request.name = parts[0];
    for (size_t i = 1; i < parts.size(); ++i) {
        const size_t eq = parts[i].find('=');
        const std::string key = parts[i].substr(0, eq);
        const scene_key* k = find_key(*scene, key);
        if (eq == std::string::npos || !k) {
            error = "scene " + request.name + " takes no setting '" + parts[i] + "'";
            if (!scene->keys.empty()) {
                error += " (it takes";
                for (const scene_key& known : scene->keys)
                    error += std::string(" ") + known.name + "=N";
                error += ")";
            }
            return false;
        }
        long value = 0;
        const std::string text_value = parts[i].substr(eq + 1);
        if (!parse_int(text_value, k->lowest, k->highest, value)) {
            error = "scene " + request.name + ": " + key + " must be a whole number from " +
                    std::to_string(k->lowest) + " to " + std::to_string(k->highest) + ", not '" + text_value +
                    "'";
            return false;
        }
        request.settings.emplace_back(key, text_value);
    }
    return true;
}

bool parse_screenshot(const std::string& text, screenshot_request& request) {
    const size_t colon = text.find(':');
    long frame = 0;
    if (colon == std::string::npos || !parse_int(text.substr(0, colon), 1, max_frames, frame))
        return false;
    request.frame = int(frame);
    request.file = text.substr(colon + 1);
    const std::string suffix = ".png";
    return request.file.size() > suffix.size() &&
           request.file.compare(request.file.size() - suffix.size(), suffix.size(), suffix) == 0;
}
} // namespace

const std::vector<scene_info>& scene_catalogue() {
    static const std::vector<scene_info> catalogue = {
        {"empty", {}, "clear and present only: the presentation limit"},
        {"default", {}, "the game's start scene (backdrop, boss and satellites), paused"},
        {"combat",
         {{"enemies", 0, max_objects, 50}, {"shots", 0, max_objects, 100}},
         "the game running with enemies and shots held constant by respawning"},
        {"blur", {}, "the start scene with the six-frame motion blur"},
        {"inspect", {}, "the start scene with the five inspection models shown"},
        {"filters",
         {{"texture", -1, 1, -1}, {"mipmap", -1, 2, -1}},
         "the start scene under each of the six backdrop filter combinations (-1: all)"},
        {"culling",
         {{"enemies", 0, max_objects, 50}, {"shots", 0, max_objects, 100}},
         "combat with frustum culling on, then off"},
        {"barrage",
         {{"level", 1, 4, 4}, {"enemies", 0, max_objects, 50}, {"cycle", 1, max_frames, 60}},
         "the gun firing without pause at the given level while the camera turns sideways; every cycle\n"
         "    frames the window is resized (up to 2560x1600, down to 1x1, and a zero-area resize) and\n"
         "    motion blur and culling are toggled; afterwards the shots fly out unfired and none of them,\n"
         "    nor any of their GL objects, may be left (else status 1)"},
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

parse_result parse_bench_options(const std::vector<std::string>& args) {
    parse_result result;
    bench_options& o = result.options;
    for (size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        std::string value;
        bool has_value = false;
        const size_t eq = name.find('=');
        if (name.compare(0, 2, "--") == 0 && eq != std::string::npos) {
            value = name.substr(eq + 1);
            name = name.substr(0, eq);
            has_value = true;
        }
        if (name == "--help" || name == "-h" || name == "--list" || name == "--startup") {
            if (has_value) {
                result.error = name + " takes no value";
                return result;
            }
            (name == "--list" ? o.list : name == "--startup" ? o.startup_only : o.help) = true;
            continue;
        }
        static const char* const valued[] = {"--size",     "--frames", "--warmup", "--seed",
                                             "--fixed-dt", "--scene",  "--csv",    "--screenshot"};
        bool known = false;
        for (const char* v : valued)
            known = known || name == v;
        if (!known) {
            result.error = "unknown option '" + args[i] + "' (--help shows the options)";
            return result;
        }
        if (!has_value) {
            if (i + 1 >= args.size()) {
                result.error = name + " needs a value";
                return result;
            }
            value = args[++i];
        }

        long number = 0;
        std::string bad;
        if (name == "--size") {
            if (!parse_size(value, o.width, o.height))
                bad = "a size WxH from 1x1 to 16384x16384";
        } else if (name == "--frames") {
            if (parse_int(value, 1, max_frames, number))
                o.frames = int(number);
            else
                bad = "a whole number of frames from 1 to " + std::to_string(max_frames);
        } else if (name == "--warmup") {
            if (parse_int(value, 0, max_frames, number))
                o.warmup = int(number);
            else
                bad = "a whole number of frames from 0 to " + std::to_string(max_frames);
        } else if (name == "--seed") {
            if (parse_int(value, 0, long(UINT_MAX), number))
                o.seed = unsigned(number);
            else
                bad = "a whole number from 0 to " + std::to_string(UINT_MAX);
        } else if (name == "--fixed-dt") {
            if (!parse_seconds(value, o.fixed_dt))
                bad = "seconds above 0 and at most 1";
        } else if (name == "--scene") {
            scene_request request;
            if (!parse_scene(value, request, result.error))
                return result;
            o.scenes.push_back(request);
        } else if (name == "--csv") {
            if (value.empty())
                bad = "a file name";
            else
                o.csv = value;
        } else if (name == "--screenshot") {
            screenshot_request request;
            if (parse_screenshot(value, request))
                o.screenshots.push_back(request);
            else
                bad = "FRAME:FILE.png with a frame from 1";
        }
        if (!bad.empty()) {
            result.error = name + " needs " + bad + ", not '" + value + "'";
            return result;
        }
    }
    result.ok = true;
    return result;
}

std::string bench_usage() {
    std::ostringstream out;
    out << "Usage: tarnwick-bench [options]\n"
           "Runs the game's scenes for a number of frames each and prints frame-time statistics.\n"
           "Run it in the build directory (it reads shaders/, textures/ and meshes/ from there).\n\n"
           "  --size WxH              display size (default 800x600)\n"
           "  --frames N              measured frames per scene (default 300)\n"
           "  --warmup N              unmeasured frames before each scene (default 30)\n"
           "  --seed N                random seed of the simulation (default 1)\n"
           "  --fixed-dt S            advance the simulation S seconds per frame instead of the\n"
           "                          measured frame time; with --seed the run is reproducible\n"
           "  --scene NAME[:k=v...]   a scene to run, repeatable (default: every scene)\n"
           "  --csv FILE              also write the results as CSV\n"
           "  --screenshot F:FILE.png save frame F (counted from 1 over the run, warm-up included)\n"
           "                          as it is before presentation; repeatable\n"
           "  --startup               print the time from process start to the first presented frame\n"
           "                          and exit right after presenting it\n"
           "  --list                  list the scenes and their settings\n"
           "  --help                  this text\n\n"
           "Exit status: 0 done, 1 an OpenGL error, a barrage's shots outliving it or an output file\n"
           "failed, 2 bad options.\n";
    return out.str();
}
