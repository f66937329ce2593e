// The ten programs under Mesa: linking, uniform interface, the shared block, and what each effect draws.
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
std::string construction_output;

// The set is built once per process, like start-up does, with the camera at its start-up (identity) view.
void build_shaders() {
    if (shaders)
        return;
    view = glm::mat4(1.0f);
    update_global_matrices();
    testing::internal::CaptureStdout();
    shaders = new shader_set();
    construction_output = testing::internal::GetCapturedStdout();
    wireframe_shader = shaders->baerentzen;
    set_view(forward_view());
}

#define REQUIRE_SHADERS()                                                                                    \
    REQUIRE_GL_CONTEXT();                                                                                    \
    build_shaders()

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

void use(const model_shader* s, glm::vec4 colour = glm::vec4(1.0f)) {
    glUseProgram(s->program);
    glUniformMatrix4fv(s->model_matrix_location, 1, GL_FALSE, glm::value_ptr(glm::mat4(1.0f)));
    if (s == shaders->phong)
        glUniform4fv(shaders->phong->diffuse_color_location, 1, glm::value_ptr(colour));
    if (s == shaders->baerentzen)
        glUniform4fv(shaders->baerentzen->wire_color_location, 1, glm::value_ptr(colour));
}

TEST(shader_programs, every_program_links_bare_with_its_model_matrix_and_the_global_matrices_block) {
    REQUIRE_SHADERS();
    const std::pair<const char*, shader*> programs[] = {
        {"dissolver", shaders->dissolver},   {"dissolveph", shaders->dissolveph},
        {"baerentzen", shaders->baerentzen}, {"phong", shaders->phong},
        {"pink_noise", shaders->pink_noise}, {"rainbow", shaders->rainbow},
        {"texture", shaders->texture},       {"particle", shaders->particle},
        {"dissolvet", shaders->dissolvet},   {"motion", shaders->motion}};
    for (const auto& [name, s] : programs) {
        const GLuint p = s->program;
        GLint linked = 0, attached = -1;
        ASSERT_NE(p, 0u) << name;
        glGetProgramiv(p, GL_LINK_STATUS, &linked);
        glGetProgramiv(p, GL_ATTACHED_SHADERS, &attached);
        EXPECT_EQ(linked, GL_TRUE) << name;
        EXPECT_EQ(attached, 0) << name << ": stages stay attached";
        EXPECT_EQ(s->sources, nullptr) << name;
        if (const auto* m = dynamic_cast<const model_shader*>(s)) {
            EXPECT_GE(m->model_matrix_location, 0) << name;
            EXPECT_EQ(m->model_matrix_location, glGetUniformLocation(p, "modelMatrix")) << name;
        }

        const GLuint index = glGetUniformBlockIndex(p, "GlobalMatrices");
        if (s == shaders->motion) {
            EXPECT_EQ(index, GL_INVALID_INDEX) << "the motion program reads no camera";
            continue;
        }
        ASSERT_NE(index, GL_INVALID_INDEX) << name;
        GLint size = 0, binding = -1, members = 0, member_indices[2];
        glGetActiveUniformBlockiv(p, index, GL_UNIFORM_BLOCK_DATA_SIZE, &size);
        glGetActiveUniformBlockiv(p, index, GL_UNIFORM_BLOCK_BINDING, &binding);
        glGetActiveUniformBlockiv(p, index, GL_UNIFORM_BLOCK_ACTIVE_UNIFORMS, &members);
        EXPECT_GE(size, 72) << name;
        EXPECT_EQ(GLuint(binding), global_matrices_binding()) << name;
        ASSERT_EQ(members, 2) << name;
        glGetActiveUniformBlockiv(p, index, GL_UNIFORM_BLOCK_ACTIVE_UNIFORM_INDICES, member_indices);
        GLint offsets[2], types[2];
        const GLuint uindices[2] = {GLuint(member_indices[0]), GLuint(member_indices[1])};
        glGetActiveUniformsiv(p, 2, uindices, GL_UNIFORM_OFFSET, offsets);
        glGetActiveUniformsiv(p, 2, uindices, GL_UNIFORM_TYPE, types);
        // Ordered by offset: a mat4 at 0 and a vec2 at 64.
        const int first = offsets[0] <= offsets[1] ? 0 : 1;
        EXPECT_EQ(offsets[first], 0) << name;
        EXPECT_EQ(types[first], GL_FLOAT_MAT4) << name;
        EXPECT_EQ(offsets[1 - first], 64) << name;
        EXPECT_EQ(types[1 - first], GL_FLOAT_VEC2) << name;
    }
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST(shader_programs, locations_are_found_and_missing_names_are_minus_one) {
    REQUIRE_SHADERS();
    struct row {
        const char* what;
        GLuint program;
        GLint stored;
        const char* name;
    };
#define LOCATION(s, field, uniform)                                                                          \
    { #s, shaders->s->program, shaders->s->field, uniform }
    const row table[] = {
        LOCATION(baerentzen, wire_color_location, "wireColor"),
        LOCATION(dissolver, dissolve_factor_location, "dissolveFactor"),
        LOCATION(dissolver, cloud_texture_location, "cloudTexture"),
        LOCATION(dissolveph, dissolve_factor_location, "dissolveFactor"),
        LOCATION(dissolveph, cloud_texture_location, "cloudTexture"),
        LOCATION(dissolvet, dissolve_factor_location, "dissolveFactor"),
        LOCATION(dissolvet, cloud_texture_location, "cloudTexture"),
        LOCATION(dissolvet, rendered_texture_location, "renderedTexture"),
        LOCATION(phong, diffuse_color_location, "diffuseColor"),
        LOCATION(texture, color_map_location, "colorMap"),
    };
#undef LOCATION
    for (const row& r : table) {
        EXPECT_GE(r.stored, 0) << r.what << " " << r.name;
        EXPECT_EQ(r.stored, glGetUniformLocation(r.program, r.name)) << r.what << " " << r.name;
    }
    for (int k = 0; k < 6; ++k) {
        const std::string name = "textureUnit" + std::to_string(k);
        EXPECT_GE(shaders->motion->texture_unit_locations[k], 0) << name;
        EXPECT_EQ(shaders->motion->texture_unit_locations[k],
                  glGetUniformLocation(shaders->motion->program, name.c_str()));
    }
    // Names a program's sources do not have.
    EXPECT_EQ(glGetUniformLocation(shaders->phong->program, "wireColor"), -1);
    EXPECT_EQ(glGetUniformLocation(shaders->baerentzen->program, "diffuseColor"), -1);
    EXPECT_EQ(glGetUniformLocation(shaders->motion->program, "modelMatrix"), -1);
}

TEST(shader_programs, particle_line_is_written_once_and_start_up_view_is_set) {
    REQUIRE_SHADERS();
    const std::string expected =
        "program " + std::to_string(shaders->particle->program) + " blockIndex " +
        std::to_string(glGetUniformBlockIndex(shaders->particle->program, "GlobalMatrices")) +
        " globalIndex 0\n";
    EXPECT_EQ(construction_output.find(expected), construction_output.rfind(expected));
    EXPECT_NE(construction_output.find(expected), std::string::npos) << construction_output;

    // Uniforms start as zeros; the start-up view is the identity.
    for (GLuint p : {shaders->phong->program, shaders->dissolveph->program, shaders->dissolvet->program}) {
        const GLint location = glGetUniformLocation(p, "viewMatrix");
        ASSERT_GE(location, 0);
        float m[16];
        glGetUniformfv(p, location, m);
        for (int i = 0; i < 16; ++i)
            EXPECT_EQ(m[i], (i % 5 == 0) ? 1.0f : 0.0f) << "element " << i;
    }
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

TEST(shader_effects, dissolve_burns_the_surface_away_as_the_factor_falls) {
    REQUIRE_SHADERS();
    const texture_store store;
    ASSERT_NE(store.clouds, 0u);
    const std::unique_ptr<probe_mesh> quad(make_facing_quad({0, 0, 3}, 1.0f, {0, 0, -1}));
    const auto not_magenta = [](int r, int g, int b) {
        return std::abs(r - 255) + g + std::abs(b - 255) > 12;
    };
    clear_to(1, 0, 1);
    use(shaders->phong);
    quad->draw();
    const int area = count_pixels(not_magenta);
    ASSERT_GT(area, 10000);

    // Factor, least and most share of the surface left, whether a glowing edge shows.
    struct factor_row {
        float factor, least, most;
        bool glows;
    };
    const factor_row factors[] = {
        {199.0f / 255.0f, 0.99f, 1.0f, false}, {0.6f, 0.6f, 1.0f, true},  {0.35f, 0.1f, 0.9f, true},
        {0.05f, 0.0f, 0.12f, false},           {0.0f, 0.0f, 0.0f, false},
    };
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, store.clouds);
    const model_shader* const dissolves[] = {shaders->dissolver, shaders->dissolveph, shaders->dissolvet};
    for (const model_shader* program : dissolves) {
        const GLuint name = program->program;
        float previous = 2.0f;
        for (const factor_row& f : factors) {
            clear_to(1, 0, 1);
            use(program);
            glUniform1f(glGetUniformLocation(name, "dissolveFactor"), f.factor);
            glUniform1i(glGetUniformLocation(name, "cloudTexture"), 0);
            quad->draw();
            const float share = float(count_pixels(not_magenta)) / float(area);
            const int hot = count_pixels([](int r, int g, int b) { return r > 180 && r > b + 80 && g > 30; });
            EXPECT_GE(share, f.least) << name << " factor " << f.factor;
            EXPECT_LE(share, f.most + 0.01f) << name << " factor " << f.factor;
            EXPECT_LT(share, previous + 1e-6f) << name << " factor " << f.factor;
            if (f.glows) {
                EXPECT_GT(hot, 20) << name << " factor " << f.factor;
            } else if (f.factor > 0.5f) {
                EXPECT_EQ(hot, 0) << name << " factor " << f.factor;
            }
            previous = share;
        }
    }
    glBindTexture(GL_TEXTURE_2D, 0);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST(shader_effects, phong_lights_the_side_facing_the_light_and_keeps_alpha) {
    REQUIRE_SHADERS();
    clear_to(0, 0, 0);
    // Same colour; one normal faces the camera's side (where the light is), one faces away.
    const std::unique_ptr<probe_mesh> towards(make_facing_quad({0.8f, 0, 5}, 0.5f, {0, 0, -1}));
    const std::unique_ptr<probe_mesh> away(make_facing_quad({-0.8f, 0, 5}, 0.5f, {0, 0, 1}));
    use(shaders->phong, {0.8f, 0.8f, 0.8f, 1.0f});
    towards->draw();
    away->draw();
    const glm::ivec2 lit = project_to_pixel({0.8f, 0, 5}, width, height);
    const glm::ivec2 dark = project_to_pixel({-0.8f, 0, 5}, width, height);
    EXPECT_GT(brightness(pixel(lit)), brightness(pixel(dark)) + 150);
    EXPECT_GT(brightness(pixel(dark)), 0) << "the far side still gets ambient light";

    // A half-transparent red over blue lets the blue through.
    clear_to(0, 0, 1);
    use(shaders->phong, {1.0f, 0.0f, 0.0f, 0.5f});
    towards->draw();
    EXPECT_NEAR(int(pixel(lit).b), 128, 12);
    EXPECT_GT(int(pixel(lit).r), 60);
}

TEST(shader_effects, particles_draw_round_sprites_only_while_alive_and_in_front) {
    REQUIRE_SHADERS();
    struct row {
        glm::vec3 position;
        float life;
        bool drawn;
    };
    const row table[] = {
        {{0, 0, 5}, 0.5f, true},  {{0.5f, 0.3f, 8}, 1.0f, true}, {{0, 0, 3}, 0.05f, true},
        {{0, 0, 5}, 0.0f, false}, {{0, 0, 5}, -0.2f, false},     {{0, 0, -5}, 0.5f, false},
        {{0, 0, 0}, 0.5f, false},
    };
    particle_buffer points(std::vector<particle_struct>(1));
    glUseProgram(shaders->particle->program);
    glDisable(GL_DEPTH_TEST);
    for (const row& r : table) {
        clear_to(0, 0, 0);
        points.upload({particle_struct{r.position, r.life, glm::vec3(0, 0, -1)}});
        points.draw(1);
        const std::vector<uint8_t> p = read_back_rgb(0, 0, width, height);
        int count = 0, x0 = width, x1 = -1, y0 = height, y1 = -1;
        for (int i = 0; i < width * height; ++i) {
            if (p[3 * i] + p[3 * i + 1] + p[3 * i + 2] > 0) {
                const int x = i % width, y = i / width;
                ++count;
                x0 = std::min(x0, x), x1 = std::max(x1, x), y0 = std::min(y0, y), y1 = std::max(y1, y);
            }
        }
        if (!r.drawn) {
            EXPECT_EQ(count, 0) << "life " << r.life << " z " << r.position.z;
            continue;
        }
        ASSERT_GT(count, 0) << "life " << r.life << " z " << r.position.z;
        // Square on screen despite the 4:3 viewport, and round (the corners of the box stay dark).
        EXPECT_LE(std::abs((x1 - x0) - (y1 - y0)), 2) << "life " << r.life;
        if (x1 - x0 >= 6) {
            EXPECT_LT(count, (x1 - x0 + 1) * (y1 - y0 + 1) * 0.9) << "life " << r.life;
        }
        const glm::ivec2 centre = project_to_pixel(r.position, width, height);
        EXPECT_NEAR((x0 + x1) / 2, centre.x, 1);
        EXPECT_NEAR((y0 + y1) / 2, centre.y, 1);
    }
    glEnable(GL_DEPTH_TEST);
    glUseProgram(0);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}
} // namespace
