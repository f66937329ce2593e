// --compare: two results files compared scene by scene. No GL here.
#include "runners/run_comparison.h"

#include "record/exit_status.h"
#include "record/report_console.h"
#include "record/report_files.h"
#include "record/run_table.h"

#include <fstream>
#include <iostream>

namespace tarnwick::bench {

int run_compare(const std::vector<std::string>& files, const ab_settings& options, std::ostream& out) {
    run_table tables[2];
    const metric& measure = *find_metric(options.metric);
    for (int i = 0; i < 2; ++i) {
        std::ifstream in(files[size_t(i)]);
        const std::string error = in ? read_run_table(in, tables[i], measure) : "cannot be read";
        if (!error.empty()) {
            std::cerr << "tarnwick-bench: " << files[size_t(i)] << ": " << error << std::endl;
            return int(exit_status::failure);
        }
    }
    report_model model = comparison_report(tables[0], tables[1], files[0], files[1], options.fail_slower,
                                           options.command_line);
    model.metric = measure.word;
    print_comparison(model, out);
    out.flush();
    const bool written = options.report_dir.empty() || write_report(options.report_dir, model, out);
    return int(decide_exit_status(model, written ? exit_status::ok : exit_status::failure));
}

} // namespace tarnwick::bench
