// The bench's exit statuses, their meanings in one table (--help prints it, docs/BENCH.md holds the same
// rows), and the one function that decides a status from the record. No GL here.
#pragma once

#include "record/report_model.h"

#include <string>

namespace tarnwick::bench {

enum class exit_status {
    ok = 0,
    failure = 1,
    bad_options = 2,
    reference_differs = 3,
    too_slow = 4,
    cannot_judge = 5,
    other_renderer = 6
};

struct exit_status_row {
    exit_status status;
    const char* meaning;
};

constexpr exit_status_row exit_statuses[] = {
    {exit_status::ok, "done"},
    {exit_status::failure,
     "an OpenGL error, a barrage's shots outliving it, a file that could not be read or written (the "
     "report's included), a missing data folder, no headless context, a bench of --ab that failed, or "
     "--metric instructions without valgrind"},
    {exit_status::bad_options, "bad options (of --ab's benches too)"},
    {exit_status::reference_differs,
     "a scene's frame differs from its reference (or it has none); with --drivers, also a planted fault "
     "that passed"},
    {exit_status::too_slow, "a scene slower than --fail-slower allows"},
    {exit_status::cannot_judge,
     "with --fail-slower, a scene that cannot be judged (unknown or inconclusive, or in one file only)"},
    {exit_status::other_renderer,
     "GL_RENDERER does not match --expect-renderer, or there is no OpenGL context to match it"},
};

// The statuses as --help prints them: a heading, then a row per status with its meaning wrapped to width.
std::string exit_status_text(int width);

// The status a failed check gives: a run that failed outright 1, a reference or a planted fault 3, a
// slowdown beyond --fail-slower 4, a comparison that cannot judge 5, anything else 1.
exit_status status_of(const report_check& failed);

// The bench's status: outside when it is not ok (what the record does not hold: bad options, another
// renderer, a file that could not be written, a process that failed), else the gravest of the failed
// checks' (1, then 3, 4, 5), else 0.
exit_status decide_exit_status(const report_model& model, exit_status outside = exit_status::ok);

} // namespace tarnwick::bench
