// The bench's exit statuses and the one function that decides one. No GL here.
#include "record/exit_status.h"

#include <algorithm>
#include <sstream>

namespace tarnwick::bench {

namespace {
// Graver first: a run that failed hides what it measured.
constexpr exit_status gravity[] = {exit_status::failure, exit_status::reference_differs,
                                   exit_status::too_slow, exit_status::cannot_judge};

} // namespace

std::string exit_status_text(int width) {
    std::string text = "Exit status:\n";
    for (const exit_status_row& row : exit_statuses) {
        std::string line = "  " + std::to_string(int(row.status)) + "  ";
        const size_t hang = line.size();
        std::istringstream words(row.meaning);
        for (std::string word; words >> word;) {
            if (line.size() > hang && line.size() + 1 + word.size() > size_t(width)) {
                text += line + "\n";
                line = std::string(hang, ' ');
            }
            line += (line.size() > hang ? " " : "") + word;
        }
        text += line + "\n";
    }
    return text;
}

exit_status status_of(const report_check& c) {
    if (c.figure(run_failed_figure) > 0.0)
        return exit_status::failure;
    if (c.name == "reference" || c.name.rfind(fault_check_prefix, 0) == 0)
        return exit_status::reference_differs;
    if (c.name == "slower-than")
        return c.verdict == verdict::slower ? exit_status::too_slow : exit_status::cannot_judge;
    if (c.name == "compare")
        return exit_status::cannot_judge;
    return exit_status::failure;
}

exit_status decide_exit_status(const report_model& model, exit_status outside) {
    if (outside != exit_status::ok)
        return outside;
    const exit_status* gravest = std::end(gravity);
    const auto add = [&gravest](const std::vector<report_check>& checks) {
        for (const report_check& c : checks) {
            if (c.failed)
                gravest = std::min(gravest, std::find(std::begin(gravity), gravest, status_of(c)));
        }
    };
    add(model.checks);
    for (const report_scene& s : model.scenes)
        add(s.checks);
    return gravest == std::end(gravity) ? exit_status::ok : *gravest;
}

} // namespace tarnwick::bench
