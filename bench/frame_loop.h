// The bench's frame loop: steps a run's warm-up and measured frames, timing each and saving screenshots.
#pragma once

#include "bench_options.h"
#include "bench_stage.h"

#include <ostream>
#include <vector>

// Seconds per measured frame: the whole frame, and our own CPU part (presentation excluded).
struct run_samples {
    std::vector<double> frame_seconds;
    std::vector<double> cpu_seconds;
};

class frame_loop {
  public:
    // report receives the start-up line when the options ask to stop after the first frame.
    frame_loop(const bench_options& options, bench_stage& stage, std::ostream& report);
    // Steps the run's warm-up and measured frames on the stage, which has begun the run.
    run_samples measure(const scene_run& run);

    int gl_errors() const { return gl_error_count; }
    // Milliseconds from process start to the first presented frame, or -1 where /proc cannot tell.
    double first_frame_ms() const { return first_frame; }
    // False once a screenshot could not be written.
    bool outputs_ok() const { return screenshots_ok; }

  private:
    // One frame: events drained, simulated and drawn, screenshots, presented, GL errors read.
    void step(const scene_run& run, int index, bool measured, run_samples& samples);
    void save_screenshots();
    void after_first_frame();
    void count_gl_errors(const scene_run& run, int index);

    const bench_options& options;
    bench_stage& stage;
    std::ostream& report;
    long frame_number = 0;
    double first_frame = -1.0;
    double previous_clock = 0.0;
    int gl_error_count = 0;
    bool screenshots_ok = true;
};
