// Student's t distribution through Boost.Math, with errors as NaN instead of exceptions, and the sample
// figures its tests take. No GL here.
#pragma once

#include <vector>

namespace tarnwick::bench {

// The mean of v, and its sample variance (n - 1 in the denominator; 0 for fewer than two values).
double mean(const std::vector<double>& v);
double variance(const std::vector<double>& v);

// The two-sided probability that Student's t with df degrees of freedom lies beyond +-t.
double two_sided_t_p_value(double t, double df);
// The value below which Student's t with df degrees of freedom lies with probability p (0 < p < 1).
double t_quantile(double p, double df);

} // namespace tarnwick::bench
