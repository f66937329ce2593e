// Student's t distribution through Boost.Math, with errors as NaN instead of exceptions. No GL here.
#pragma once

namespace tarnwick::bench {

// The two-sided probability that Student's t with df degrees of freedom lies beyond +-t.
double two_sided_t_p_value(double t, double df);
// The value below which Student's t with df degrees of freedom lies with probability p (0 < p < 1).
double t_quantile(double p, double df);

} // namespace tarnwick::bench
