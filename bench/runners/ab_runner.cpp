// --ab: two configurations (builds, drivers, settings) measured against each other as separate bench
// processes in rounds of A B B A. No GL here: the processes draw.
#include "runners/ab_runner.h"

#include "record/csv_fields.h"
#include "record/exit_status.h"
#include "record/metric.h"
#include "record/report_console.h"
#include "record/report_files.h"
#include "record/report_model.h"
#include "runners/child_process.h"
#include "runners/count_runner.h"
#include "runners/data_folders.h"
#include "scenes/scene_plan.h"
#include "stats/frame_summary.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <mutex>
#include <thread>

namespace tarnwick::bench {

namespace fs = std::filesystem;

namespace {
constexpr size_t error_lines = 5;
// A drift of the machine that is linear in time falls alike on both sides of a round.
constexpr char round_order[] = {'A', 'B', 'B', 'A'};

// A measured label, the scene as the processes are asked for it, and its rounds under the stopping rule.
struct scene_track {
    std::string label, asked;
    ab_sequence sequence;
    // Each process's instructions per frame, in running order per side, when counting.
    std::vector<double> a_counts = {}, b_counts = {};
};

// What one process's report holds for the runner: each label's median frame time in ms, and where it
// measured.
struct process_result {
    std::map<std::string, double> medians;
    provenance origin;
    // Each label's instructions per measured frame, where the process counted them.
    std::map<std::string, double> counts;
};

std::string request_text(const scene_request& r) {
    std::string text = r.name;
    for (const auto& [key, value] : r.settings)
        text += ":" + key + "=" + value;
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

// A process's medians (or the metric's figures) from its report: each scene's first run; returns what is
// wrong, or an empty text.
std::string medians_from(const report_model& report, const metric& measure, process_result& result) {
    if (report.origins.empty())
        return "wrote a report without its origin";
    result.origin = report.origins.front().where;
    for (const report_scene& s : report.scenes) {
        if (s.runs.empty())
            continue;
        const double ms = measure.of_run(s.runs.front().summary);
        if (!std::isfinite(ms) || ms <= 0.0)
            return "wrote no " + std::string(measure.word) + " time above 0 for " + s.label;
        result.medians.emplace(s.label, ms);
        if (s.runs.front().instructions)
            result.counts.emplace(s.label, s.runs.front().instructions->per_frame);
    }
    return std::string();
}

// The smallest slowdown in percent that a time comparison's interval could have called slower.
double visible_change_percent(const frame_time_comparison& c) {
    const auto [low, high] = c.ratio_interval.value_or(std::make_pair(1.0, 1.0));
    const ratio_estimate e{c.rounds, c.ratio, low, high, c.ratio_interval.has_value()};
    return smallest_visible_change(e, c.threshold_percent / percent) * percent;
}

// A scene's CSV row: its comparison's figures, each side's provenance, and the counts' columns at the end.
std::vector<std::string> scene_csv_row(const report_scene& s, const std::vector<report_origin>& origins) {
    const auto figures = [&s](const auto& c, int decimals, const std::string& rounds) {
        return std::vector<std::string>{s.label,
                                        fixed(c.ratio, decimals),
                                        interval_end(c, false, decimals, ""),
                                        interval_end(c, true, decimals, ""),
                                        rounds,
                                        verdict_word(s.comparison->verdict),
                                        fixed(c.threshold_percent, 2)};
    };
    const auto* n = std::get_if<count_comparison>(&s.comparison->figures);
    const auto* t = std::get_if<frame_time_comparison>(&s.comparison->figures);
    std::vector<std::string> row = n ? figures(*n, 5, "1") : figures(*t, 4, std::to_string(t->rounds));
    row.insert(row.end(), {t ? fixed(t->base_ms, 4) : "", t ? fixed(t->new_ms, 4) : ""});
    for (const report_origin& origin : origins) {
        for (const auto& field : provenance_fields(origin.where))
            row.push_back(field.second);
    }
    if (n)
        row.insert(row.end(),
                   {fixed(n->base_per_frame, 0), fixed(n->new_per_frame, 0), fixed(n->spread_percent, 4)});
    else
        row.insert(row.end(), 3, "");
    return row;
}

class ab_session {
  public:
    ab_session(const ab_settings& settings, std::ostream& out) : settings(settings), out(out) {
        // Counts repeat: one round gives each side its two processes, whose agreement the verdict checks.
        const ab_stopping rule =
            counting() ? ab_stopping{1, 1, settings.threshold / percent}
                       : ab_stopping{settings.min_rounds, settings.max_rounds, settings.threshold / percent};
        std::vector<scene_request> requests = settings.scenes;
        if (requests.empty()) {
            for (const std::unique_ptr<scene>& s : scene_registry())
                requests.push_back(scene_request{s->name, {}});
        }
        for (const scene_request& request : requests) {
            for (const scene_run& run : plan_runs({request})) {
                const bool known = std::any_of(tracks.begin(), tracks.end(),
                                               [&run](const scene_track& t) { return t.label == run.label; });
                if (!known)
                    tracks.push_back(scene_track{run.label, request_text(request), ab_sequence(rule)});
            }
        }
    }

    int run() {
        if (scratch.path.empty()) {
            std::cerr << "tarnwick-bench: cannot make a folder for the processes' results in TMPDIR or /tmp"
                      << std::endl;
            return int(exit_status::failure);
        }
        if (counting() && !valgrind_found())
            return int(exit_status::failure);
        print_intro();
        for (int round = 1; round <= settings.max_rounds; ++round) {
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
        const report_model made = record();
        print_results(made);
        const bool written = write_csv(made);
        if (!(settings.report_dir.empty() || write_report(settings.report_dir, made, out)) || !written)
            return int(exit_status::failure);
        // Under --fail-slower the record's slower-than checks decide, as they do for --compare.
        print_gate(made, out);
        out.flush();
        return int(decide_exit_status(made));
    }

  private:
    bool counting() const { return counts_instructions(settings.metric); }

    // Says what went wrong and keeps the status the session ends with; false.
    bool fail(const std::string& message, exit_status status = exit_status::failure) {
        // Counted processes run side by side and may fail together.
        const std::lock_guard<std::mutex> one_at_a_time(failing);
        std::cerr << "tarnwick-bench: " << message << std::endl;
        failure = int(status);
        return false;
    }

    // Four processes with the scenes still open; each open scene gets the round's four medians.
    bool run_round(int round) {
        std::vector<std::string> scenes;
        for (const scene_track& t : tracks) {
            if (t.sequence.open() && std::find(scenes.begin(), scenes.end(), t.asked) == scenes.end())
                scenes.push_back(t.asked);
        }
        process_result results[4];
        bool ran[4] = {};
        // Counts do not depend on the machine's load, so A and B may count side by side.
        const int at_once = counting() ? 2 : 1;
        for (int first = 0; first < 4; first += at_once) {
            std::vector<std::thread> running;
            for (int position = first; position < first + at_once; ++position)
                running.emplace_back([&, position] {
                    ran[position] =
                        run_process(round_order[position], round, position, scenes, results[position]);
                });
            for (std::thread& t : running)
                t.join();
            if (!std::all_of(ran + first, ran + first + at_once, [](bool ok) { return ok; }))
                return false;
        }
        if (round == 1) {
            a_origin = results[0].origin;
            b_origin = results[1].origin;
        }
        return take_round(round, results);
    }

    bool take_round(int round, const process_result (&results)[4]) {
        for (scene_track& t : tracks) {
            if (!t.sequence.open())
                continue;
            ab_round measured;
            double* const slots[] = {&measured.a_first, &measured.b_first, &measured.b_second,
                                     &measured.a_second};
            for (int position = 0; position < 4; ++position) {
                const std::string who =
                    std::string(1, round_order[position]) + " in round " + std::to_string(round);
                const auto found = results[position].medians.find(t.label);
                if (found == results[position].medians.end())
                    return fail(who + " measured no " + t.label);
                *slots[position] = found->second;
                const auto counted = results[position].counts.find(t.label);
                if (counting() && counted == results[position].counts.end())
                    return fail(who + " counted no instructions for " + t.label);
                if (counting())
                    (round_order[position] == 'A' ? t.a_counts : t.b_counts).push_back(counted->second);
            }
            t.sequence.add(measured);
        }
        return true;
    }

    std::vector<std::string> process_arguments(const ab_side& side,
                                               const std::vector<std::string>& scenes) const {
        std::vector<std::string> args;
        for (const std::string& scene : scenes)
            args.insert(args.end(), {"--scene", scene});
        args.insert(args.end(),
                    {"--frames", std::to_string(settings.frames), "--warmup", std::to_string(settings.warmup),
                     "--size", std::to_string(settings.width) + "x" + std::to_string(settings.height),
                     "--seed", std::to_string(settings.seed)});
        if (settings.fixed_dt > 0.0) {
            char dt[32];
            std::snprintf(dt, sizeof dt, "%.17g", settings.fixed_dt);
            args.insert(args.end(), {"--fixed-dt", dt});
        }
        if (settings.headless)
            args.push_back("--headless");
        if (counting())
            args.insert(args.end(), {"--metric", "instructions"});
        // The side's own options come after the common ones, so that they win; the report comes last.
        args.insert(args.end(), side.args.begin(), side.args.end());
        return args;
    }

    bool run_process(char side, int round, int position, const std::vector<std::string>& scenes,
                     process_result& result) {
        const ab_side& s = side == 'A' ? settings.a_side : settings.b_side;
        const std::string name = process_name(side, round, position);
        child_request request;
        request.program = s.bench.empty() ? own_executable() : s.bench;
        request.arguments = process_arguments(s, scenes);
        request.environment = s.env;
        request.output_file = scratch.file(name + ".out");
        request.error_file = scratch.file(name + ".err");
        if (counting()) {
            std::error_code made;
            fs::create_directories(scratch.file(name + "-callgrind"), made);
            request = counted_request(request, scratch.file(name + "-callgrind"));
        }
        const bench_child ran = run_bench_child(request, scratch.file(name + "-report"));
        const std::string who = std::string(1, side) + " in round " + std::to_string(round);
        if (!ran.child.started)
            return fail(who + ": " + ran.child.error);
        if (ran.child.status != int(exit_status::ok))
            return fail(who + " (" + request.program + ") ended with status " +
                            std::to_string(ran.child.status) + tail_of(request.error_file),
                        ran.child.status == int(exit_status::bad_options) ? exit_status::bad_options
                                                                          : exit_status::failure);
        // A counted process's time is kept too: the frame's, as without a metric.
        const metric* measure = find_metric(settings.metric);
        const std::string error =
            ran.report ? medians_from(*ran.report, measure->of_run ? *measure : metrics[0], result)
                       : "wrote no report (" + ran.report_error + ")";
        return error.empty() || fail(who + " " + error);
    }

    std::string process_name(char side, int round, int position) const {
        return "round" + std::to_string(round) + "-" + std::to_string(position + 1) + side;
    }

    report_model record() const {
        std::vector<ab_scene_comparison> scenes;
        // Where the change went: the first round's first A against its first B.
        const std::string a_dumps = scratch.file(process_name('A', 1, 0) + "-callgrind");
        const std::string b_dumps = scratch.file(process_name('B', 1, 1) + "-callgrind");
        for (const scene_track& t : tracks)
            scenes.push_back({t.label, counting()
                                           ? count_comparison_of(t.a_counts, t.b_counts, settings.threshold,
                                                                 t.label, settings.frames, a_dumps, b_dumps)
                                           : ab_comparison(t.sequence, settings.threshold)});
        report_model made =
            ab_report(a_origin, b_origin, scenes, settings.fail_slower, settings.command_line);
        made.metric = settings.metric;
        return made;
    }

    void print_intro() const {
        const auto side = [](const ab_side& s) {
            std::vector<std::string> words = {s.bench.empty() ? std::string("this bench") : s.bench};
            words.insert(words.end(), s.env.begin(), s.env.end());
            words.insert(words.end(), s.args.begin(), s.args.end());
            return joined_words(words);
        };
        out << "A/B comparison: rounds of four processes, A B B A, each measuring the open scenes once ("
            << settings.frames << " frames after " << settings.warmup << " warm-up, " << settings.width << "x"
            << settings.height << ")\nA: " << side(settings.a_side) << "\nB: " << side(settings.b_side)
            << "\n";
        if (counting())
            out << count_conditions_line(settings)
                << "\nper scene: B's instructions per measured frame over A's, "
                << "one round, A and B counted side by side, the verdict against " << settings.threshold
                << "%" << std::endl;
        else
            out << "per scene: B's median " << settings.metric
                << " time over A's, its 95% interval over the rounds (from " << settings.min_rounds << " to "
                << settings.max_rounds << "), the verdict against " << settings.threshold << "%" << std::endl;
    }

    void print_results(const report_model& made) const {
        if (counting())
            return print_count_results(made, out);
        char line[256];
        std::snprintf(line, sizeof line, "%-*s %7s %7s %7s %7s %7s  %s", label_width, "scene", "B/A", "low",
                      "high", "rounds", "sees %", "verdict");
        out << line << "\n";
        std::string hidden;
        for (const report_scene& s : made.scenes) {
            const frame_time_comparison& c = std::get<frame_time_comparison>(s.comparison->figures);
            const double sees = visible_change_percent(c);
            std::snprintf(
                line, sizeof line, "%-*s %7.3f %7s %7s %7d %7s  %s", label_width, s.label.c_str(), c.ratio,
                interval_end(c, false, 3, "-").c_str(), interval_end(c, true, 3, "-").c_str(), c.rounds,
                c.ratio_interval ? fixed(sees, 1).c_str() : "-", verdict_word(s.comparison->verdict));
            out << line << "\n";
            if (s.comparison->verdict == verdict::inconclusive)
                hidden += "  " + s.label + ": changes under " + fixed(sees, 1) +
                          "% are hidden by this machine's noise\n";
        }
        out << "sees %: the smallest change each interval could have called slower\n";
        if (!hidden.empty())
            out << "inconclusive:\n"
                << hidden
                << "  --metric instructions counts changes far smaller; more rounds (--max-rounds) narrow "
                   "the "
                << "interval\n";
        out.flush();
    }

    // --csv: an export of the record, a row per scene with each side's provenance.
    bool write_csv(const report_model& made) const {
        if (settings.csv.empty())
            return true;
        std::vector<std::string> names = {"scene",   "ratio",         "low",      "high",    "rounds",
                                          "verdict", "threshold_pct", "a_p50_ms", "b_p50_ms"};
        for (const char* side : {"a_", "b_"}) {
            for (const auto& field : provenance_fields(provenance()))
                names.push_back(side + field.first);
        }
        names.insert(names.end(),
                     {"a_instructions_per_frame", "b_instructions_per_frame", "count_spread_pct"});
        std::string text = csv_join(names) + "\n";
        for (const report_scene& s : made.scenes)
            text += csv_join(scene_csv_row(s, made.origins)) + "\n";
        return write_text(settings.csv, text);
    }

    const ab_settings& settings;
    std::ostream& out;
    std::vector<scene_track> tracks;
    provenance a_origin, b_origin;
    scratch_folder scratch{"tarnwick-ab"};
    int failure = int(exit_status::ok);
    std::mutex failing;
};

} // namespace

report_comparison ab_comparison(const ab_sequence& sequence, double threshold_percent) {
    const ratio_estimate e = sequence.estimate();
    frame_time_comparison f{0.0, 0.0, e.ratio, std::nullopt, e.rounds, threshold_percent, {}};
    if (e.has_interval)
        f.ratio_interval = std::make_pair(e.low, e.high);
    std::vector<double> a_ms, b_ms;
    for (const ab_round& r : sequence.measured_rounds()) {
        f.round_ms.push_back({r.a_first, r.b_first, r.b_second, r.a_second});
        a_ms.insert(a_ms.end(), {r.a_first, r.a_second});
        b_ms.insert(b_ms.end(), {r.b_first, r.b_second});
    }
    f.base_ms = percentile(a_ms, 50.0);
    f.new_ms = percentile(b_ms, 50.0);
    return report_comparison{0, 1, sequence.verdict(), f};
}

int run_ab(const ab_settings& settings, std::ostream& out) { return ab_session(settings, out).run(); }

} // namespace tarnwick::bench
