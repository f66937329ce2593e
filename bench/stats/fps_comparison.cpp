// Two samples of a scene's mean FPS set against each other by Welch's t-test. No GL here.
#include "stats/fps_comparison.h"

#include "stats/t_distribution.h"

#include <cmath>

namespace tarnwick::bench {

namespace {
constexpr double significance = 0.05;
} // namespace

double welch_p_value(const std::vector<double>& a, const std::vector<double>& b) {
    const double va = variance(a) / double(a.size());
    const double vb = variance(b) / double(b.size());
    const double se2 = va + vb;
    if (se2 <= 0.0)
        return mean(a) == mean(b) ? 1.0 : 0.0;
    const double t = (mean(a) - mean(b)) / std::sqrt(se2);
    const double df = se2 * se2 / (va * va / double(a.size() - 1) + vb * vb / double(b.size() - 1));
    return two_sided_t_p_value(t, df);
}

fps_verdict compare_fps(const std::vector<double>& base, const std::vector<double>& fresh) {
    fps_verdict c;
    fps_comparison& f = c.figures;
    f.base_fps = mean(base);
    f.new_fps = mean(fresh);
    f.base_sd = std::sqrt(variance(base));
    f.new_sd = std::sqrt(variance(fresh));
    f.ratio = f.base_fps > 0.0 ? f.new_fps / f.base_fps : 0.0;
    if (base.size() < 2 || fresh.size() < 2)
        c.verdict = verdict::unknown;
    else if (welch_p_value(base, fresh) >= significance)
        c.verdict = verdict::no_change;
    else
        c.verdict = f.new_fps > f.base_fps ? verdict::faster : verdict::slower;
    return c;
}

} // namespace tarnwick::bench
