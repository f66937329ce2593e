// The ten programs under Mesa: linking and interface, and what the effects do where the bench's reference
// pictures cannot look (any depth, the camera plane, dense meshes, the programs the game never draws with).
#include "assets/texture_store.h"
#include "game/particle_buffer.h"
#include "support/probe_mesh.h"
#include "render/camera.h"
#include "render/shader_set.h"
#include "gl_test.h"

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

glm::u8vec3 pixel(glm::ivec2 at) {
    const std::vector<uint8_t> p = read_back_rgb(at.x, at.y, 1, 1);
    return glm::u8vec3(p[0], p[1], p[2]);
}

int brightness(glm::u8vec3 p) { return int(p.r) + int(p.g) + int(p.b); }

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

// Stages detached after the link; the model programs found their model matrix; all but motion's read the
// camera's block (a mat4 and a vec2); those with a view matrix hold the start-up view, the identity.
TEST(shader_programs, release_their_stages_and_find_their_camera_uniforms) {
    REQUIRE_SHADERS();
    const shader* const programs[] = {
        shaders->dissolver, shaders->dissolveph, shaders->baerentzen, shaders->phong,     shaders->pink_noise,
        shaders->rainbow,   shaders->texture,    shaders->particle,   shaders->dissolvet, shaders->motion};
    for (const shader* s : programs) {
        const GLuint p = s->program;
        GLint attached = -1, block_size = 0;
        glGetProgramiv(p, GL_ATTACHED_SHADERS, &attached);
        EXPECT_EQ(attached, 0) << "program " << p;
        if (const auto* m = dynamic_cast<const model_shader*>(s)) {
            EXPECT_GE(m->model_matrix_location, 0) << "program " << p;
        }
        const GLuint block = glGetUniformBlockIndex(p, "GlobalMatrices");
        if (block != GL_INVALID_INDEX)
            glGetActiveUniformBlockiv(p, block, GL_UNIFORM_BLOCK_DATA_SIZE, &block_size);
        EXPECT_EQ(block_size >= 72, s != shaders->motion) << "program " << p;
        const GLint view_location = glGetUniformLocation(p, "viewMatrix");
        if (view_location >= 0) {
            glm::mat4 start_view(0.0f);
            glGetUniformfv(p, view_location, glm::value_ptr(start_view));
            EXPECT_TRUE(start_view == glm::mat4(1.0f)) << "program " << p;
        }
    }
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST(shader_programs, particle_program_prints_its_block_as_it_is_built) {
    REQUIRE_SHADERS();
    testing::internal::CaptureStdout();
    const particle_shader particle;
    const std::string out = testing::internal::GetCapturedStdout();
    const GLuint block = glGetUniformBlockIndex(particle.program, "GlobalMatrices");
    ASSERT_NE(block, GL_INVALID_INDEX);
    EXPECT_EQ(out, "program " + std::to_string(particle.program) + " blockIndex " + std::to_string(block) +
                       " globalIndex 0\n");
    glDeleteProgram(particle.program);
}

TEST(shader_effects, wireframe_edges_differ_from_the_fill_at_any_depth) {
    REQUIRE_SHADERS();
    int widths[3], i = 0;
    for (float depth : {3.0f, 6.0f, 12.0f}) {
        clear_to(0, 0, 0);
        use(shaders->baerentzen, {0, 1, 0, 1});
        const float s = depth * 0.25f;
        const std::unique_ptr<probe_mesh> quad(make_facing_quad({0, 0, depth}, s, {0, 0, -1}));
        quad->draw();
        // The left side's midpoint, and the centre of the upper-left triangle, well clear of the diagonal.
        const glm::vec3 bl(s, -s, depth), tl(s, s, depth), tr(-s, s, depth);
        const glm::ivec2 edge = project_to_pixel((bl + tl) * 0.5f, width, height);
        const glm::ivec2 inside = project_to_pixel((bl + tl + tr) / 3.0f, width, height);
        // The line lies on the triangle's side of the edge, so look a few pixels either way.
        const std::vector<uint8_t> across = read_back_rgb(edge.x - 12, edge.y, 25, 1);
        int brightest = 0, bright = 0;
        for (int x = 0; x < 25; ++x) {
            if (std::abs(x - 12) <= 4)
                brightest = std::max(brightest, int(across[3 * x + 1]));
            bright += across[3 * x + 1] > 100 ? 1 : 0;
        }
        EXPECT_GT(brightest, 180) << "depth " << depth;
        EXPECT_LT(pixel(inside).g, 60) << "depth " << depth;
        EXPECT_GT(pixel(inside).g, 0) << "the fill is drawn, dimly";
        widths[i++] = bright;
    }
    // Lines keep their pixel width whatever the distance.
    for (int w : widths) {
        EXPECT_GE(w, 1);
        EXPECT_LE(w, 4);
        EXPECT_LE(std::abs(w - widths[0]), 1);
    }
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
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

// A square of cells x cells squares facing the camera, each cut into two clockwise triangles.
std::unique_ptr<probe_mesh> facing_grid(glm::vec3 c, float half, int cells) {
    std::vector<glm::vec4> positions;
    std::vector<GLubyte> indices;
    const float step = 2.0f * half / float(cells);
    for (int i = 0; i <= cells; ++i) // screen left to right is world +x to -x
        for (int j = 0; j <= cells; ++j)
            positions.push_back({c.x + half - step * float(i), c.y - half + step * float(j), c.z, 1});
    const auto at = [cells](int i, int j) { return GLubyte(i * (cells + 1) + j); };
    for (int i = 0; i < cells; ++i)
        for (int j = 0; j < cells; ++j)
            for (GLubyte v :
                 {at(i, j), at(i, j + 1), at(i + 1, j + 1), at(i + 1, j + 1), at(i + 1, j), at(i, j)})
                indices.push_back(v);
    return std::make_unique<probe_mesh>(positions, std::vector<glm::vec2>(positions.size()),
                                        std::vector<glm::vec3>(positions.size(), {0, 0, -1}), indices);
}

TEST(shader_effects, wireframe_lines_give_way_on_a_dense_mesh_but_not_on_an_enemy_face) {
    REQUIRE_SHADERS();
    const struct {
        const char* what;
        float half;
        int cells;
    } table[] = {{"cells of 3 pixels, as on the boss", 0.3f, 14}, {"one enemy-sized face", 1.0f, 1}};
    for (const auto& r : table) {
        clear_to(0, 0, 0);
        use(shaders->baerentzen, {0, 1, 0, 1});
        facing_grid({0, 0, 10}, r.half, r.cells)->draw();
        const int covered = count_pixels([](int, int g, int) { return g > 0; });
        // A full-strength line keeps the pixels next to its edge at least this green (antialiased falloff).
        const int lined = count_pixels([](int, int g, int) { return g >= 180; });
        const int side = std::abs(project_to_pixel({r.half, 0, 10}, width, height).x -
                                  project_to_pixel({-r.half, 0, 10}, width, height).x);
        ASSERT_GT(covered, side * side / 2) << r.what;
        if (r.cells > 1)
            EXPECT_LT(lined * 2, covered) << r.what;
        else
            EXPECT_GE(lined, 4 * side) << r.what << ": every edge pixel at line colour";
    }
}

// The game draws only with the first of the three dissolve programs, so no reference picture shows the
// other two.
TEST(shader_effects, dissolve_burns_the_surface_away_as_the_factor_falls) {
    REQUIRE_SHADERS();
    const std::unique_ptr<probe_mesh> quad(make_facing_quad({0, 0, 3}, 1.0f, {0, 0, -1}));
    const auto not_magenta = [](int r, int g, int b) {
        return std::abs(r - 255) + g + std::abs(b - 255) > 12;
    };
    clear_to(1, 0, 1);
    use(shaders->phong);
    quad->draw();
    const int area = count_pixels(not_magenta);
    ASSERT_GT(area, 10000);

    // Factor (the first is an enemy's right after its hit), least and most share of the surface left, and
    // whether a glowing rim shows.
    const struct {
        float factor, least, most;
        bool glows;
    } factors[] = {
        {199.0f / 255.0f, 0.99f, 1.0f, false}, {0.35f, 0.1f, 0.9f, true}, {0.0f, 0.0f, 0.0f, false}};
    const std::pair<const model_shader*, GLint> programs[] = {
        {shaders->dissolver, shaders->dissolver->dissolve_factor_location},
        {shaders->dissolveph, shaders->dissolveph->dissolve_factor_location},
        {shaders->dissolvet, shaders->dissolvet->dissolve_factor_location}};
    glBindTexture(GL_TEXTURE_2D, textures->clouds);
    for (const auto& [program, factor_location] : programs) {
        for (const auto& f : factors) {
            clear_to(1, 0, 1);
            use(program);
            glUniform1f(factor_location, f.factor);
            quad->draw();
            const float share = float(count_pixels(not_magenta)) / float(area);
            const int hot = count_pixels([](int r, int g, int b) { return r > 180 && r > b + 80 && g > 30; });
            EXPECT_GE(share, f.least) << program->program << " factor " << f.factor;
            EXPECT_LE(share, f.most + 0.01f) << program->program << " factor " << f.factor;
            EXPECT_EQ(hot > 20, f.glows) << program->program << " factor " << f.factor;
        }
    }
    glBindTexture(GL_TEXTURE_2D, 0);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

// Drawn where alive and in front; nothing for a spent particle, or one behind or on the camera plane.
TEST(shader_effects, particles_show_only_while_alive_and_in_front_of_the_camera_plane) {
    REQUIRE_SHADERS();
    const struct {
        glm::vec3 position;
        float life;
        bool drawn;
    } table[] = {{{0.5f, 0.3f, 8}, 0.5f, true},
                 {{0, 0, 5}, 0.0f, false},
                 {{0, 0, -5}, 0.5f, false},
                 {{0, 0, 0}, 0.5f, false}};
    particle_buffer points(std::vector<particle_struct>(1));
    glUseProgram(shaders->particle->program);
    glDisable(GL_DEPTH_TEST);
    for (const auto& r : table) {
        clear_to(0, 0, 0);
        points.upload({particle_struct{r.position, r.life, glm::vec3(0, 0, -1)}});
        points.draw(1);
        const int drawn = count_pixels([](int r, int g, int b) { return r + g + b > 0; });
        EXPECT_EQ(drawn > 0, r.drawn) << "life " << r.life << " z " << r.position.z;
        if (r.drawn) {
            EXPECT_GT(brightness(pixel(project_to_pixel(r.position, width, height))), 0)
                << "lit where it projects";
        }
    }
    glEnable(GL_DEPTH_TEST);
    glUseProgram(0);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}
} // namespace
