// GPU time per frame on a headless context: each figure belongs to the frame it timed (heavy frames show
// their spike at their own index), the timer owns its queries, and timers that cannot measure say why.
#include "stage/gpu_timer.h"

#include "fullscreen_triangle.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <memory>

using namespace tarnwick::bench;

namespace {
// One of llvmpipe's 64x64 tiles: its timer spans about one tile's rasterization, so on a larger frame it
// would see a sixteenth of the work (measured: 256x256, one thread, 66 ms timed of 1062 ms with glFinish).
constexpr int frame_size = 64;
// Each fragment runs a long dependent loop.
constexpr const char* fragment_source = R"(#version 330
uniform int iterations;
out vec4 colour;
void main() {
    float v = gl_FragCoord.x * 0.001 + gl_FragCoord.y * 0.002;
    for (int i = 0; i < iterations; ++i)
        v = fract(sin(v * 12.9898 + float(i)) * 43758.5453);
    colour = vec4(v, v, v, 1.0);
})";
constexpr int fragment_iterations = 100;

// The context and the program, or a skip where EGL cannot make a context.
class gpu_timer_gl : public testing::Test {
  protected:
    void SetUp() override {
        std::string error;
        surface = egl_framebuffer::open(frame_size, frame_size, error);
        if (!surface)
            GTEST_SKIP() << error;
        const GLuint program = use_fullscreen_triangle(fragment_source);
        ASSERT_NE(program, 0u);
        glUniform1i(glGetUniformLocation(program, "iterations"), fragment_iterations);
    }
    void draw(int passes) {
        for (int i = 0; i < passes; ++i)
            glDrawArrays(GL_TRIANGLES, 0, 3);
    }

    std::unique_ptr<egl_framebuffer> surface;
};

constexpr int heavy_every = 10;
constexpr int heavy_passes = 10;
constexpr int frames_per_run = 30;
// The machine is shared and llvmpipe's timer runs on wall time, so a light frame may be stretched by a
// preemption now and then; the quickest of a few runs of each frame shows its own work.
constexpr int runs = 3;

TEST_F(gpu_timer_gl, each_figure_belongs_to_its_frame) {
    // The first frames compile the shaders: drawn, not measured.
    for (int i = 0; i < 3; ++i) {
        draw(heavy_passes);
        surface->present();
    }
    std::vector<double> quickest(frames_per_run, INFINITY);
    for (int run = 0; run < runs; ++run) {
        gpu_timer timer;
        ASSERT_TRUE(timer.available()) << timer.reason();
        for (int frame = 0; frame < frames_per_run; ++frame) {
            timer.begin_frame(frame);
            draw(frame % heavy_every == 0 ? heavy_passes : 1);
            timer.end_frame();
            surface->present();
        }
        timer.finish();
        ASSERT_TRUE(timer.available()) << timer.reason();
        // The headless surface waits for each frame's work, so every result is ready a frame later.
        EXPECT_EQ(timer.skipped_frames(), 0);
        const std::vector<double> ms = timer.frame_ms();
        ASSERT_EQ(ms.size(), size_t(frames_per_run));
        for (int frame = 0; frame < frames_per_run; ++frame) {
            ASSERT_FALSE(std::isnan(ms[size_t(frame)])) << "run " << run << " frame " << frame;
            quickest[size_t(frame)] = std::min(quickest[size_t(frame)], ms[size_t(frame)]);
        }
    }
    std::vector<double> light;
    std::vector<double> heavy;
    for (int frame = 0; frame < frames_per_run; ++frame)
        (frame % heavy_every == 0 ? heavy : light).push_back(quickest[size_t(frame)]);
    std::sort(light.begin(), light.end());
    std::sort(heavy.begin(), heavy.end());
    const double light_median = light[light.size() / 2];
    const double heavy_median = heavy[heavy.size() / 2];
    EXPECT_GT(heavy_median, 4.0 * light_median);
    // Halfway (on a log scale) between the two: exactly the heavy frames are above it.
    const double limit = std::sqrt(light_median * heavy_median);
    for (int frame = 0; frame < frames_per_run; ++frame)
        EXPECT_EQ(quickest[size_t(frame)] > limit, frame % heavy_every == 0)
            << "frame " << frame << ": " << quickest[size_t(frame)] << " ms, light median " << light_median
            << " ms, heavy median " << heavy_median << " ms";
}

// Query names that are live objects, up to a bound above what this process makes.
int live_queries() {
    int live = 0;
    for (GLuint name = 1; name <= 64; ++name)
        live += glIsQuery(name) == GL_TRUE;
    return live;
}

TEST_F(gpu_timer_gl, moves_hand_over_the_queries_and_the_owner_deletes_them) {
    const int before = live_queries();
    {
        auto first = std::make_unique<gpu_timer>();
        for (int frame = 0; frame < 6; ++frame) {
            first->begin_frame(frame);
            draw(1);
            first->end_frame();
            surface->present();
        }
        EXPECT_EQ(live_queries(), before + 4);
        gpu_timer second(std::move(*first));
        first.reset();
        EXPECT_EQ(live_queries(), before + 4);
        // The new owner goes on where the first stopped, with the first's figures.
        second.begin_frame(6);
        draw(1);
        second.end_frame();
        second.finish();
        const std::vector<double> ms = second.frame_ms();
        ASSERT_EQ(ms.size(), 7u);
        EXPECT_TRUE(std::none_of(ms.begin(), ms.end(), [](double v) { return std::isnan(v); }));
    }
    EXPECT_EQ(live_queries(), before);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST(gpu_timer, timers_that_cannot_measure_are_named) {
    const struct {
        int major, minor;
        bool extension;
        int bits;
        const char* reason;
    } table[] = {
        {3, 3, false, 64, ""},
        {4, 6, false, 64, ""},
        {3, 2, true, 64, ""},
        {3, 2, false, 64, "no timer queries in OpenGL 3.2 without GL_ARB_timer_query"},
        {2, 1, false, 0, "no timer queries in OpenGL 2.1 without GL_ARB_timer_query"},
        {4, 5, true, 0, "the GPU timer has 0 bits"},
    };
    for (const auto& r : table)
        EXPECT_EQ(timer_query_shortfall(r.major, r.minor, r.extension, r.bits), r.reason)
            << r.major << "." << r.minor << " extension " << r.extension << " bits " << r.bits;
}

TEST(gpu_timer, results_of_a_timer_that_does_not_tick_are_no_measurement) {
    const double none = std::nan("");
    const struct {
        std::vector<double> nanoseconds;
        const char* reason;
    } table[] = {
        {{}, ""},
        {{none, none}, ""},
        {{0.0, none, 0.0}, "every GPU time read was zero"},
        {{0.0, 1.5e6}, ""},
    };
    for (const auto& r : table)
        EXPECT_EQ(timer_results_shortfall(r.nanoseconds), r.reason) << r.nanoseconds.size() << " results";
}
} // namespace
