// The report's frame-time plot as inline SVG. No GL here.
#include "record/report_plot.h"

#include "stats/frame_summary.h"
#include "record/report_html.h"

#include <algorithm>
#include <cmath>

namespace tarnwick::bench {

namespace {
constexpr double width = 520.0, height = 220.0;
// The top margin holds the count of frames above the scale, clear of the lines.
constexpr double left = 50.0, right = 510.0, top = 28.0, bottom = 196.0;
constexpr int scale_ticks = 4;
// Above this many times the p99, the scale stops at the p99's reach instead of the longest frame's.
constexpr double stall_factor = 2.0;
constexpr double headroom = 1.25;

// The decimals a tick label needs to show step.
int decimals_of(double step) { return step >= 1.0 ? 0 : int(std::ceil(-std::log10(step) - 1e-9)); }

double y_of(double ms, double scale) { return bottom - (bottom - top) * std::min(ms, scale) / scale; }

// A series as polyline points, at most one per horizontal unit: the longest frame of each bucket, so that a
// spike stays visible however many frames share the unit.
std::string points(const std::vector<double>& ms, size_t frames, double scale) {
    const size_t buckets = std::min(frames, size_t(right - left));
    std::string text;
    for (size_t b = 0; b < buckets; ++b) {
        const size_t from = b * frames / buckets, to = std::min((b + 1) * frames / buckets, ms.size());
        if (from >= to)
            break;
        // Frames without a figure (NaN) are left out; a bucket of none draws no point.
        double longest = -1.0;
        for (size_t i = from; i < to; ++i)
            longest = std::isfinite(ms[i]) ? std::max(longest, ms[i]) : longest;
        if (longest < 0.0)
            continue;
        const double x = frames > 1 ? left + (right - left) * double(from) / double(frames - 1) : left;
        text += fixed(x, 1) + "," + fixed(y_of(longest, scale), 1) + " ";
    }
    return text;
}

std::string scale_and_axes(double scale, double step, size_t frames) {
    std::string svg;
    const int decimals = decimals_of(step);
    for (double v = 0.0; v <= scale + step / 2; v += step) {
        const std::string y = fixed(y_of(v, scale), 1);
        svg += "<line class=\"grid\" x1=\"" + fixed(left, 0) + "\" x2=\"" + fixed(right, 0) + "\" y1=\"" + y +
               "\" y2=\"" + y + "\"/><text class=\"tick\" x=\"" + fixed(left - 6, 0) + "\" y=\"" + y +
               "\" text-anchor=\"end\" dominant-baseline=\"middle\">" + fixed(v, decimals) + "</text>";
    }
    const std::string base = fixed(bottom + 16, 0);
    svg += "<text class=\"tick\" x=\"" + fixed(left, 0) + "\" y=\"" + base + "\">frame 1</text>";
    svg += "<text class=\"tick\" x=\"" + fixed(right, 0) + "\" y=\"" + base +
           "\" text-anchor=\"end\">frame " + std::to_string(frames) + "</text>";
    return svg;
}

// A dashed line across the plot at ms, named at its right end: above the line, or below it for the p50, so
// that two close lines keep their names apart; the name stays inside the plot, off the frame axis' labels.
std::string percentile_line(const char* name, double ms, double scale, bool below) {
    const std::string y = fixed(y_of(ms, scale), 1);
    const double label_y = std::clamp(y_of(ms, scale) + (below ? 14 : -4), top + 12, bottom - 4);
    return "<line class=\"" + std::string(name) + "\" x1=\"" + fixed(left, 0) + "\" x2=\"" + fixed(right, 0) +
           "\" y1=\"" + y + "\" y2=\"" + y + "\"/><text class=\"mark\" x=\"" + fixed(right - 4, 0) +
           "\" y=\"" + fixed(label_y, 1) + "\" text-anchor=\"end\">" + name + " " + fixed(ms, 2) + "</text>";
}
} // namespace

const char* series_colour(size_t index) {
    static const char* const colours[] = {"#0969da", "#e16f24", "#1a7f37", "#8250df", "#bf3989", "#6e7781"};
    return colours[index % (sizeof colours / sizeof *colours)];
}

double tick_step(double span, int ticks) {
    const double raw = span > 0.0 ? span / ticks : 1.0;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    for (double m : {1.0, 2.0, 5.0}) {
        if (m * power >= raw * (1 - 1e-9))
            return m * power;
    }
    return 10.0 * power;
}

std::string frame_time_svg(const std::vector<plot_series>& series, const std::string& title) {
    std::vector<double> all;
    size_t frames = 1;
    for (const plot_series& s : series) {
        all.insert(all.end(), s.frame_ms.begin(), s.frame_ms.end());
        frames = std::max(frames, s.frame_ms.size());
    }
    const double p50 = percentile(all, 50.0), p99 = percentile(all, 99.0);
    const double longest = all.empty() ? 0.0 : *std::max_element(all.begin(), all.end());
    const double reach = longest > stall_factor * p99 ? p99 * headroom : longest;
    const double step = tick_step(reach, scale_ticks);
    const double scale = step * std::max(1.0, std::ceil(reach / step - 1e-9));
    std::string svg = "<svg viewBox=\"0 0 " + fixed(width, 0) + " " + fixed(height, 0) +
                      "\" role=\"img\" aria-label=\"" + html_text(title) + "\"><title>" + html_text(title) +
                      "</title>" + scale_and_axes(scale, step, frames);
    for (size_t i = 0; i < series.size(); ++i) {
        svg += "<polyline fill=\"none\" stroke=\"" + std::string(series_colour(i)) + "\" points=\"" +
               points(series[i].frame_ms, frames, scale) + "\"/>";
        if (!series[i].gpu_ms.empty())
            svg += "<polyline class=\"gpu\" fill=\"none\" stroke-dasharray=\"4 3\" stroke=\"" +
                   std::string(series_colour(i)) + "\" points=\"" + points(series[i].gpu_ms, frames, scale) +
                   "\"/>";
    }
    svg += percentile_line("p50", p50, scale, true) + percentile_line("p99", p99, scale, false);
    const long above = std::count_if(all.begin(), all.end(), [scale](double ms) { return ms > scale; });
    if (above > 0)
        svg += "<text class=\"mark\" x=\"" + fixed(left, 0) + "\" y=\"" + fixed(top - 10, 0) + "\">" +
               std::to_string(above) + " frame(s) above the scale, the longest " + fixed(longest, 1) +
               " ms</text>";
    return svg + "</svg>";
}

} // namespace tarnwick::bench
