// Motion-blur composition on a real context: what the full-screen pass covers and the pixel buffer's
// sizes. The trail itself is in the bench's reference picture of the blur scene; the window sizes in its
// barrage.
#include "render/frame_composition.h"
#include "render/shader_set.h"
#include "gl_test.h"

#include <gtest/gtest.h>
#include <vector>

namespace {
// The stores, the ring and the screen quad as start-up makes them.
#define REQUIRE_RING()                                                                                       \
    do {                                                                                                     \
        REQUIRE_GAME_STORES();                                                                               \
        if (!screen) {                                                                                       \
            shaders->motion->init_frames();                                                                  \
            testing::internal::CaptureStdout();                                                              \
            create_screen_quad();                                                                            \
            testing::internal::GetCapturedStdout();                                                          \
        }                                                                                                    \
    } while (0)

// With one picture in all six slots and no blending, the pass alone must give the picture back, every pixel
// of it, the corners included: the quad covers the window and maps the slots onto it unmoved.
TEST(frame_composition, quad_over_six_copies_of_a_picture_gives_back_that_picture) {
    REQUIRE_RING();
    const int w = 800, h = 600;
    // Never black, and unlike itself flipped or stretched either way.
    std::vector<uint8_t> picture;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            picture.insert(picture.end(), {uint8_t(20 + x * 200 / w), uint8_t(20 + y * 200 / h), 60});
    for (unsigned unit = 1; unit <= 6; ++unit) {
        glActiveTexture(GL_TEXTURE0 + unit);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB8, w, h, 0, GL_RGB, GL_UNSIGNED_BYTE, picture.data());
    }
    glActiveTexture(GL_TEXTURE0);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    shaders->motion->apply();
    screen->draw();
    glUseProgram(0);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    const std::vector<uint8_t> drawn = read_back_rgb(0, 0, w, h);
    int worst = 0;
    for (size_t i = 0; i < drawn.size(); ++i)
        worst = std::max(worst, std::abs(int(drawn[i]) - int(picture[i])));
    EXPECT_LE(worst, 2);
}

// A size without area is refused; past the start-up capacity (four frames' worth) the buffer grows to hold
// rows padded to 4 bytes (4509 to 4512 here); it never shrinks.
TEST(frame_composition, pixel_buffer_reservation_skips_empty_sizes_and_only_grows) {
    REQUIRE_RING();
    struct row {
        int width, height;
        bool usable;
        GLsizeiptr at_least;
    };
    const row table[] = {
        {0, 600, false, 0}, {800, 0, false, 0}, {1503, 1300, true, 4512 * 1300}, {10, 10, true, 0}};
    motion_shader& motion = *shaders->motion;
    ASSERT_LT(motion.pixel_buffer_size, GLsizeiptr(4512) * 1300) << "the third row must grow the buffer";
    for (const row& r : table) {
        const GLsizeiptr before = motion.pixel_buffer_size;
        EXPECT_EQ(motion.reserve_pixel_buffer(r.width, r.height), r.usable) << r.width << "x" << r.height;
        EXPECT_GE(motion.pixel_buffer_size, std::max(before, r.at_least)) << r.width << "x" << r.height;
        GLint size = 0;
        glBindBuffer(GL_PIXEL_PACK_BUFFER, motion.pixel_buffer);
        glGetBufferParameteriv(GL_PIXEL_PACK_BUFFER, GL_BUFFER_SIZE, &size);
        glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
        EXPECT_EQ(GLsizeiptr(size), motion.pixel_buffer_size);
    }
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}
} // namespace
