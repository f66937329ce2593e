// What a run measures and --compare and --ab set against each other (--metric): the whole frame's time, its
// GPU time, our CPU time or the instructions counted under callgrind. One row per measure, so that a new
// measure is one more row. No GL here.
#pragma once

#include "stats/frame_summary.h"

#include <string>

namespace tarnwick::bench {

struct metric {
    // --metric's word, and its line in --help.
    const char* word;
    const char* help;
    // What the comparisons' headings say is compared.
    const char* compared;
    // --compare: the results file's column holding each run's figure. A time in milliseconds compares as
    // its rate, 1000 / ms, so that a lower figure is slower as with mean FPS and the verdicts keep their
    // meaning.
    const char* csv_column;
    bool column_is_ms;
    // --ab: a process's figure of a scene, a time that is higher when slower; NaN where it has none. Null
    // (and csv_column too) for instructions, which a counted run takes from callgrind instead.
    double (*of_run)(const frame_summary&);
};

// frame (the default), gpu, cpu, instructions, in that order.
extern const metric metrics[4];
// The metric of that word, or null.
const metric* find_metric(const std::string& word);
// Whether the metric of that word is the instruction count, which runs the bench under callgrind.
bool counts_instructions(const std::string& word);

} // namespace tarnwick::bench
