// The ten programs under Mesa: linking and interface, what the wireframe and dissolve programs do where the
// bench's reference pictures cannot look (the camera plane, the unused dissolves), and the blur's pixel
// buffer.
#include "assets/texture_store.h"
#include "support/probe_mesh.h"
#include "render/camera.h"
#include "render/shader_set.h"
#include "gl_test.h"

#include <algorithm>
#include <functional>
#include <glm/gtc/type_ptr.hpp>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace {
constexpr int width = 800;
constexpr int height = 600;

// The game's stores, seen from the start-up position looking along +z.
#define REQUIRE_SHADERS()                                                                                    \
    REQUIRE_GAME_STORES();                                                                                   \
    set_view(forward_view())

// Pixels of the whole back buffer for which the test holds.
int count_pixels(const std::function<bool(int r, int g, int b)>& test) {
    const std::vector<uint8_t> p = read_back_rgb(0, 0, width, height);
    int count = 0;
    for (size_t i = 0; i < p.size(); i += 3)
        count += test(p[i], p[i + 1], p[i + 2]) ? 1 : 0;
    return count;
}

// Makes s current through the locations it holds, with an identity model matrix and the colour.
void use(const model_shader* s, glm::vec4 colour = glm::vec4(1.0f)) {
    glUseProgram(s->program);
    glUniformMatrix4fv(s->model_matrix_location, 1, GL_FALSE, glm::value_ptr(glm::mat4(1.0f)));
    if (s == shaders->phong)
        glUniform4fv(shaders->phong->diffuse_color_location, 1, glm::value_ptr(colour));
    if (s == shaders->baerentzen)
        glUniform4fv(shaders->baerentzen->wire_color_location, 1, glm::value_ptr(colour));
}

// The model programs found their model matrix; all but motion's read the camera's block (a mat4 and a
// vec2). The game draws with only some of them, so no reference picture shows the others.
TEST(shader_programs, find_their_model_matrix_and_camera_block) {
    REQUIRE_SHADERS();
    const shader* const programs[] = {
        shaders->dissolver, shaders->dissolveph, shaders->baerentzen, shaders->phong,     shaders->pink_noise,
        shaders->rainbow,   shaders->texture,    shaders->particle,   shaders->dissolvet, shaders->motion};
    for (const shader* s : programs) {
        const GLuint p = s->program;
        GLint block_size = 0;
        if (const auto* m = dynamic_cast<const model_shader*>(s)) {
            EXPECT_GE(m->model_matrix_location, 0) << "program " << p;
        }
        const GLuint block = glGetUniformBlockIndex(p, "GlobalMatrices");
        if (block != GL_INVALID_INDEX)
            glGetActiveUniformBlockiv(p, block, GL_UNIFORM_BLOCK_DATA_SIZE, &block_size);
        EXPECT_EQ(block_size >= 72, s != shaders->motion) << "program " << p;
    }
}

TEST(shader_programs, particle_program_prints_its_block_as_it_is_built) {
    REQUIRE_SHADERS();
    testing::internal::CaptureStdout();
    const particle_shader particle;
    const std::string out = testing::internal::GetCapturedStdout();
    const GLuint block = glGetUniformBlockIndex(particle.program, "GlobalMatrices");
    EXPECT_EQ(out, "program " + std::to_string(particle.program) + " blockIndex " + std::to_string(block) +
                       " globalIndex 0\n");
    glDeleteProgram(particle.program);
}

TEST(shader_effects, wireframe_survives_degenerate_triangles_and_the_camera_plane) {
    REQUIRE_SHADERS();
    struct row {
        const char* what;
        std::vector<glm::vec4> corners;
        bool covers;
    };
    const row table[] = {
        {"two corners equal", {{1, -1, 5, 1}, {1, -1, 5, 1}, {-1, 1, 5, 1}}, false},
        {"all corners in a line", {{1, -1, 5, 1}, {0, 0, 5, 1}, {-1, 1, 5, 1}}, false},
        {"wholly behind the camera", {{1, -1, -5, 1}, {1, 1, -5, 1}, {-1, 1, -5, 1}}, false},
        {"one corner behind the camera", {{2, -1, 3, 1}, {0, 1.5f, 4, 1}, {-1, -0.5f, -4, 1}}, true},
        {"two corners behind the camera", {{0.5f, -0.5f, 3, 1}, {0, 1.5f, -4, 1}, {-1, -0.5f, -4, 1}}, true},
        {"one corner on the camera plane", {{0.5f, -0.5f, 3, 1}, {0, 1.5f, 4, 1}, {-1, -0.5f, 0, 1}}, true},
    };
    for (const row& r : table) {
        // Both windings, so culling cannot hide what the clipping does.
        probe_mesh m(r.corners, {{0, 0}, {0, 1}, {1, 1}}, std::vector<glm::vec3>(3, {0, 0, -1}),
                     {0, 1, 2, 0, 2, 1});
        // What the rasterizer's own clipping covers, as the reference.
        clear_to(0, 0, 0);
        use(shaders->phong);
        m.draw();
        const int reference = count_pixels([](int r, int g, int b) { return r + g + b > 12; });

        clear_to(0, 0, 0);
        use(shaders->baerentzen, {0, 1, 0, 1});
        m.draw();
        const int covered = count_pixels([](int, int g, int) { return g > 0; });
        const int wire = count_pixels([](int, int g, int) { return g > 128; });
        if (r.covers) {
            ASSERT_GT(reference, width * height / 50) << r.what;
            EXPECT_NEAR(covered, reference, reference / 50) << r.what;
            // Only the visible edges are lines: a thin share of what the triangle covers.
            EXPECT_GT(wire, 0) << r.what;
            EXPECT_LT(wire, covered / 10) << r.what;
        } else {
            EXPECT_EQ(reference, 0) << r.what;
            EXPECT_EQ(covered, 0) << r.what;
        }
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR)) << r.what;
    }
}

// The three dissolve programs burn the surface away as the factor falls, through the locations they hold. The
// game draws with the first only, so no reference picture shows the other two.
TEST(shader_effects, dissolves_burn_the_surface_away_as_the_factor_falls) {
    REQUIRE_SHADERS();
    const std::unique_ptr<probe_mesh> quad(make_facing_quad({0, 0, 3}, 1.0f, {0, 0, -1}));
    const auto left = [] {
        return count_pixels([](int r, int g, int b) { return r != 255 || g || b != 255; });
    };
    clear_to(1, 0, 1);
    use(shaders->phong);
    quad->draw();
    const float area = float(left());
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, textures->clouds);
    const auto share_left = [&](const auto* s, float factor) {
        clear_to(1, 0, 1);
        use(s);
        glUniform1f(s->dissolve_factor_location, factor);
        glUniform1i(s->cloud_texture_location, 0);
        quad->draw();
        return float(left()) / area;
    };
    EXPECT_GT(share_left(shaders->dissolver, 199.0f / 255.0f), 0.98f);
    EXPECT_LT(share_left(shaders->dissolver, 0.05f), 0.12f);
    EXPECT_GT(share_left(shaders->dissolveph, 199.0f / 255.0f), 0.98f);
    EXPECT_LT(share_left(shaders->dissolveph, 0.05f), 0.12f);
    EXPECT_GT(share_left(shaders->dissolvet, 199.0f / 255.0f), 0.98f);
    EXPECT_LT(share_left(shaders->dissolvet, 0.05f), 0.12f);
    glBindTexture(GL_TEXTURE_2D, 0);
}

// A size without area is refused; past the start-up capacity (four frames' worth) the buffer grows to hold
// rows padded to 4 bytes (4509 to 4512 here); it never shrinks.
TEST(motion_shader, pixel_buffer_reservation_skips_empty_sizes_and_only_grows) {
    REQUIRE_GAME_STORES();
    motion_shader& motion = *shaders->motion;
    if (!motion.pixel_buffer)
        motion.init_frames();
    struct row {
        int width, height;
        bool usable;
        GLsizeiptr at_least;
    };
    const row table[] = {
        {0, 600, false, 0}, {800, 0, false, 0}, {1503, 1300, true, 4512 * 1300}, {10, 10, true, 0}};
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
