// The bench's frame loop: steps a run's warm-up and measured frames, timing each and saving screenshots.
#pragma once

#include "images/image_compare.h"
#include "scenes/scene.h"
#include "stage/frame_end.h"
#include "stage/instruction_counter.h"
#include "stats/instruction_counts.h"
#include "stats/frame_summary.h"

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace tarnwick::bench {

class bench_stage;
class gpu_timer;

// Saves the back buffer of the given frame (counted from 1 over the whole run, warm-up included).
struct screenshot_request {
    int frame = 0;
    std::string file;
};

// What the frame loop takes from the command line; fixed_dt 0: the measured frame time, as the game does;
// variants: references are being made; startup_only: exit once the first frame is presented; end: how
// each frame ends.
struct loop_settings {
    int width, height, warmup, frames;
    double fixed_dt;
    std::vector<screenshot_request> screenshots;
    bool variants, startup_only;
    frame_end end = frame_end::swap;
    // Where callgrind writes this process's dumps when the measured frames are counted; empty: not counted.
    std::string count_folder = "";
};

// A run's measured frames, and the frame it was asked to keep.
struct measured_run {
    run_samples samples;
    rgb_image picture;
    // When references are made: the kept frame drawn again with the dissolves a step further and a step
    // less burnt (their edges are where drivers round apart); empty when nothing dissolves.
    std::vector<rgb_image> variants;
    // The measured frames' instructions, when they were counted.
    std::optional<instruction_count> instructions;
};

class frame_loop {
  public:
    // report receives the start-up line when the options ask to stop after the first frame.
    frame_loop(const loop_settings& options, bench_stage& stage, std::ostream& report);
    // Steps the run's warm-up and measured frames on the stage, which has begun the run, and keeps the
    // back buffer of frame keep (counted from 1 with the warm-up; 0: none). A run shorter than that
    // goes on unmeasured up to it.
    measured_run measure(const scene_run& run, int keep);

    int gl_errors() const { return gl_error_count; }
    // Milliseconds from process start to the first presented frame, or -1 where /proc cannot tell.
    double first_frame_ms() const { return first_frame; }
    // False once a screenshot could not be written or a count could not be read.
    bool outputs_ok() const { return outputs_good; }

  private:
    // One frame: events drained, simulated and drawn (GPU-timed when measured), read back, ended as asked,
    // GL errors read.
    void step(const scene_run& run, int index, bool measured, bool keep, measured_run& result);
    // The run's GPU times from its timer, said once to be unavailable when they are.
    void take_gpu_times(gpu_timer& timer, measured_run& result);
    // The screenshots of this frame and, when kept, its picture; returns the seconds the reading took,
    // which the frame's time leaves out.
    double read_back(bool keep, measured_run& result);
    // The kept frame's variants for the reference's unstable-pixel mask.
    void read_variants(measured_run& result);
    void after_first_frame();
    void count_gl_errors(const scene_run& run, int index);
    // The count of the measured frames just dumped under the run's label.
    void read_count(const scene_run& run, measured_run& result);

    const loop_settings options;
    bench_stage& stage;
    std::ostream& report;
    long frame_number = 0;
    double first_frame = -1.0;
    double previous_clock = 0.0;
    int gl_error_count = 0;
    bool outputs_good = true;
    // Why the last run had no GPU time, said once for runs after it that have none for the same reason.
    std::string said_no_gpu_time;
    // The timer of the run under way, which brackets each measured frame's GL work.
    gpu_timer* timer = nullptr;
    instruction_counter counter;
};

} // namespace tarnwick::bench
