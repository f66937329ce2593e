// The measures --compare and --ab can set against each other. No GL here.
#include "record/metric.h"

#include <algorithm>
#include <iterator>
#include <cmath>

namespace tarnwick::bench {

const metric metrics[4] = {
    {"frame", "the whole frame's time (default)", "mean FPS", "mean_fps", false,
     [](const frame_summary& s) { return s.p50_ms; }},
    {"gpu", "the GPU time of the frame's GL work, from timer queries",
     "GPU time as a rate, 1000 / mean GPU ms", "gpu_mean_ms", true,
     [](const frame_summary& s) { return s.gpu_p50_ms.value_or(std::nan("")); }},
    {"cpu", "our own CPU time per frame, presentation excluded", "CPU time as a rate, 1000 / mean CPU ms",
     "cpu_ms", true, [](const frame_summary& s) { return s.cpu_ms; }},
    {"instructions", "instructions per measured frame, counted\nunder callgrind (a run or --ab)",
     "instructions per frame", nullptr, false, nullptr},
};

const metric* find_metric(const std::string& word) {
    const auto it = std::find_if(std::begin(metrics), std::end(metrics),
                                 [&word](const metric& m) { return word == m.word; });
    return it == std::end(metrics) ? nullptr : &*it;
}

bool counts_instructions(const std::string& word) { return word == metrics[3].word; }

} // namespace tarnwick::bench
