// Two configurations measured in interleaved rounds of processes (A B B A): one log-ratio per round, a
// Student's t interval over the rounds, the verdict against a threshold and when to stop. No GL here.
#pragma once

#include "stats/verdict.h"

#include <vector>

namespace tarnwick::bench {

// One scene's median frame times (any unit, above 0) from the four processes of a round, in running order.
struct ab_round {
    double a_first = 0.0;
    double b_first = 0.0;
    double b_second = 0.0;
    double a_second = 0.0;
};

// ln(B / A) of one round: the mean of B's logarithms less the mean of A's. A drift of the machine that is
// linear in time over the round cancels, because A's two processes stand around B's.
double round_log_ratio(const ab_round& round);

// B's frame time over A's: the geometric mean over the rounds and its confidence interval.
struct ratio_estimate {
    int rounds = 0;
    double ratio = 0.0;
    double low = 0.0;
    double high = 0.0;
    // False with fewer than two rounds: then low and high say nothing.
    bool has_interval = false;
};

// The two-sided confidence interval from Student's t over the rounds' log-ratios, taken back to a ratio.
// The rounds are the independent unit; frames within a process never are.
ratio_estimate estimate_ratio(const std::vector<ab_round>& rounds, double confidence = 0.95);

// slower when the whole interval lies above 1 + threshold, faster when it lies below 1 / (1 + threshold)
// (so swapping A and B swaps the two), no change when it lies within both, else inconclusive; unknown
// without an interval. threshold is a fraction (0.03 for 3%).
verdict judge(const ratio_estimate& estimate, double threshold);

// The smallest change (a fraction) that an interval as wide as this one would still have called slower:
// (1 + threshold) times the interval's half-width as a factor, less 1. 0 without an interval.
double smallest_visible_change(const ratio_estimate& estimate, double threshold);

// When one scene stops taking rounds: once it has min_rounds and a verdict other than inconclusive, or at
// max_rounds.
struct ab_stopping {
    int min_rounds = 5;
    int max_rounds = 20;
    double threshold = 0.03;
};

// One scene's rounds as they come in, under the stopping rule.
class ab_sequence {
  public:
    explicit ab_sequence(const ab_stopping& rule) : rule(rule) {}
    void add(const ab_round& round);
    // True while the scene wants another round.
    bool open() const;
    int rounds() const { return int(measured.size()); }
    const std::vector<ab_round>& measured_rounds() const { return measured; }
    ratio_estimate estimate() const { return estimate_ratio(measured); }
    bench::verdict verdict() const { return judge(estimate(), rule.threshold); }

  private:
    ab_stopping rule;
    std::vector<ab_round> measured;
};

} // namespace tarnwick::bench
