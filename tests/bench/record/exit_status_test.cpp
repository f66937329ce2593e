// The exit status decided from the record: the gravest failed check's, unless something outside the record
// failed first.
#include "record/exit_status.h"

#include <gtest/gtest.h>

using namespace tarnwick::bench;

namespace {
report_check failed(const char* name, verdict v = verdict::fail) { return {name, 0, v, true, "", {}, {}}; }

TEST(exit_status, the_gravest_failed_check_decides) {
    report_check fault_run = failed("fault x");
    fault_run.figures = {{run_failed_figure, 1.0}};
    report_check passed = failed("GL errors");
    passed.failed = false;
    const struct {
        std::vector<report_check> scene_checks;
        std::vector<report_check> run_checks;
        exit_status outside;
        exit_status expected;
    } table[] = {
        {{}, {}, exit_status::ok, exit_status::ok},
        {{passed}, {passed}, exit_status::ok, exit_status::ok},
        {{failed("reference")}, {}, exit_status::ok, exit_status::reference_differs},
        {{failed("reference")}, {failed("GL errors")}, exit_status::ok, exit_status::failure},
        {{failed("shots"), failed("reference")}, {}, exit_status::ok, exit_status::failure},
        {{}, {failed("fault x")}, exit_status::ok, exit_status::reference_differs},
        {{}, {failed("fault x"), fault_run}, exit_status::ok, exit_status::failure},
        {{failed("slower-than", verdict::slower), failed("slower-than", verdict::unknown)},
         {},
         exit_status::ok,
         exit_status::too_slow},
        {{failed("slower-than", verdict::inconclusive)}, {}, exit_status::ok, exit_status::cannot_judge},
        {{failed("compare", verdict::unknown)}, {}, exit_status::ok, exit_status::cannot_judge},
        {{failed("reference")}, {}, exit_status::failure, exit_status::failure},
        {{}, {}, exit_status::other_renderer, exit_status::other_renderer},
    };
    for (const auto& row : table) {
        report_model model;
        model.add_origin("this run", {});
        model.scene("s").checks = row.scene_checks;
        model.checks = row.run_checks;
        EXPECT_EQ(decide_exit_status(model, row.outside), row.expected) << &row - table;
    }
}
} // namespace
