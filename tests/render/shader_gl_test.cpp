// The ten programs under Mesa: linking, uniform interface, the shared block, and what each effect draws.
#include "probe_mesh.h"
#include "render/camera.h"
#include "render/shader_set.h"
#include "support/gl_context.h"

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

struct program_row {
    const char* name;
    shader* program;
};

std::vector<program_row> all_programs() {
    return {{"dissolver", shaders->dissolver},   {"dissolveph", shaders->dissolveph},
            {"baerentzen", shaders->baerentzen}, {"phong", shaders->phong},
            {"pink_noise", shaders->pink_noise}, {"rainbow", shaders->rainbow},
            {"texture", shaders->texture},       {"particle", shaders->particle},
            {"dissolvet", shaders->dissolvet},   {"motion", shaders->motion}};
}

glm::u8vec3 pixel(int x, int y) {
    const std::vector<uint8_t> p = read_back_rgb(x, y, 1, 1);
    return glm::u8vec3(p[0], p[1], p[2]);
}

int brightness(glm::u8vec3 p) { return int(p.r) + int(p.g) + int(p.b); }

// Pixels of the whole back buffer that differ from the clear colour by more than a little.
int covered_pixels(glm::u8vec3 background) {
    const std::vector<uint8_t> p = read_back_rgb(0, 0, width, height);
    int count = 0;
    for (size_t i = 0; i < p.size(); i += 3) {
        const int d = std::abs(int(p[i]) - background.r) + std::abs(int(p[i + 1]) - background.g) +
                      std::abs(int(p[i + 2]) - background.b);
        if (d > 12)
            ++count;
    }
    return count;
}

void set_model(const model_shader* s, const glm::mat4& m) {
    glUseProgram(s->program);
    glUniformMatrix4fv(s->model_matrix_location, 1, GL_FALSE, glm::value_ptr(m));
}

TEST(shader_programs, every_program_links_and_holds_no_sources) {
    REQUIRE_SHADERS();
    for (const program_row& row : all_programs()) {
        GLint linked = 0, attached = -1;
        ASSERT_NE(row.program->program, 0u) << row.name;
        glGetProgramiv(row.program->program, GL_LINK_STATUS, &linked);
        glGetProgramiv(row.program->program, GL_ATTACHED_SHADERS, &attached);
        EXPECT_EQ(linked, GL_TRUE) << row.name;
        EXPECT_EQ(attached, 0) << row.name << ": stages stay attached";
        EXPECT_EQ(row.program->sources, nullptr) << row.name;
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
    const row table[] = {
        {"baerentzen", shaders->baerentzen->program, shaders->baerentzen->model_matrix_location,
         "modelMatrix"},
        {"baerentzen", shaders->baerentzen->program, shaders->baerentzen->wire_color_location, "wireColor"},
        {"dissolver", shaders->dissolver->program, shaders->dissolver->dissolve_factor_location,
         "dissolveFactor"},
        {"dissolver", shaders->dissolver->program, shaders->dissolver->cloud_texture_location,
         "cloudTexture"},
        {"dissolver", shaders->dissolver->program, shaders->dissolver->model_matrix_location, "modelMatrix"},
        {"dissolveph", shaders->dissolveph->program, shaders->dissolveph->dissolve_factor_location,
         "dissolveFactor"},
        {"dissolveph", shaders->dissolveph->program, shaders->dissolveph->cloud_texture_location,
         "cloudTexture"},
        {"dissolveph", shaders->dissolveph->program, shaders->dissolveph->model_matrix_location,
         "modelMatrix"},
        {"dissolvet", shaders->dissolvet->program, shaders->dissolvet->dissolve_factor_location,
         "dissolveFactor"},
        {"dissolvet", shaders->dissolvet->program, shaders->dissolvet->cloud_texture_location,
         "cloudTexture"},
        {"dissolvet", shaders->dissolvet->program, shaders->dissolvet->rendered_texture_location,
         "renderedTexture"},
        {"dissolvet", shaders->dissolvet->program, shaders->dissolvet->model_matrix_location, "modelMatrix"},
        {"phong", shaders->phong->program, shaders->phong->diffuse_color_location, "diffuseColor"},
        {"phong", shaders->phong->program, shaders->phong->model_matrix_location, "modelMatrix"},
        {"pink_noise", shaders->pink_noise->program, shaders->pink_noise->model_matrix_location,
         "modelMatrix"},
        {"rainbow", shaders->rainbow->program, shaders->rainbow->model_matrix_location, "modelMatrix"},
        {"texture", shaders->texture->program, shaders->texture->model_matrix_location, "modelMatrix"},
        {"texture", shaders->texture->program, shaders->texture->color_map_location, "colorMap"},
    };
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

TEST(shader_programs, global_matrices_block_matches_the_buffer_layout) {
    REQUIRE_SHADERS();
    for (const program_row& row : all_programs()) {
        const GLuint p = row.program->program;
        const GLuint index = glGetUniformBlockIndex(p, "GlobalMatrices");
        if (row.program == shaders->motion) {
            EXPECT_EQ(index, GL_INVALID_INDEX) << "the motion program reads no camera";
            continue;
        }
        ASSERT_NE(index, GL_INVALID_INDEX) << row.name;
        GLint size = 0, binding = -1;
        glGetActiveUniformBlockiv(p, index, GL_UNIFORM_BLOCK_DATA_SIZE, &size);
        glGetActiveUniformBlockiv(p, index, GL_UNIFORM_BLOCK_BINDING, &binding);
        EXPECT_GE(size, 72) << row.name;
        EXPECT_EQ(GLuint(binding), global_matrices_binding()) << row.name;

        GLint members = 0;
        glGetActiveUniformBlockiv(p, index, GL_UNIFORM_BLOCK_ACTIVE_UNIFORMS, &members);
        ASSERT_EQ(members, 2) << row.name;
        GLint member_indices[2];
        glGetActiveUniformBlockiv(p, index, GL_UNIFORM_BLOCK_ACTIVE_UNIFORM_INDICES, member_indices);
        GLint offsets[2], types[2];
        const GLuint uindices[2] = {GLuint(member_indices[0]), GLuint(member_indices[1])};
        glGetActiveUniformsiv(p, 2, uindices, GL_UNIFORM_OFFSET, offsets);
        glGetActiveUniformsiv(p, 2, uindices, GL_UNIFORM_TYPE, types);
        // Order the members by offset: a mat4 at 0 and a vec2 at 64.
        const int first = offsets[0] <= offsets[1] ? 0 : 1;
        EXPECT_EQ(offsets[first], 0) << row.name;
        EXPECT_EQ(types[first], GL_FLOAT_MAT4) << row.name;
        EXPECT_EQ(offsets[1 - first], 64) << row.name;
        EXPECT_EQ(types[1 - first], GL_FLOAT_VEC2) << row.name;
    }
}

TEST(shader_programs, particle_line_is_written_once_with_binding_zero) {
    REQUIRE_SHADERS();
    const std::string expected =
        "program " + std::to_string(shaders->particle->program) + " blockIndex " +
        std::to_string(glGetUniformBlockIndex(shaders->particle->program, "GlobalMatrices")) +
        " globalIndex 0\n";
    EXPECT_EQ(construction_output.find(expected), construction_output.rfind(expected));
    EXPECT_NE(construction_output.find(expected), std::string::npos) << construction_output;
}

TEST(shader_programs, view_matrix_reaches_the_programs_that_declare_it) {
    REQUIRE_SHADERS();
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

// One triangle facing the camera: screen bottom-left, top-left, top-right corners of a square.
std::unique_ptr<probe_mesh> facing_triangle(glm::vec3 c, float s) {
    const std::vector<glm::vec4> p = {
        {c.x + s, c.y - s, c.z, 1}, {c.x + s, c.y + s, c.z, 1}, {c.x - s, c.y + s, c.z, 1}};
    return std::make_unique<probe_mesh>(p, std::vector<glm::vec2>{{0, 0}, {0, 1}, {1, 1}},
                                        std::vector<glm::vec3>(3, {0, 0, -1}), std::vector<GLubyte>{0, 1, 2});
}

void use_wireframe(glm::vec4 colour) {
    set_model(shaders->baerentzen, glm::mat4(1.0f));
    glUniform4fv(shaders->baerentzen->wire_color_location, 1, glm::value_ptr(colour));
}

// Pixels of one row, from x0 to x1, whose green channel is above the threshold.
int bright_run(int row, int x0, int x1, int threshold) {
    const std::vector<uint8_t> p = read_back_rgb(x0, row, x1 - x0, 1);
    int count = 0;
    for (size_t i = 0; i < p.size(); i += 3)
        count += p[i + 1] > threshold ? 1 : 0;
    return count;
}

TEST(shader_effects, wireframe_edges_differ_from_the_fill_at_any_depth) {
    REQUIRE_SHADERS();
    struct row {
        float depth;
    };
    const row table[] = {{3.0f}, {6.0f}, {12.0f}};
    int widths[3];
    int i = 0;
    for (const row& r : table) {
        clear_to(0, 0, 0);
        use_wireframe({0, 1, 0, 1});
        const float s = r.depth * 0.25f;
        facing_triangle({0, 0, r.depth}, s)->draw();
        const glm::vec3 bl(s, -s, r.depth), tl(s, s, r.depth), tr(-s, s, r.depth);
        const glm::ivec2 edge = project_to_pixel((bl + tl) * 0.5f, width, height);
        const glm::ivec2 inside = project_to_pixel((bl + tl + tr) / 3.0f, width, height);
        // The line lies on the triangle's side of the edge, so look a few pixels either way.
        const std::vector<uint8_t> across = read_back_rgb(edge.x - 4, edge.y, 9, 1);
        int brightest = 0;
        for (size_t k = 1; k < across.size(); k += 3)
            brightest = std::max(brightest, int(across[k]));
        EXPECT_GT(brightest, 180) << "depth " << r.depth;
        EXPECT_LT(pixel(inside.x, inside.y).g, 60) << "depth " << r.depth;
        EXPECT_GT(pixel(inside.x, inside.y).g, 0) << "the fill is drawn, dimly";
        widths[i++] = bright_run(edge.y, edge.x - 12, edge.x + 12, 100);
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
    const glm::vec4 white(1.0f);
    for (const row& r : table) {
        // Both windings, so culling cannot hide what the clipping does.
        probe_mesh m(r.corners, {{0, 0}, {0, 1}, {1, 1}}, std::vector<glm::vec3>(3, {0, 0, -1}),
                     {0, 1, 2, 0, 2, 1});
        // What the rasterizer's own clipping covers, as the reference.
        clear_to(0, 0, 0);
        set_model(shaders->phong, glm::mat4(1.0f));
        glUniform4fv(shaders->phong->diffuse_color_location, 1, glm::value_ptr(white));
        m.draw();
        const int reference = covered_pixels({0, 0, 0});

        clear_to(0, 0, 0);
        use_wireframe({0, 1, 0, 1});
        m.draw();
        const std::vector<uint8_t> p = read_back_rgb(0, 0, width, height);
        int covered = 0, wire = 0;
        for (size_t i = 0; i < p.size(); i += 3) {
            covered += p[i + 1] > 0 ? 1 : 0;
            wire += p[i + 1] > 128 ? 1 : 0;
        }
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

TEST(shader_effects, dissolve_burns_the_surface_away_as_the_factor_falls) {
    REQUIRE_SHADERS();
    glActiveTexture(GL_TEXTURE0);
    const GLuint clouds = make_cloud_texture(128, 5);
    const std::unique_ptr<probe_mesh> quad(make_facing_quad({0, 0, 3}, 1.0f, {0, 0, -1}));
    const glm::u8vec3 magenta(255, 0, 255);

    clear_to(1, 0, 1);
    set_model(shaders->phong, glm::mat4(1.0f));
    const glm::vec4 white(1.0f);
    glUniform4fv(shaders->phong->diffuse_color_location, 1, glm::value_ptr(white));
    quad->draw();
    const int area = covered_pixels(magenta);
    ASSERT_GT(area, 10000);

    struct program_row {
        const char* name;
        model_shader* program;
        GLint factor, cloud;
    };
    const program_row programs[] = {
        {"dissolver", shaders->dissolver, shaders->dissolver->dissolve_factor_location,
         shaders->dissolver->cloud_texture_location},
        {"dissolveph", shaders->dissolveph, shaders->dissolveph->dissolve_factor_location,
         shaders->dissolveph->cloud_texture_location},
        {"dissolvet", shaders->dissolvet, shaders->dissolvet->dissolve_factor_location,
         shaders->dissolvet->cloud_texture_location},
    };
    // Factor, least and most share of the surface left, whether a glowing edge shows.
    struct factor_row {
        float factor;
        float least, most;
        bool glows;
    };
    const factor_row factors[] = {
        {199.0f / 255.0f, 0.99f, 1.0f, false}, {0.6f, 0.6f, 1.0f, true},  {0.35f, 0.1f, 0.9f, true},
        {0.05f, 0.0f, 0.12f, false},           {0.0f, 0.0f, 0.0f, false},
    };
    for (const program_row& p : programs) {
        float previous = 2.0f;
        for (const factor_row& f : factors) {
            clear_to(1, 0, 1);
            glActiveTexture(GL_TEXTURE0);
            glBindTexture(GL_TEXTURE_2D, clouds);
            set_model(p.program, glm::mat4(1.0f));
            glUniform1f(p.factor, f.factor);
            glUniform1i(p.cloud, 0);
            quad->draw();
            const std::vector<uint8_t> px = read_back_rgb(0, 0, width, height);
            int left = 0, hot = 0;
            for (size_t i = 0; i < px.size(); i += 3) {
                const int r = px[i], g = px[i + 1], b = px[i + 2];
                if (std::abs(r - 255) + g + std::abs(b - 255) > 12)
                    ++left;
                if (r > 180 && r > b + 80 && g > 30)
                    ++hot;
            }
            const float share = float(left) / float(area);
            EXPECT_GE(share, f.least) << p.name << " factor " << f.factor;
            EXPECT_LE(share, f.most + 0.01f) << p.name << " factor " << f.factor;
            EXPECT_LT(share, previous + 1e-6f) << p.name << " factor " << f.factor;
            if (f.glows) {
                EXPECT_GT(hot, 20) << p.name << " factor " << f.factor;
            } else if (f.factor > 0.5f) {
                EXPECT_EQ(hot, 0) << p.name << " factor " << f.factor;
            }
            previous = share;
        }
    }
    glBindTexture(GL_TEXTURE_2D, 0);
    glDeleteTextures(1, &clouds);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST(shader_effects, phong_lights_the_side_facing_the_light_and_keeps_alpha) {
    REQUIRE_SHADERS();
    clear_to(0, 0, 0);
    const glm::vec4 grey(0.8f, 0.8f, 0.8f, 1.0f);
    // Same place and colour; one normal faces the camera's side (where the light is), one faces away.
    const std::unique_ptr<probe_mesh> towards(make_facing_quad({0.8f, 0, 5}, 0.5f, {0, 0, -1}));
    const std::unique_ptr<probe_mesh> away(make_facing_quad({-0.8f, 0, 5}, 0.5f, {0, 0, 1}));
    set_model(shaders->phong, glm::mat4(1.0f));
    glUniform4fv(shaders->phong->diffuse_color_location, 1, glm::value_ptr(grey));
    towards->draw();
    away->draw();
    const glm::ivec2 lit = project_to_pixel({0.8f, 0, 5}, width, height);
    const glm::ivec2 dark = project_to_pixel({-0.8f, 0, 5}, width, height);
    EXPECT_GT(brightness(pixel(lit.x, lit.y)), brightness(pixel(dark.x, dark.y)) + 150);
    EXPECT_GT(brightness(pixel(dark.x, dark.y)), 0) << "the far side still gets ambient light";

    // A half-transparent red over blue lets the blue through.
    clear_to(0, 0, 1);
    const glm::vec4 red(1.0f, 0.0f, 0.0f, 0.5f);
    glUniform4fv(shaders->phong->diffuse_color_location, 1, glm::value_ptr(red));
    towards->draw();
    const glm::u8vec3 mixed = pixel(lit.x, lit.y);
    EXPECT_NEAR(int(mixed.b), 128, 12);
    EXPECT_GT(int(mixed.r), 60);
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
    GLuint vao = 0, buffer = 0;
    glGenVertexArrays(1, &vao);
    glGenBuffers(1, &buffer);
    glBindVertexArray(vao);
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 4, GL_FLOAT, GL_FALSE, 28, nullptr);
    glEnableVertexAttribArray(1);
    glVertexAttribPointer(1, 1, GL_FLOAT, GL_FALSE, 28, reinterpret_cast<void*>(12));
    glUseProgram(shaders->particle->program);
    glDisable(GL_DEPTH_TEST);
    for (const row& r : table) {
        clear_to(0, 0, 0);
        const float record[7] = {r.position.x, r.position.y, r.position.z, r.life, 0, 0, -1};
        glBufferData(GL_ARRAY_BUFFER, sizeof record, record, GL_DYNAMIC_DRAW);
        glDrawArrays(GL_POINTS, 0, 1);
        const std::vector<uint8_t> p = read_back_rgb(0, 0, width, height);
        int count = 0, x0 = width, x1 = -1, y0 = height, y1 = -1;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const size_t i = (size_t(y) * width + size_t(x)) * 3;
                if (p[i] + p[i + 1] + p[i + 2] > 0) {
                    ++count;
                    x0 = std::min(x0, x), x1 = std::max(x1, x), y0 = std::min(y0, y), y1 = std::max(y1, y);
                }
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
    glBindVertexArray(0);
    glDeleteVertexArrays(1, &vao);
    glDeleteBuffers(1, &buffer);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}
} // namespace
