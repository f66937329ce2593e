// GPU time per frame from GL timer queries (GL_TIME_ELAPSED), each read a few frames after it was issued so
// that the pipeline never waits for a result while frames are being drawn.
#pragma once

#include "app/shell/gl.h"

#include <array>
#include <string>
#include <vector>

namespace tarnwick::bench {

// Why a context with this version, timer-query extension and GL_QUERY_COUNTER_BITS of GL_TIME_ELAPSED
// cannot time frames; empty when it can (timer queries are core from GL 3.3, else GL_ARB_timer_query).
std::string timer_query_shortfall(int gl_major, int gl_minor, bool has_timer_query_extension,
                                  int counter_bits);

// Why the results a timer gave (nanoseconds per frame, NaN where none came) are not measurements: results
// came and every one was zero (a timer that does not tick). Empty otherwise.
std::string timer_results_shortfall(const std::vector<double>& nanoseconds);

// Owns a small ring of query objects in the context current when it was made, which must be current
// whenever it is used or destroyed. Move-only; a moved-from timer owns nothing and measures nothing.
class gpu_timer {
  public:
    // Checks the current context for timer queries and makes the ring where it has them.
    gpu_timer();
    ~gpu_timer();
    gpu_timer(gpu_timer&& other) noexcept;
    gpu_timer& operator=(gpu_timer&& other) noexcept;
    gpu_timer(const gpu_timer&) = delete;
    gpu_timer& operator=(const gpu_timer&) = delete;

    // Brackets the GL work of frame (an index >= 0, one begin and one end per frame, never nested). begin
    // first takes the results that are ready; when the ring's next query still waits for its own, this
    // frame goes unmeasured rather than stall the pipeline (skipped_frames counts them).
    void begin_frame(int frame);
    void end_frame();
    // Waits for the results still outstanding, as a run's end may.
    void finish();

    // False where the context has no timer queries or every result read was zero (a timer that does not
    // tick); reason() then says why, for a line such as "GPU time: not available (<reason>)".
    bool available() const;
    std::string reason() const;
    // Milliseconds of GL work per frame index, NaN where unknown; every entry NaN when not available.
    std::vector<double> frame_ms() const;
    int skipped_frames() const { return skipped; }

  private:
    static constexpr int ring_size = 4;
    struct slot {
        GLuint query = 0;
        int frame = -1;
        bool pending = false;
    };
    // Reads the pending results; waits for them only when asked.
    void collect(bool wait);
    void release();

    std::array<slot, ring_size> ring{};
    std::string shortfall;
    std::vector<double> nanoseconds;
    int next = 0;
    int active = -1;
    int skipped = 0;
};

} // namespace tarnwick::bench
