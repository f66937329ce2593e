// Motion-blur composition on a real context: the quad, the ring's contents, the blended frame, resizes.
#include "app/shell/shell.h"
#include "probe_mesh.h"
#include "render/camera.h"
#include "render/frame_composition.h"
#include "render/shader_set.h"
#include "support/gl_context.h"

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

void set_up_ring() {
    if (shaders)
        return;
    shaders = new shader_set();
    set_view(forward_view());
    shaders->motion->init_frames();
    testing::internal::CaptureStdout();
    create_screen_quad();
    quad_output = testing::internal::GetCapturedStdout();
}

#define REQUIRE_RING()                                                                                       \
    do {                                                                                                     \
        if (!open_gl_context(start_width, start_height))                                                     \
            GTEST_SKIP() << "no X display";                                                                  \
        set_up_ring();                                                                                       \
    } while (0)

int display_width() { return al_get_display_width(display); }
int display_height() { return al_get_display_height(display); }

std::vector<uint8_t> whole_frame() { return read_back_rgb(0, 0, display_width(), display_height()); }

void draw_quad(glm::vec3 centre, float half, glm::vec4 colour) {
    const std::unique_ptr<probe_mesh> quad(make_facing_quad(centre, half, {0, 0, -1}));
    glUseProgram(shaders->phong->program);
    const glm::mat4 identity(1.0f);
    glUniformMatrix4fv(shaders->phong->model_matrix_location, 1, GL_FALSE, glm::value_ptr(identity));
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

// One frame as the main loop runs it with motion blur on; returns the unblurred and the composed frame.
void blurred_frame(void (*draw)(int), int frame, std::vector<uint8_t>* unblurred,
                   std::vector<uint8_t>* composed) {
    draw(frame);
    if (unblurred)
        *unblurred = whole_frame();
    compose_frame();
    if (composed)
        *composed = whole_frame();
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
    struct row {
        const char* what;
        GLenum query;
        GLuint attribute;
        GLint bytes;
    };
    const row table[] = {{"positions", GL_VERTEX_ATTRIB_ARRAY_BUFFER_BINDING, 0, 64},
                         {"texture coordinates", GL_VERTEX_ATTRIB_ARRAY_BUFFER_BINDING, 1, 32},
                         {"indices", GL_ELEMENT_ARRAY_BUFFER_BINDING, 0, 6}};
    for (const row& r : table) {
        GLint buffer = 0, size = 0;
        if (r.query == GL_ELEMENT_ARRAY_BUFFER_BINDING)
            glGetIntegerv(r.query, &buffer);
        else
            glGetVertexAttribiv(r.attribute, r.query, &buffer);
        ASSERT_NE(buffer, 0) << r.what;
        glBindBuffer(GL_COPY_READ_BUFFER, GLuint(buffer));
        glGetBufferParameteriv(GL_COPY_READ_BUFFER, GL_BUFFER_SIZE, &size);
        EXPECT_EQ(size, r.bytes) << r.what;
    }
    glBindBuffer(GL_COPY_READ_BUFFER, 0);
    glBindVertexArray(0);
}

TEST(frame_composition, first_blurred_frame_reads_black_in_the_older_slots) {
    REQUIRE_RING();
    // A fresh ring, as at start-up, switched on for its first frame.
    shaders->motion->init_frames();
    const unsigned newest = shaders->motion->texture_unit0();
    const unsigned older[5] = {shaders->motion->texture_unit1(), shaders->motion->texture_unit2(),
                               shaders->motion->texture_unit3(), shaders->motion->texture_unit4(),
                               shaders->motion->texture_unit5()};
    std::vector<uint8_t> unblurred, composed;
    blurred_frame([](int) { draw_static_scene(); }, 0, &unblurred, &composed);

    int w = 0, h = 0;
    const std::vector<uint8_t> captured = ring_image(newest, w, h);
    EXPECT_EQ(w, display_width());
    EXPECT_EQ(h, display_height());
    EXPECT_LE(largest_difference(captured, unblurred), 1) << "the newest slot holds the frame just drawn";
    for (unsigned unit : older) {
        const std::vector<uint8_t> image = ring_image(unit, w, h);
        ASSERT_FALSE(image.empty());
        EXPECT_EQ(*std::max_element(image.begin(), image.end()), 0) << "unit " << unit;
    }
    // Black history does not darken the frame.
    EXPECT_LE(largest_difference(composed, unblurred), 3);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST(frame_composition, six_identical_ring_frames_give_back_that_frame) {
    REQUIRE_RING();
    const int w = display_width(), h = display_height();
    std::vector<uint8_t> pattern(size_t(w) * size_t(h) * 3);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint8_t* p = &pattern[(size_t(y) * size_t(w) + size_t(x)) * 3];
            p[0] = uint8_t(x * 255 / w), p[1] = uint8_t(y * 255 / h),
            p[2] = uint8_t((x / 16 + y / 16) % 2 * 200);
        }
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    for (unsigned unit = 1; unit <= 6; ++unit) {
        glActiveTexture(GL_TEXTURE0 + unit);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB8, w, h, 0, GL_RGB, GL_UNSIGNED_BYTE, pattern.data());
    }
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glActiveTexture(GL_TEXTURE0);

    // Without blending the program's own colour lands in the back buffer.
    clear_to(0, 0, 0);
    glDisable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    shaders->motion->apply();
    glBindVertexArray(screen->vao);
    glDrawElements(screen->mode, screen->count, screen->index_type, nullptr);
    glBindVertexArray(0);
    glUseProgram(0);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    EXPECT_LE(largest_difference(whole_frame(), pattern), 2);
}

TEST(frame_composition, static_scene_matches_the_unblurred_frame_after_six_frames) {
    REQUIRE_RING();
    std::vector<uint8_t> unblurred, composed;
    for (int frame = 0; frame < 7; ++frame)
        blurred_frame([](int) { draw_static_scene(); }, frame, &unblurred, &composed);
    EXPECT_LE(largest_difference(composed, unblurred), 3);
    GLint current = -1;
    glGetIntegerv(GL_CURRENT_PROGRAM, &current);
    EXPECT_EQ(current, 0);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

// A white square stepping left to right, one step per frame, over black.
constexpr float step_world = 0.25f;
glm::vec3 square_at(int frame) { return {1.5f - step_world * float(frame), 0.0f, 5.0f}; }
void draw_moving_square(int frame) {
    clear_to(0, 0, 0);
    draw_quad(square_at(frame), 0.1f, {1, 1, 1, 1});
}

TEST(frame_composition, moving_object_leaves_a_fading_trail) {
    REQUIRE_RING();
    std::vector<uint8_t> unblurred, composed;
    const int last = 9;
    for (int frame = 0; frame <= last; ++frame)
        blurred_frame(draw_moving_square, frame, &unblurred, &composed);

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

TEST(frame_composition, growing_the_display_past_four_times_its_pixels_keeps_gl_clean) {
    REQUIRE_RING();
    const int w = 800, h = 600;
    ASSERT_GT(w * h, 4 * start_width * start_height);
    ASSERT_LT(shaders->motion->pixel_buffer_size, GLsizeiptr(w) * h * 3)
        << "the start-up buffer must be too small";
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

    std::vector<uint8_t> unblurred, composed;
    for (int frame = 0; frame < 7; ++frame) {
        blurred_frame([](int) { draw_static_scene(); }, frame, &unblurred, &composed);
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR)) << "frame " << frame;
    }
    EXPECT_LE(largest_difference(composed, unblurred), 3) << "the composed frame still shows the scene";
    GLint size = 0;
    glBindBuffer(GL_PIXEL_PACK_BUFFER, shaders->motion->pixel_buffer);
    glGetBufferParameteriv(GL_PIXEL_PACK_BUFFER, GL_BUFFER_SIZE, &size);
    glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
    EXPECT_GE(size, w * h * 3);
    EXPECT_EQ(GLsizeiptr(size), shaders->motion->pixel_buffer_size);
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
        EXPECT_GE(shaders->motion->pixel_buffer_size, before) << "never shrinks";
        if (r.usable) {
            EXPECT_GE(shaders->motion->pixel_buffer_size, r.at_least) << r.width << "x" << r.height;
        }
        GLint size = 0;
        glBindBuffer(GL_PIXEL_PACK_BUFFER, shaders->motion->pixel_buffer);
        glGetBufferParameteriv(GL_PIXEL_PACK_BUFFER, GL_BUFFER_SIZE, &size);
        glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
        EXPECT_EQ(GLsizeiptr(size), shaders->motion->pixel_buffer_size);
    }
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST(frame_composition, apply_points_the_samplers_at_the_ring_newest_first) {
    REQUIRE_RING();
    while (shaders->motion->frame_counter != 0)
        shaders->motion->advance();
    struct row {
        int advances;
        GLint units[6];
    };
    const row table[] = {{0, {6, 5, 4, 3, 2, 1}}, {1, {1, 6, 5, 4, 3, 2}}, {5, {6, 5, 4, 3, 2, 1}}};
    for (const row& r : table) {
        for (int i = 0; i < r.advances; ++i)
            shaders->motion->advance();
        shaders->motion->apply();
        for (int k = 0; k < 6; ++k) {
            GLint value = -1;
            glGetUniformiv(shaders->motion->program, shaders->motion->texture_unit_locations[k], &value);
            EXPECT_EQ(value, r.units[k]) << "after " << r.advances << " more advances, slot " << k;
        }
    }
    glUseProgram(0);
}
} // namespace
