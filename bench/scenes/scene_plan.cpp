// The NAME[:setting...] grammar over the registry, and the runs that requests make. No GL.
#include "scenes/scene_plan.h"

#include <algorithm>
#include <sstream>

namespace tarnwick::bench {

namespace {
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

// How a setting is written: "enemies=N", or its words "on|off".
std::string setting_form(const scene_option& option) {
    if (option.words.empty())
        return std::string(option.name) + "=N";
    std::string form;
    for (const char* word : option.words)
        form += (form.empty() ? "" : "|") + std::string(word);
    return form;
}

// The value that text gives option: a word's place among its words, or a whole number in its range.
bool option_value(const scene_option& option, const std::string& text, int& value) {
    if (option.words.empty())
        return whole_number(text, option.lowest, option.highest, value);
    for (size_t i = 0; i < option.words.size(); ++i) {
        if (text == option.words[i]) {
            value = int(i);
            return true;
        }
    }
    return false;
}

// The option that part sets (key=value, or a word alone) and the value's text; null when none.
const scene_option* option_of(const scene& s, const std::string& part, std::string& text) {
    const size_t eq = part.find('=');
    text = eq == std::string::npos ? part : part.substr(eq + 1);
    for (const scene_option& option : s.options) {
        const bool word = std::find(option.words.begin(), option.words.end(), part) != option.words.end();
        if (eq == std::string::npos ? word : part.substr(0, eq) == option.name)
            return &option;
    }
    return nullptr;
}

std::string unknown_setting(const scene& s, const std::string& part) {
    std::string error = std::string("scene ") + s.name + " takes no setting '" + part + "'";
    if (s.options.empty())
        return error;
    error += " (it takes";
    for (const scene_option& option : s.options)
        error += " " + setting_form(option);
    return error + ")";
}

// One setting of scene appended to request, or what is wrong with it.
std::string parse_setting(const scene& s, const std::string& part, scene_request& request) {
    std::string text;
    const scene_option* option = option_of(s, part, text);
    if (!option)
        return unknown_setting(s, part);
    int value = 0;
    if (!option_value(*option, text, value)) {
        const std::string range = option->words.empty()
                                      ? "a whole number from " + std::to_string(option->lowest) + " to " +
                                            std::to_string(option->highest)
                                      : "one of " + setting_form(*option);
        return std::string("scene ") + s.name + ": " + option->name + " must be " + range + ", not '" + text +
               "'";
    }
    request.settings.emplace_back(option->name, text);
    return std::string();
}

// The last value the request gives option, else its default.
int setting(const scene_request& request, const scene_option& option) {
    int value = option.fallback;
    for (const auto& [key, text] : request.settings) {
        if (key == option.name)
            option_value(option, text, value);
    }
    return value;
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
    const size_t i = open - 1;
    if (run.values[i] != every_value) {
        expand(run, i, runs);
        return;
    }
    for (int value = 0; value <= run.kind->options[i].highest; ++value) {
        run.values[i] = value;
        expand(run, i, runs);
    }
}

void plan_request(const scene_request& request, std::vector<scene_run>& runs) {
    scene* s = find_scene(request.name);
    if (!s)
        return;
    scene_run run{"", s, {}, s->reference_frame};
    for (const scene_option& option : s->options)
        run.values.push_back(setting(request, option));
    expand(run, run.values.size(), runs);
}
} // namespace

scene* find_scene(const std::string& name) {
    for (const std::unique_ptr<scene>& s : scene_registry()) {
        if (name == s->name)
            return s.get();
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
    const scene* s = find_scene(parts[0]);
    if (!s)
        return "unknown scene '" + parts[0] + "' (--list shows the scenes)";
    request = scene_request{parts[0], {}};
    for (size_t i = 1; i < parts.size(); ++i) {
        const std::string error = parse_setting(*s, parts[i], request);
        if (!error.empty())
            return error;
    }
    return std::string();
}

std::vector<scene_run> plan_runs(const std::vector<scene_request>& requests) {
    std::vector<scene_run> runs;
    if (requests.empty()) {
        for (const std::unique_ptr<scene>& s : scene_registry())
            plan_request(scene_request{s->name, {}}, runs);
    }
    for (const scene_request& r : requests)
        plan_request(r, runs);
    return runs;
}

void print_scene_list(std::ostream& out) {
    for (const std::unique_ptr<scene>& s : scene_registry()) {
        std::vector<int> defaults;
        for (const scene_option& option : s->options)
            defaults.push_back(option.fallback);
        out << scene_text(*s, defaults) << "\n    " << s->description << "\n";
        for (const scene_option& option : s->options) {
            out << "      " << setting_form(option);
            if (option.words.empty())
                out << " (" << option.lowest << " to " << option.highest << ")";
            out << ": " << option.description << "\n";
        }
    }
}

} // namespace tarnwick::bench
