// Callgrind's output format read into profiles: self costs per function, summed by origin and compared.
#include "stats/callgrind_profile.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <sstream>
#include <utility>

namespace tarnwick::bench {

namespace {
const std::string unknown_object = "???";
const std::string client_request = "Client Request: ";
const std::string run_time_code = "(code made at run time)";

std::vector<std::string> words(const std::string& text) {
    std::istringstream in(text);
    return {std::istream_iterator<std::string>(in), std::istream_iterator<std::string>()};
}

std::string trimmed(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return std::string();
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// Keeps why in error; false.
bool failed(std::string& error, const std::string& why) {
    error = why;
    return false;
}

// A decimal or "0x" hexadecimal number, the whole word.
bool read_number(const std::string& word, uint64_t& value) {
    const bool hex = word.size() > 2 && word[0] == '0' && (word[1] == 'x' || word[1] == 'X');
    const std::string digits = hex ? word.substr(2) : word;
    if (digits.empty() || !std::all_of(digits.begin(), digits.end(), [&](char c) {
            return hex ? std::isxdigit(static_cast<unsigned char>(c))
                       : std::isdigit(static_cast<unsigned char>(c));
        }))
        return false;
    value = std::strtoull(digits.c_str(), nullptr, hex ? 16 : 10);
    return true;
}

// An absolute, relative ("+N", "-N") or repeated ("*") subposition.
bool is_subposition(const std::string& word) {
    uint64_t ignored = 0;
    return word == "*" || read_number(word[0] == '+' || word[0] == '-' ? word.substr(1) : word, ignored);
}

// Where code of object ran, given the program's path (basenames are compared).
uint64_t origin_split::*origin_of(const std::string& object, const std::string& program_object) {
    const auto basename = [](const std::string& path) { return path.substr(path.find_last_of('/') + 1); };
    const std::string name = basename(object);
    if (name.empty() || name == unknown_object)
        return &origin_split::gl_driver;
    if (name == basename(program_object))
        return &origin_split::program;
    static const char* const driver_prefixes[] = {"libgallium", "libGLX_mesa", "libEGL_mesa", "libglapi",
                                                  "libLLVM",    "libGL.so",    "libGLX.so",   "libGLdispatch",
                                                  "libEGL.so",  "libOpenGL"};
    const std::string dri_suffix = "_dri.so";
    if (name.size() >= dri_suffix.size() &&
        name.compare(name.size() - dri_suffix.size(), dri_suffix.size(), dri_suffix) == 0)
        return &origin_split::gl_driver;
    for (const char* prefix : driver_prefixes)
        if (name.compare(0, std::char_traits<char>::length(prefix), prefix) == 0)
            return &origin_split::gl_driver;
    return &origin_split::other;
}

// Name compression: one table per kind of name, for the whole file.
enum name_kind { object_names, file_names, function_names, name_kinds };

class reader {
  public:
    explicit reader(std::vector<callgrind_profile>& parts) : parts(parts) {}

    bool line(const std::string& raw, std::string& error) {
        const std::string text = trimmed(raw);
        if (text.empty() || text[0] == '#')
            return true;
        const size_t equals = text.find('=');
        const size_t colon = text.find(':');
        const auto is_key = [&](size_t end) {
            return end != std::string::npos && end > 0 &&
                   std::all_of(text.begin(), text.begin() + long(end),
                               [](char c) { return std::isalpha(c) != 0; });
        };
        if (is_key(colon) && (equals == std::string::npos || colon < equals))
            return header(text.substr(0, colon), trimmed(text.substr(colon + 1)), error);
        if (is_key(equals))
            return name_assignment(text.substr(0, equals), trimmed(text.substr(equals + 1)), error);
        return cost(text, error);
    }

    void finish() {
        if (!in_part)
            return;
        in_part = false;
        uint64_t sum = 0;
        for (const auto& [key, ir] : p.self) {
            p.profile.functions.push_back({key.first, key.second, ir});
            sum += ir;
        }
        std::stable_sort(
            p.profile.functions.begin(), p.profile.functions.end(),
            [](const function_cost& a, const function_cost& b) { return a.self_ir > b.self_ir; });
        p.profile.total_ir = p.summary.value_or(sum);
        if (p.profile.trigger.compare(0, client_request.size(), client_request) == 0)
            p.profile.label = p.profile.trigger.substr(client_request.size());
        parts.push_back(std::move(p.profile));
    }

  private:
    void start_part() {
        finish();
        in_part = true;
        p = part_state();
        p.profile.command = command;
    }

    bool header(const std::string& key, const std::string& value, std::string& error) {
        // A header line after a body begins the next part, but totals: ends the part it follows (and
        // overrides its summary).
        if (key != "totals" && (!in_part || p.in_body))
            start_part();
        if (key == "cmd") {
            command = p.profile.command = value;
        } else if (key == "part") {
            p.profile.part = std::atoi(value.c_str());
        } else if (key == "desc") {
            const std::string trigger = "Trigger:";
            if (value.compare(0, trigger.size(), trigger) == 0)
                p.profile.trigger = trimmed(value.substr(trigger.size()));
        } else if (key == "positions") {
            p.positions = int(words(value).size());
        } else if (key == "events") {
            const std::vector<std::string> events = words(value);
            const auto ir = std::find(events.begin(), events.end(), "Ir");
            if (ir == events.end())
                return failed(error, "no Ir event in \"events: " + value + "\"");
            p.ir_column = int(ir - events.begin());
        } else if (key == "summary" || key == "totals") {
            const std::vector<std::string> costs = words(value);
            if (p.ir_column < 0)
                return failed(error, key + ": before events:");
            uint64_t summary = 0;
            if (size_t(p.ir_column) < costs.size() && !read_number(costs[size_t(p.ir_column)], summary))
                return failed(error, "not a number in " + key + ": " + value);
            p.summary = summary;
        }
        return true;
    }

    bool name(name_kind kind, const std::string& value, std::string& result, std::string& error) {
        if (value.size() < 2 || value[0] != '(' || !std::isdigit(static_cast<unsigned char>(value[1]))) {
            result = value;
            return true;
        }
        const size_t close = value.find(')');
        uint64_t id = 0;
        if (close == std::string::npos || !read_number(value.substr(1, close - 1), id))
            return failed(error, "bad compressed name " + value);
        const std::string defined = trimmed(value.substr(close + 1));
        if (!defined.empty())
            names[kind][id] = defined;
        const auto known = names[kind].find(id);
        if (known == names[kind].end())
            return failed(error, "compressed name " + value + " used before it was defined");
        result = known->second;
        return true;
    }

    bool name_assignment(const std::string& key, const std::string& value, std::string& error) {
        static const std::map<std::string, name_kind> kinds = {
            {"ob", object_names},   {"cob", object_names},   {"fl", file_names},     {"fi", file_names},
            {"fe", file_names},     {"cfi", file_names},     {"cfl", file_names},    {"jfi", file_names},
            {"fn", function_names}, {"cfn", function_names}, {"jfn", function_names}};
        if (!in_part)
            return failed(error, key + "= before any header");
        p.in_body = true;
        if (key == "calls" || key == "jump" || key == "jcnd") {
            p.skip_next_cost = true;
            return true;
        }
        const auto kind = kinds.find(key);
        if (kind == kinds.end())
            return true;
        std::string resolved;
        if (!name(kind->second, value, resolved, error))
            return false;
        if (key == "ob")
            object = resolved;
        else if (key == "fn")
            function = resolved;
        return true;
    }

    bool cost(const std::string& text, std::string& error) {
        if (p.ir_column < 0)
            return failed(error, "cost line before events:");
        p.in_body = true;
        const std::vector<std::string> fields = words(text);
        std::vector<uint64_t> costs(fields.size());
        for (size_t i = 0; i < fields.size(); ++i) {
            if (!(int(i) < p.positions ? is_subposition(fields[i]) : read_number(fields[i], costs[i])))
                return failed(error, "bad cost line \"" + text + "\"");
        }
        if (fields.size() < size_t(p.positions))
            return failed(error, "cost line without its positions \"" + text + "\"");
        const size_t ir = size_t(p.positions + p.ir_column);
        if (!std::exchange(p.skip_next_cost, false) && ir < costs.size())
            p.self[{object, function}] += costs[ir];
        return true;
    }

    std::vector<callgrind_profile>& parts;
    std::map<uint64_t, std::string> names[name_kinds];
    std::string command;
    std::string object = unknown_object;
    std::string function = unknown_object;
    bool in_part = false;
    // The part being read: its header's values and its self costs per object and function.
    struct part_state {
        bool in_body = false;
        callgrind_profile profile;
        int positions = 1;
        int ir_column = -1;
        std::optional<uint64_t> summary;
        std::map<std::pair<std::string, std::string>, uint64_t> self;
        // The next cost line is a call's inclusive cost, or a jump's source position: no self cost.
        bool skip_next_cost = false;
    } p;
};

} // namespace

bool parse_callgrind(std::istream& in, std::vector<callgrind_profile>& parts, std::string& error) {
    parts.clear();
    reader r(parts);
    int number = 0;
    for (std::string text; std::getline(in, text);) {
        ++number;
        std::string reason;
        if (!r.line(text, reason))
            return failed(error, "line " + std::to_string(number) + ": " + reason);
    }
    r.finish();
    return true;
}

bool read_callgrind_file(const std::string& path, std::vector<callgrind_profile>& parts, std::string& error) {
    std::ifstream in(path);
    if (!in)
        return failed(error, "cannot read " + path);
    if (!parse_callgrind(in, parts, error))
        return failed(error, path + ", " + error);
    return true;
}

origin_split split_by_origin(const callgrind_profile& profile, const std::string& program_object) {
    const std::vector<std::string> command = words(profile.command);
    const std::string program = !program_object.empty() ? program_object : command.empty() ? "" : command[0];
    origin_split split;
    for (const function_cost& f : profile.functions)
        split.*origin_of(f.object, program) += f.self_ir;
    return split;
}

std::vector<function_change> top_changes(const callgrind_profile& a, const callgrind_profile& b, size_t n) {
    std::map<std::pair<std::string, std::string>, function_change> changes;
    const auto add = [&](const function_cost& f, uint64_t function_change::*side) {
        // Code made at run time is named by its address, which moves from run to run: it is one entry.
        const std::string function = f.object == unknown_object ? run_time_code : f.function;
        function_change& c = changes[{f.object, function}];
        c.object = f.object;
        c.function = function;
        c.*side += f.self_ir;
    };
    for (const function_cost& f : a.functions)
        add(f, &function_change::a_ir);
    for (const function_cost& f : b.functions)
        add(f, &function_change::b_ir);
    std::vector<function_change> result;
    for (auto& [key, c] : changes) {
        c.change = int64_t(c.b_ir) - int64_t(c.a_ir);
        if (c.change != 0)
            result.push_back(c);
    }
    // The map's order breaks ties, so the list is the same from run to run.
    std::stable_sort(result.begin(), result.end(), [](const function_change& x, const function_change& y) {
        return std::llabs(x.change) > std::llabs(y.change);
    });
    if (result.size() > n)
        result.resize(n);
    return result;
}

} // namespace tarnwick::bench
