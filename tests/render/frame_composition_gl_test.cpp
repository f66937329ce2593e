// Motion-blur composition on a real context: the quad, the ring's contents, the blended frame, resizes.
#include "app/shell/shell.h"
#include "support/probe_mesh.h"
#include "render/camera.h"
#include "render/frame_composition.h"
#include "render/shader_set.h"
#include "gl_test.h"

#include <glm/gtc/type_ptr.hpp>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace {
// Small at start-up, so that a resize within the X screen can exceed four times the start-up pixels.
constexpr int start_width = 320;
constexpr int start_height = 240;
std::string quad_output;

#define REQUIRE_RING()                                                                                       \
    do {                                                                                                     \
        if (!open_gl_context(start_width, start_height))                                                     \
            GTEST_SKIP() << "no X display";                                                                  \
        if (!shaders) {                                                                                      \
            shaders = new shader_set();                                                                      \
            set_view(forward_view());                                                                        \
            shaders->motion->init_frames();                                                                  \
            testing::internal::CaptureStdout();                                                              \
            create_screen_quad();                                                                            \
            quad_output = testing::internal::GetCapturedStdout();                                            \
        }                                                                                                    \
    } while (0)

int display_width() { return al_get_display_width(display); }
int display_height() { return al_get_display_height(display); }
std::vector<uint8_t> whole_frame() { return read_back_rgb(0, 0, display_width(), display_height()); }

GLint gl_pixel_buffer_size() {
    GLint size = 0;
    glBindBuffer(GL_PIXEL_PACK_BUFFER, shaders->motion->pixel_buffer);
    glGetBufferParameteriv(GL_PIXEL_PACK_BUFFER, GL_BUFFER_SIZE, &size);
    glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
    return size;
}

void draw_quad(glm::vec3 centre, float half, glm::vec4 colour) {
    const std::unique_ptr<probe_mesh> quad(make_facing_quad(centre, half, {0, 0, -1}));
    glUseProgram(shaders->phong->program);
    glUniformMatrix4fv(shaders->phong->model_matrix_location, 1, GL_FALSE, glm::value_ptr(glm::mat4(1.0f)));
    glUniform4fv(shaders->phong->diffuse_color_location, 1, glm::value_ptr(colour));
    quad->draw();
}

void draw_static_scene() {
    clear_to(0.02f, 0.02f, 0.08f);
    draw_quad({0.9f, 0.4f, 5}, 0.6f, {0.9f, 0.2f, 0.2f, 1});
    draw_quad({-0.7f, -0.3f, 6}, 0.8f, {0.2f, 0.8f, 0.4f, 1});
    draw_quad({0.0f, 0.0f, 4}, 0.3f, {0.3f, 0.4f, 1.0f, 0.5f});
}

// The largest difference of any channel of any pixel.
int largest_difference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
    int worst = 0;
    for (size_t i = 0; i < a.size() && i < b.size(); ++i)
        worst = std::max(worst, std::abs(int(a[i]) - int(b[i])));
    return a.size() == b.size() ? worst : 256;
}

// The image of the texture on a ring unit, 3 bytes per pixel without padding.
std::vector<uint8_t> ring_image(unsigned unit, int& w, int& h) {
    glActiveTexture(GL_TEXTURE0 + unit);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &h);
    std::vector<uint8_t> image(size_t(w) * size_t(h) * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, image.data());
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glActiveTexture(GL_TEXTURE0);
    return image;
}

// One frame as the main loop runs it with motion blur on, after the scene was drawn.
void compose_and_advance(std::vector<uint8_t>& unblurred, std::vector<uint8_t>& composed) {
    unblurred = whole_frame();
    compose_frame();
    composed = whole_frame();
    shaders->motion->advance();
}

TEST(frame_composition, screen_quad_is_six_byte_indices_over_64_and_32_byte_buffers) {
    REQUIRE_RING();
    ASSERT_NE(screen, nullptr);
    EXPECT_NE(screen->vao, 0u);
    EXPECT_EQ(screen->mode, GLenum(GL_TRIANGLES));
    EXPECT_EQ(screen->count, 6);
    EXPECT_EQ(screen->index_type, GLenum(GL_UNSIGNED_BYTE));
    EXPECT_EQ(quad_output, "screen->vao" + std::to_string(screen->vao) + "\n");

    glBindVertexArray(screen->vao);
    GLint buffers[3] = {};
    glGetVertexAttribiv(0, GL_VERTEX_ATTRIB_ARRAY_BUFFER_BINDING, &buffers[0]);
    glGetVertexAttribiv(1, GL_VERTEX_ATTRIB_ARRAY_BUFFER_BINDING, &buffers[1]);
    glGetIntegerv(GL_ELEMENT_ARRAY_BUFFER_BINDING, &buffers[2]);
    const GLint bytes[3] = {64, 32, 6};
    for (int k = 0; k < 3; ++k) {
        GLint size = 0;
        ASSERT_NE(buffers[k], 0) << "positions, texture coordinates, indices: " << k;
        glBindBuffer(GL_COPY_READ_BUFFER, GLuint(buffers[k]));
        glGetBufferParameteriv(GL_COPY_READ_BUFFER, GL_BUFFER_SIZE, &size);
        EXPECT_EQ(size, bytes[k]) << "positions, texture coordinates, indices: " << k;
    }
    glBindBuffer(GL_COPY_READ_BUFFER, 0);
    glBindVertexArray(0);
}

TEST(frame_composition, six_identical_ring_frames_give_back_that_frame) {
    REQUIRE_RING();
    draw_static_scene();
    const std::vector<uint8_t> frame = whole_frame();
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    for (unsigned unit = 1; unit <= 6; ++unit) {
        glActiveTexture(GL_TEXTURE0 + unit);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB8, display_width(), display_height(), 0, GL_RGB,
                     GL_UNSIGNED_BYTE, frame.data());
    }
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glActiveTexture(GL_TEXTURE0);

    // Without blending the program's own colour lands in the back buffer.
    clear_to(0, 0, 0);
    glDisable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    shaders->motion->apply();
    screen->draw();
    glUseProgram(0);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    EXPECT_LE(largest_difference(whole_frame(), frame), 2);
}

TEST(frame_composition, moving_object_leaves_a_fading_trail) {
    REQUIRE_RING();
    // A white square stepping left to right, one step per frame, over black.
    const auto square_at = [](int frame) { return glm::vec3(1.5f - 0.25f * float(frame), 0.0f, 5.0f); };
    std::vector<uint8_t> unblurred, composed;
    const int last = 9;
    for (int frame = 0; frame <= last; ++frame) {
        clear_to(0, 0, 0);
        draw_quad(square_at(frame), 0.1f, {1, 1, 1, 1});
        compose_and_advance(unblurred, composed);
    }
    const int w = display_width();
    auto level = [&](const std::vector<uint8_t>& image, int frames_ago) {
        const glm::ivec2 p = project_to_pixel(square_at(last - frames_ago), w, display_height());
        const size_t i = (size_t(p.y) * size_t(w) + size_t(p.x)) * 3;
        return int(image[i]) + int(image[i + 1]) + int(image[i + 2]);
    };
    const int now = level(unblurred, 0);
    ASSERT_GT(now, 400);
    EXPECT_NEAR(level(composed, 0), now, 9) << "the object itself is not dimmed";
    EXPECT_EQ(level(unblurred, 1), 0);
    int previous = now;
    for (int ago = 1; ago <= 5; ++ago) {
        const int trail = level(composed, ago);
        EXPECT_GT(trail, now / 8) << ago << " frames ago";
        EXPECT_LT(trail, previous) << ago << " frames ago: older is fainter";
        previous = trail;
    }
    EXPECT_EQ(level(composed, 6), 0) << "beyond the ring nothing remains";
}

// The static scene from a fresh ring: the first blurred frame finds the frame in the newest slot and black in
// the others, and from the sixth frame on the composed frame matches the unblurred one. Then the same after
// growing the window past four times its pixels, where the start-up pixel buffer is too small.
TEST(frame_composition, static_scene_survives_composition_before_and_after_growing) {
    REQUIRE_RING();
    shaders->motion->init_frames();
    for (const glm::ivec2 size : {glm::ivec2(start_width, start_height), glm::ivec2(800, 600)}) {
        const int w = size.x, h = size.y;
        if (w != display_width()) {
            ASSERT_GT(w * h, 4 * start_width * start_height);
            ASSERT_LT(shaders->motion->pixel_buffer_size, GLsizeiptr(w) * h * 3);
            ASSERT_TRUE(al_resize_display(display, w, h));
            al_acknowledge_resize(display);
            ASSERT_EQ(display_width(), w);
            ASSERT_EQ(display_height(), h);
            glViewport(0, 0, w, h);
            set_projection(make_projection(float(w), float(h)));
            set_viewport_size(float(w), float(h));
            set_view(forward_view());
            while (glGetError() != GL_NO_ERROR) {
            }
        }
        std::vector<uint8_t> unblurred, composed;
        for (int frame = 0; frame < 7; ++frame) {
            const unsigned units[6] = {shaders->motion->texture_unit0(), shaders->motion->texture_unit1(),
                                       shaders->motion->texture_unit2(), shaders->motion->texture_unit3(),
                                       shaders->motion->texture_unit4(), shaders->motion->texture_unit5()};
            draw_static_scene();
            compose_and_advance(unblurred, composed);
            EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR)) << w << "x" << h << " frame " << frame;
            for (int k = 0; k < 6 && frame == 0 && w == start_width; ++k) {
                int tw = 0, th = 0;
                const std::vector<uint8_t> image = ring_image(units[k], tw, th);
                ASSERT_FALSE(image.empty());
                if (k == 0) {
                    EXPECT_EQ(tw, w);
                    EXPECT_EQ(th, h);
                    EXPECT_LE(largest_difference(image, unblurred), 1) << "the newest slot holds the frame";
                } else {
                    EXPECT_EQ(*std::max_element(image.begin(), image.end()), 0) << "slot " << k;
                }
            }
            if (frame == 6 || (frame == 0 && w == start_width)) {
                EXPECT_LE(largest_difference(composed, unblurred), 3) << w << "x" << h << " frame " << frame;
            }
        }
        GLint current = -1;
        glGetIntegerv(GL_CURRENT_PROGRAM, &current);
        EXPECT_EQ(current, 0);
        EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
        EXPECT_GE(gl_pixel_buffer_size(), w * h * 3);
        EXPECT_EQ(GLsizeiptr(gl_pixel_buffer_size()), shaders->motion->pixel_buffer_size);
    }
}

TEST(frame_composition, pixel_buffer_reservation_skips_empty_sizes_and_only_grows) {
    REQUIRE_RING();
    struct row {
        int width, height;
        bool usable;
        GLsizeiptr at_least;
    };
    const row table[] = {
        {0, 600, false, 0},      {800, 0, false, 0},        {-4, 100, false, 0},
        {10, 10, true, 32 * 10}, {1001, 7, true, 3004 * 7}, {1500, 1100, true, 1500 * 3 * 1100},
    };
    for (const row& r : table) {
        const GLsizeiptr before = shaders->motion->pixel_buffer_size;
        EXPECT_EQ(shaders->motion->reserve_pixel_buffer(r.width, r.height), r.usable)
            << r.width << "x" << r.height;
        EXPECT_GE(shaders->motion->pixel_buffer_size, std::max(before, r.at_least))
            << r.width << "x" << r.height;
        EXPECT_EQ(GLsizeiptr(gl_pixel_buffer_size()), shaders->motion->pixel_buffer_size);
    }
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}
} // namespace
