// Two configurations measured in interleaved rounds of processes (A B B A): one log-ratio per round, a
// Student's t interval over the rounds, the verdict against a threshold and when to stop. No GL here.
#include "stats/ab_statistics.h"

#include "stats/t_distribution.h"

#include <cmath>

namespace tarnwick::bench {

double round_log_ratio(const ab_round& r) {
    return (std::log(r.b_first) + std::log(r.b_second) - std::log(r.a_first) - std::log(r.a_second)) / 2.0;
}

ratio_estimate estimate_ratio(const std::vector<ab_round>& rounds, double confidence) {
    ratio_estimate e;
    e.rounds = int(rounds.size());
    if (rounds.empty())
        return e;
    std::vector<double> logs;
    for (const ab_round& r : rounds)
        logs.push_back(round_log_ratio(r));
    const double n = double(logs.size()), centre = mean(logs);
    e.ratio = e.low = e.high = std::exp(centre);
    if (logs.size() < 2)
        return e;
    const double half_width = t_quantile(0.5 + confidence / 2.0, n - 1.0) * std::sqrt(variance(logs) / n);
    e.low = std::exp(centre - half_width);
    e.high = std::exp(centre + half_width);
    e.has_interval = true;
    return e;
}

verdict judge(const ratio_estimate& e, double threshold) {
    if (!e.has_interval)
        return verdict::unknown;
    const double upper = 1.0 + threshold;
    const double lower = 1.0 / upper;
    if (e.low > upper)
        return verdict::slower;
    if (e.high < lower)
        return verdict::faster;
    if (e.low >= lower && e.high <= upper)
        return verdict::no_change;
    return verdict::inconclusive;
}

double smallest_visible_change(const ratio_estimate& e, double threshold) {
    if (!e.has_interval)
        return 0.0;
    return (1.0 + threshold) * std::sqrt(e.high / e.low) - 1.0;
}

void ab_sequence::add(const ab_round& round) { measured.push_back(round); }

bool ab_sequence::open() const {
    if (rounds() >= rule.max_rounds)
        return false;
    return rounds() < rule.min_rounds || !judged(verdict());
}

} // namespace tarnwick::bench
