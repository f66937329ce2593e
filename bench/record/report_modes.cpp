// How an A/B run fills the result record. No GL here.
#include "record/report_modes.h"

namespace tarnwick::bench {

report_model ab_report(const provenance& a, const provenance& b,
                       const std::vector<ab_scene_comparison>& scenes, double fail_slower,
                       const std::string& command_line) {
    report_model model;
    model.mode = report_mode::ab;
    model.command_line = command_line;
    model.add_origin("A", a);
    model.add_origin("B", b);
    for (const ab_scene_comparison& s : scenes) {
        report_scene& scene = model.scene(s.label);
        scene.comparison = s.comparison;
        if (fail_slower >= 0.0)
            scene.checks.push_back(slower_than_check(s.comparison, fail_slower));
    }
    return model;
}

} // namespace tarnwick::bench
