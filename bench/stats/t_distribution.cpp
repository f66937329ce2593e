// Student's t distribution through Boost.Math, with errors as NaN instead of exceptions. No GL here.
#include "stats/t_distribution.h"

#include <boost/math/distributions/students_t.hpp>
#include <cmath>
#include <numeric>

namespace tarnwick::bench {

namespace {
// The program uses no exceptions: a bad argument gives NaN and sets errno.
using no_throw = boost::math::policies::policy<
    boost::math::policies::domain_error<boost::math::policies::errno_on_error>,
    boost::math::policies::overflow_error<boost::math::policies::errno_on_error>,
    boost::math::policies::evaluation_error<boost::math::policies::errno_on_error>>;
using students_t = boost::math::students_t_distribution<double, no_throw>;
} // namespace

double mean(const std::vector<double>& v) {
    return std::accumulate(v.begin(), v.end(), 0.0) / double(v.size());
}

double variance(const std::vector<double>& v) {
    if (v.size() < 2)
        return 0.0;
    const double m = mean(v);
    double sum = 0.0;
    for (double x : v)
        sum += (x - m) * (x - m);
    return sum / double(v.size() - 1);
}

double two_sided_t_p_value(double t, double df) {
    return 2.0 * boost::math::cdf(boost::math::complement(students_t(df), std::fabs(t)));
}

double t_quantile(double p, double df) { return boost::math::quantile(students_t(df), p); }

} // namespace tarnwick::bench
