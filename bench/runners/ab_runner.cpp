// --ab: two configurations (builds, drivers, settings) measured against each other as separate bench
// processes in rounds of A B B A. No GL here: the processes draw.
#include "runners/ab_runner.h"

#include "stats/ab_statistics.h"
#include "runners/child_process.h"
#include "record/csv_fields.h"
#include "stats/frame_summary.h"
#include "record/provenance.h"
#include "record/report_files.h"
#include "record/report_modes.h"
#include "scenes/scene_plan.h"

#include <algorithm>
#include <cmath>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <map>
#include <unistd.h>

namespace tarnwick::bench {

namespace {
constexpr int label_width = 34;
constexpr size_t error_lines = 5;
constexpr int bad_options_status = 2;
constexpr double percent = 100.0;
// A drift of the machine that is linear in time falls alike on both sides of a round.
constexpr char round_order[] = {'A', 'B', 'B', 'A'};

// A scene as the processes are asked for it, and the labels of the runs it makes.
struct scene_ask {
    std::string text;
    std::vector<std::string> labels;
};

// A measured label: its rounds under the stopping rule and every process's median frame time.
struct scene_track {
    std::string label;
    ab_sequence sequence;
    std::vector<double> a_medians, b_medians;
};

// What one process wrote: each label's median frame time in ms, and where it measured.
struct process_result {
    std::map<std::string, double> medians;
    provenance origin;
};

// A private folder under TMPDIR for the processes' files; removed with what was made in it.
class scratch_folder {
  public:
    scratch_folder() {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/tarnwick-ab.XXXXXX";
        if (mkdtemp(&pattern[0]))
            path = pattern;
    }
    ~scratch_folder() {
        for (const std::string& f : files)
            std::remove(f.c_str());
        if (!path.empty())
            rmdir(path.c_str());
    }
    scratch_folder(const scratch_folder&) = delete;
    scratch_folder& operator=(const scratch_folder&) = delete;
    bool ok() const { return !path.empty(); }
    const std::string& where() const { return path; }
    std::string file(const std::string& name) {
        files.push_back(path + "/" + name);
        return files.back();
    }

  private:
    std::string path;
    std::vector<std::string> files;
};

std::string own_program() {
    char path[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    return n > 0 ? std::string(path, size_t(n)) : "tarnwick-bench";
}

std::string request_text(const scene_request& r) {
    std::string text = r.name;
    for (const auto& [key, value] : r.settings)
        text += ":" + key + "=" + value;
    return text;
}

std::string joined(const std::vector<std::string>& words) {
    std::string text;
    for (const std::string& w : words)
        text += " " + w;
    return text;
}

// The last few lines of a file, indented, for a message about a process that failed.
std::string tail_of(const std::string& file) {
    std::ifstream in(file);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty())
            lines.push_back(line);
    }
    std::string text;
    for (size_t i = lines.size() > error_lines ? lines.size() - error_lines : 0; i < lines.size(); ++i)
        text += "\n  " + lines[i];
    return text;
}

// Reads a process's --csv file; returns what is wrong, or an empty text.
std::string read_process_csv(const std::string& file, process_result& result) {
    std::ifstream in(file);
    std::string line;
    if (!in || !std::getline(in, line))
        return "wrote no results file";
    const std::vector<std::string> header = csv_split(line);
    const auto column = [&header](const char* name) {
        return size_t(std::find(header.begin(), header.end(), name) - header.begin());
    };
    const size_t scene = column("scene"), p50 = column("p50_ms");
    if (scene == header.size() || p50 == header.size())
        return "wrote results without 'scene' and 'p50_ms' columns";
    while (std::getline(in, line)) {
        const std::vector<std::string> fields = csv_split(line);
        if (line.empty() || fields.size() <= std::max(scene, p50))
            continue;
        char* end = nullptr;
        const double ms = std::strtod(fields[p50].c_str(), &end);
        if (fields[p50].empty() || *end != '\0' || !std::isfinite(ms) || ms <= 0.0)
            return "wrote a p50_ms that is no time above 0 for " + fields[scene];
        if (result.medians.empty())
            result.origin = provenance_from(csv_named(header, fields));
        result.medians.emplace(fields[scene], ms);
    }
    return std::string();
}

class ab_session {
  public:
    ab_session(const bench_options& options, std::ostream& out);
    int run();

  private:
    bool open(const scene_ask& ask) const;
    bool run_round(int round);
    bool run_process(char side, int round, int position, const std::vector<std::string>& scenes,
                     process_result& result);
    std::vector<std::string> process_arguments(const ab_side& side, const std::vector<std::string>& scenes,
                                               const std::string& csv) const;
    void print_intro() const;
    void print_results() const;
    bool write_csv() const;
    bool write_ab_report() const;
    int gate() const;

    const bench_options& options;
    std::ostream& out;
    std::vector<scene_ask> asks;
    std::vector<scene_track> tracks;
    provenance a_origin, b_origin;
    scratch_folder scratch;
    int failure = 0;
};

ab_session::ab_session(const bench_options& options, std::ostream& out) : options(options), out(out) {
    const ab_stopping rule{options.min_rounds, options.max_rounds, options.threshold / percent};
    std::vector<scene_request> requests = options.scenes;
    if (requests.empty()) {
        for (const std::unique_ptr<scene>& s : scene_registry())
            requests.push_back(scene_request{s->name, {}});
    }
    for (const scene_request& request : requests) {
        scene_ask ask{request_text(request), {}};
        for (const scene_run& run : plan_runs({request})) {
            const bool known = std::any_of(tracks.begin(), tracks.end(),
                                           [&run](const scene_track& t) { return t.label == run.label; });
            if (known)
                continue;
            ask.labels.push_back(run.label);
            tracks.push_back(scene_track{run.label, ab_sequence(rule), {}, {}});
        }
        if (!ask.labels.empty())
            asks.push_back(ask);
    }
}

bool ab_session::open(const scene_ask& ask) const {
    return std::any_of(tracks.begin(), tracks.end(), [&ask](const scene_track& t) {
        return t.sequence.open() &&
               std::find(ask.labels.begin(), ask.labels.end(), t.label) != ask.labels.end();
    });
}

int ab_session::run() {
    if (!scratch.ok()) {
        std::cerr << "tarnwick-bench: cannot make a folder for the processes' results in TMPDIR or /tmp"
                  << std::endl;
        return 1;
    }
    print_intro();
    for (int round = 1; round <= options.max_rounds; ++round) {
        if (!run_round(round))
            return failure;
        if (round == 1) {
            for (const std::string& line : describe_differences(a_origin, b_origin, "A", "B"))
                out << line << "\n";
        }
        const long still = std::count_if(tracks.begin(), tracks.end(),
                                         [](const scene_track& t) { return t.sequence.open(); });
        out << "round " << round << " done, " << still << " of " << tracks.size() << " scenes still open"
            << std::endl;
        if (still == 0)
            break;
    }
    print_results();
    const bool written = write_csv();
    if (!write_ab_report() || !written)
        return 1;
    return gate();
}

// Four processes with the scenes still open; each open scene gets the round's four medians.
bool ab_session::run_round(int round) {
    std::vector<std::string> scenes;
    for (const scene_ask& ask : asks) {
        if (open(ask))
            scenes.push_back(ask.text);
    }
    process_result results[4];
    for (int position = 0; position < 4; ++position) {
        if (!run_process(round_order[position], round, position, scenes, results[position]))
            return false;
    }
    if (round == 1) {
        a_origin = results[0].origin;
        b_origin = results[1].origin;
    }
    for (scene_track& t : tracks) {
        if (!t.sequence.open())
            continue;
        ab_round measured;
        double* const slots[] = {&measured.a_first, &measured.b_first, &measured.b_second,
                                 &measured.a_second};
        for (int position = 0; position < 4; ++position) {
            const auto found = results[position].medians.find(t.label);
            if (found == results[position].medians.end()) {
                std::cerr << "tarnwick-bench: " << round_order[position] << " in round " << round
                          << " measured no " << t.label << std::endl;
                failure = 1;
                return false;
            }
            *slots[position] = found->second;
            (round_order[position] == 'A' ? t.a_medians : t.b_medians).push_back(found->second);
        }
        t.sequence.add(measured);
    }
    return true;
}

std::vector<std::string> ab_session::process_arguments(const ab_side& side,
                                                       const std::vector<std::string>& scenes,
                                                       const std::string& csv) const {
    std::vector<std::string> args;
    for (const std::string& scene : scenes) {
        args.push_back("--scene");
        args.push_back(scene);
    }
    char seed[32];
    std::snprintf(seed, sizeof seed, "%u", options.seed);
    const std::vector<std::string> common = {
        "--frames", std::to_string(options.frames),
        "--warmup", std::to_string(options.warmup),
        "--size",   std::to_string(options.width) + "x" + std::to_string(options.height),
        "--seed",   seed};
    args.insert(args.end(), common.begin(), common.end());
    if (options.fixed_dt > 0.0) {
        char dt[32];
        std::snprintf(dt, sizeof dt, "%.17g", options.fixed_dt);
        args.insert(args.end(), {"--fixed-dt", dt});
    }
    if (options.headless)
        args.push_back("--headless");
    // The side's own options come after the common ones, so that they win; the results file comes last.
    args.insert(args.end(), side.args.begin(), side.args.end());
    args.insert(args.end(), {"--csv", csv});
    return args;
}

bool ab_session::run_process(char side, int round, int position, const std::vector<std::string>& scenes,
                             process_result& result) {
    const ab_side& s = side == 'A' ? options.a_side : options.b_side;
    const std::string name = "round" + std::to_string(round) + "-" + std::to_string(position + 1) + side;
    child_request request;
    request.program = s.bench.empty() ? own_program() : s.bench;
    request.arguments = process_arguments(s, scenes, scratch.file(name + ".csv"));
    request.environment = s.env;
    request.output_file = scratch.file(name + ".out");
    request.error_file = scratch.file(name + ".err");
    const child_result ran = run_child(request);
    const std::string who = std::string(1, side) + " in round " + std::to_string(round);
    if (!ran.started) {
        std::cerr << "tarnwick-bench: " << who << ": " << ran.error << std::endl;
        failure = 1;
        return false;
    }
    if (ran.status != 0) {
        std::cerr << "tarnwick-bench: " << who << " (" << request.program << ") ended with status "
                  << ran.status << tail_of(request.error_file) << std::endl;
        failure = ran.status == bad_options_status ? bad_options_status : 1;
        return false;
    }
    const std::string error = read_process_csv(request.arguments.back(), result);
    if (!error.empty()) {
        std::cerr << "tarnwick-bench: " << who << " " << error << std::endl;
        failure = 1;
        return false;
    }
    return true;
}

void ab_session::print_intro() const {
    const auto side = [](const ab_side& s) {
        return (s.bench.empty() ? std::string("this bench") : s.bench) + joined(s.env) + joined(s.args);
    };
    out << "A/B comparison: rounds of four processes, A B B A, each measuring the open scenes once ("
        << options.frames << " frames after " << options.warmup << " warm-up, " << options.width << "x"
        << options.height << ")\nA: " << side(options.a_side) << "\nB: " << side(options.b_side)
        << "\nper scene: B's median frame time over A's, its 95% interval over the rounds (from "
        << options.min_rounds << " to " << options.max_rounds << "), the verdict against "
        << options.threshold << "%" << std::endl;
}

void ab_session::print_results() const {
    char line[256];
    std::snprintf(line, sizeof line, "%-*s %7s %7s %7s %7s  %s", label_width, "scene", "B/A", "low", "high",
                  "rounds", "verdict");
    out << line << "\n";
    for (const scene_track& t : tracks) {
        const ratio_estimate e = t.sequence.estimate();
        const std::string low = e.has_interval ? fixed(e.low, 3) : "-";
        const std::string high = e.has_interval ? fixed(e.high, 3) : "-";
        std::snprintf(line, sizeof line, "%-*s %7.3f %7s %7s %7d  %s", label_width, t.label.c_str(), e.ratio,
                      low.c_str(), high.c_str(), e.rounds, ab_verdict_name(t.sequence.verdict()));
        out << line << "\n";
    }
    out.flush();
}

bool ab_session::write_csv() const {
    if (options.csv.empty())
        return true;
    std::vector<std::string> names = {"scene",   "ratio",         "low",      "high",    "rounds",
                                      "verdict", "threshold_pct", "a_p50_ms", "b_p50_ms"};
    for (const char* side : {"a_", "b_"}) {
        for (const auto& field : provenance_fields(provenance()))
            names.push_back(side + field.first);
    }
    std::ofstream csv(options.csv);
    csv << csv_join(names) << "\n";
    for (const scene_track& t : tracks) {
        const ratio_estimate e = t.sequence.estimate();
        std::vector<std::string> row = {t.label,
                                        fixed(e.ratio, 4),
                                        e.has_interval ? fixed(e.low, 4) : "",
                                        e.has_interval ? fixed(e.high, 4) : "",
                                        std::to_string(e.rounds),
                                        ab_verdict_name(t.sequence.verdict()),
                                        fixed(options.threshold, 2),
                                        fixed(percentile(t.a_medians, 50.0), 4),
                                        fixed(percentile(t.b_medians, 50.0), 4)};
        for (const provenance* origin : {&a_origin, &b_origin}) {
            for (const auto& field : provenance_fields(*origin))
                row.push_back(field.second);
        }
        csv << csv_join(row) << "\n";
    }
    csv.close();
    if (!csv) {
        std::cerr << "tarnwick-bench: cannot write " << options.csv << std::endl;
        return false;
    }
    return true;
}

bool ab_session::write_ab_report() const {
    if (options.report_dir.empty())
        return true;
    std::vector<ab_scene_rounds> scenes;
    for (const scene_track& t : tracks)
        scenes.push_back({t.label, t.sequence.measured_rounds()});
    return write_report(options.report_dir, ab_report(a_origin, b_origin, scenes, options.threshold,
                                                      options.fail_slower, options.command_line));
}

// Under --fail-slower: 4 when a scene is slower beyond the limit, else 5 when one cannot be judged.
int ab_session::gate() const {
    if (options.fail_slower < 0.0)
        return 0;
    std::string too_slow, unjudged;
    for (const scene_track& t : tracks) {
        const ab_verdict v = t.sequence.verdict();
        const double slowdown = (t.sequence.estimate().ratio - 1.0) * percent;
        if (v == ab_verdict::slower && slowdown > options.fail_slower)
            too_slow += (too_slow.empty() ? "" : ", ") + t.label;
        if (v == ab_verdict::inconclusive || v == ab_verdict::unknown)
            unjudged += (unjudged.empty() ? "" : ", ") + t.label;
    }
    if (!too_slow.empty())
        out << "slower by more than " << options.fail_slower << "% of A's frame time: " << too_slow << "\n";
    if (!unjudged.empty())
        out << "cannot judge with --fail-slower (the interval reaches across the threshold; more rounds may "
               "settle it): "
            << unjudged << "\n";
    out.flush();
    return !too_slow.empty() ? 4 : !unjudged.empty() ? 5 : 0;
}
} // namespace

int run_ab(const bench_options& options, std::ostream& out) { return ab_session(options, out).run(); }

} // namespace tarnwick::bench
