// Instruction counts of measured frames: what one process counted per frame, split by where the code ran,
// and two sides' counts judged against each other. No GL here.
#pragma once

#include "stats/ab_statistics.h"
#include "stats/callgrind_profile.h"

#include <string>
#include <vector>

namespace tarnwick::bench {

// One run's instructions per measured frame (callgrind's Ir), in total and by origin.
struct instruction_count {
    int frames = 0;
    double per_frame = 0.0;
    double program = 0.0;
    double gl_driver = 0.0;
    double other = 0.0;
};

// A labelled dump over frames measured frames as counts per frame; program_object as split_by_origin takes
// it.
instruction_count count_of(const callgrind_profile& dump, int frames, const std::string& program_object = "");

// The part labelled label among the callgrind files in folder whose names start with prefix; false, with
// the reason in error, when none is found or a file cannot be read.
bool find_labelled_dump(const std::string& folder, const std::string& prefix, const std::string& label,
                        callgrind_profile& dump, std::string& error);

// How far two processes of one build may count apart and still count as the same (a fraction): the widest
// spread of A/A comparisons on this machine, with room (docs/PERFORMANCE.md).
constexpr double count_agreement = 0.001;
// The counts' default no-change band (a fraction), well above count_agreement.
constexpr double count_threshold = 0.0025;

// Two sides' counts per frame, one per process.
struct count_estimate {
    double base = 0.0, fresh = 0.0;
    // fresh / base; above 1 the new side runs more instructions.
    double ratio = 0.0;
    double low = 0.0, high = 0.0;
    // The widest disagreement between the processes of one side, relative to that side's mean.
    double spread = 0.0;
    // Whether spread is beyond count_agreement: the interval is then widened to it.
    bool disagree = false;
    bool has_interval = false;
};

// The ratio of the means, its interval ratio / (1 + w) to ratio * (1 + w) where w is the larger of
// agreement and spread; no interval without two processes on each side.
count_estimate estimate_counts(const std::vector<double>& base, const std::vector<double>& fresh,
                               double agreement = count_agreement);
// The verdict as judge gives it for times, on the counts' interval.
verdict judge_counts(const count_estimate& e, double threshold);

} // namespace tarnwick::bench
