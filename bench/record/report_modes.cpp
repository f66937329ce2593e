// How an A/B run fills the result record. No GL here.
#include "record/report_modes.h"

#include "stats/frame_summary.h"

namespace tarnwick::bench {

report_model ab_report(const provenance& a, const provenance& b, const std::vector<ab_scene_rounds>& scenes,
                       double threshold_percent, double fail_slower, const std::string& command_line) {
    report_model model;
    model.mode = report_mode::ab;
    model.command_line = command_line;
    model.add_origin("A", a);
    model.add_origin("B", b);
    for (const ab_scene_rounds& s : scenes) {
        const ratio_estimate e = estimate_ratio(s.rounds);
        frame_time_comparison f;
        f.ratio = e.ratio;
        if (e.has_interval)
            f.ratio_interval = std::make_pair(e.low, e.high);
        f.rounds = e.rounds;
        f.threshold_percent = threshold_percent;
        std::vector<double> a_ms, b_ms;
        for (const ab_round& r : s.rounds) {
            f.round_ms.push_back({r.a_first, r.b_first, r.b_second, r.a_second});
            a_ms.insert(a_ms.end(), {r.a_first, r.a_second});
            b_ms.insert(b_ms.end(), {r.b_first, r.b_second});
        }
        f.base_ms = percentile(a_ms, 50.0);
        f.new_ms = percentile(b_ms, 50.0);
        report_scene& scene = model.scene(s.label);
        scene.comparison = report_comparison{0, 1, judge(e, threshold_percent / percent), f};
        if (fail_slower >= 0.0)
            scene.checks.push_back(slower_than_check(*scene.comparison, fail_slower));
    }
    return model;
}

} // namespace tarnwick::bench
