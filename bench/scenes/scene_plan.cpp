// The registry of scenes, the NAME[:setting...] grammar over it, and the runs that requests make. No GL.
#include "scenes/scene_plan.h"

#include <algorithm>

namespace tarnwick::bench {

// The registry: one line per scene, in the order of --list and of a bench that names no scene. The scene
// NAME is made by make_NAME_scene, which its file NAME_scene.cpp defines.
#define TARNWICK_BENCH_SCENES(SCENE)                                                                         \
    SCENE(empty)                                                                                             \
    SCENE(default)                                                                                           \
    SCENE(combat)                                                                                            \
    SCENE(blur)                                                                                              \
    SCENE(inspect)                                                                                           \
    SCENE(filters)                                                                                           \
    SCENE(effects)                                                                                           \
    SCENE(culling)                                                                                           \
    SCENE(barrage)

#define TARNWICK_DECLARE_SCENE(name) std::unique_ptr<scene> make_##name##_scene();
TARNWICK_BENCH_SCENES(TARNWICK_DECLARE_SCENE)

const std::vector<std::unique_ptr<scene>>& scene_registry() {
    static const std::vector<std::unique_ptr<scene>> registry = [] {
        std::vector<std::unique_ptr<scene>> made;
#define TARNWICK_MAKE_SCENE(name) made.push_back(make_##name##_scene());
        TARNWICK_BENCH_SCENES(TARNWICK_MAKE_SCENE)
        return made;
    }();
    return registry;
}

namespace {
// The scene called name, or null.
scene* find_scene(const std::string& name) {
    const auto& all = scene_registry();
    const auto found = std::find_if(all.begin(), all.end(), [&](const auto& s) { return name == s->name; });
    return found == all.end() ? nullptr : found->get();
}

// How a setting is written: "enemies=N", or its words "on|off".
std::string setting_form(const scene_option& option) {
    std::string form = option.words.empty() ? std::string(option.name) + "=N" : "";
    for (const char* word : option.words)
        form += (form.empty() ? "" : "|") + std::string(word);
    return form;
}

// The value that text gives option: a word's place among its words, or a whole number in its range.
bool option_value(const scene_option& option, const std::string& text, int& value) {
    if (option.words.empty())
        return whole_number(text, option.lowest, option.highest, value);
    const auto word = std::find(option.words.begin(), option.words.end(), text);
    value = int(word - option.words.begin());
    return word != option.words.end();
}

// One setting of scene appended to request, or what is wrong with it.
std::string parse_setting(const scene& s, const std::string& part, scene_request& request) {
    const size_t eq = part.find('=');
    int value = 0;
    // key=value names its option; a word alone is one of its option's words.
    const auto option = std::find_if(s.options.begin(), s.options.end(), [&](const scene_option& o) {
        return eq == std::string::npos ? !o.words.empty() && option_value(o, part, value)
                                       : part.substr(0, eq) == o.name;
    });
    const std::string head = std::string("scene ") + s.name;
    if (option == s.options.end()) {
        std::string takes;
        for (const scene_option& o : s.options)
            takes += " " + setting_form(o);
        return head + " takes no setting '" + part + "'" + (takes.empty() ? "" : " (it takes" + takes + ")");
    }
    // A word alone is all value (npos + 1 is 0).
    const std::string text = part.substr(eq + 1);
    if (!option_value(*option, text, value))
        return head + ": " + option->name + " must be " +
               (option->words.empty() ? "a whole number from " + std::to_string(option->lowest) + " to " +
                                            std::to_string(option->highest)
                                      : "one of " + setting_form(*option)) +
               ", not '" + text + "'";
    request.settings.emplace_back(option->name, text);
    return std::string();
}

// The scene's name and each setting as a label writes it; a worded setting at every_value is left out,
// which is how a request asks for each of its values.
std::string scene_text(const scene& s, const std::vector<int>& values) {
    std::string text = s.name;
    for (size_t i = 0; i < values.size(); ++i) {
        const scene_option& option = s.options[i];
        if (option.words.empty())
            text += std::string(":") + option.name + "=" + std::to_string(values[i]);
        else if (values[i] != every_value)
            text += std::string(":") + option.words[size_t(values[i])];
    }
    return text;
}

// The runs of run with its first `open` settings still to fix: one for each value of a setting at
// every_value; the first setting varies fastest.
void expand(scene_run run, size_t open, std::vector<scene_run>& runs) {
    if (open == 0) {
        run.label = scene_text(*run.kind, run.values);
        runs.push_back(run);
        return;
    }
    const int given = run.values[open - 1];
    for (int value = 0; value <= run.kind->options[open - 1].highest; ++value) {
        run.values[open - 1] = given == every_value ? value : given;
        expand(run, open - 1, runs);
        if (given != every_value)
            return;
    }
}

// The values of the scene's settings in request (a later one winning), else their fallbacks.
std::vector<int> values_of(const scene& s, const scene_request& request) {
    std::vector<int> values;
    for (const scene_option& option : s.options) {
        values.push_back(option.fallback);
        for (const auto& [key, text] : request.settings) {
            if (key == option.name)
                option_value(option, text, values.back());
        }
    }
    return values;
}

void plan_request(const scene_request& request, std::vector<scene_run>& runs) {
    if (scene* s = find_scene(request.name))
        expand(scene_run{"", s, values_of(*s, request), s->reference_frame}, s->options.size(), runs);
}
} // namespace

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
    const size_t colon = text.find(':');
    const scene* s = find_scene(text.substr(0, colon));
    if (!s)
        return "unknown scene '" + text.substr(0, colon) + "' (--list shows the scenes)";
    request = scene_request{s->name, {}};
    for (size_t at = colon; at != std::string::npos;) {
        const size_t next = text.find(':', at + 1);
        const std::string error = parse_setting(*s, text.substr(at + 1, next - at - 1), request);
        if (!error.empty())
            return error;
        at = next;
    }
    return std::string();
}

std::vector<scene_run> plan_runs(const std::vector<scene_request>& requests) {
    std::vector<scene_run> runs;
    for (const std::unique_ptr<scene>& s : scene_registry()) {
        if (requests.empty())
            plan_request(scene_request{s->name, {}}, runs);
    }
    for (const scene_request& r : requests)
        plan_request(r, runs);
    return runs;
}

void print_scene_list(std::ostream& out) {
    for (const std::unique_ptr<scene>& s : scene_registry()) {
        out << scene_text(*s, values_of(*s, {})) << "\n    " << s->description << "\n";
        for (const scene_option& option : s->options) {
            out << "      " << setting_form(option);
            if (option.words.empty())
                out << " (" << option.lowest << " to " << option.highest << ")";
            out << ": " << option.description << "\n";
        }
    }
}

} // namespace tarnwick::bench
