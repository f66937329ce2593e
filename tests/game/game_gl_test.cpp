// GL objects of shots and the GL state that enemy draws leave behind, on a real context.
#include "assets/model_store.h"
#include "assets/texture_store.h"
#include "game/enemy.h"
#include "game/machine_gun.h"
#include "game/shot.h"
#include "game/world.h"
#include "render/camera.h"
#include "render/shader_set.h"
#include "support/gl_context.h"

#include <glm/gtc/matrix_transform.hpp>
#include <gtest/gtest.h>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

// The stores as start-up makes them, once per process.
void make_stores() {
    if (!models)
        models = new model_store;
    if (!shaders) {
        shaders = new shader_set;
        wireframe_shader = shaders->baerentzen;
    }
    if (!textures)
        textures = new texture_store;
}

TEST(shot_gl, gl_objects_live_and_die_with_the_shot) {
    REQUIRE_GL_CONTEXT();
    std::vector<std::pair<GLuint, GLuint>> names;
    {
        std::vector<std::unique_ptr<shot>> live;
        for (int i = 0; i < 3; ++i) {
            testing::internal::CaptureStdout();
            live.push_back(std::make_unique<shot>(glm::vec3(0, 0, 1), glm::vec3(0, 0, 10)));
            const std::string line = testing::internal::GetCapturedStdout();
            const shot& s = *live.back();
            ASSERT_NE(s.vao(), 0u);
            ASSERT_NE(s.posBuf(), 0u);
            EXPECT_EQ(line,
                      "vao: " + std::to_string(s.vao()) + " posBuf: " + std::to_string(s.posBuf()) + "\n");
            names.emplace_back(s.vao(), s.posBuf());
        }
        for (const auto& [vao, buffer] : names) {
            EXPECT_TRUE(glIsVertexArray(vao));
            EXPECT_TRUE(glIsBuffer(buffer));
        }
        GLint size = 0;
        glBindBuffer(GL_ARRAY_BUFFER, names.front().second);
        glGetBufferParameteriv(GL_ARRAY_BUFFER, GL_BUFFER_SIZE, &size);
        glBindBuffer(GL_ARRAY_BUFFER, 0);
        EXPECT_EQ(size, 140) << "five 28-byte particles";
        live.erase(live.begin());
        EXPECT_FALSE(glIsVertexArray(names[0].first));
        EXPECT_FALSE(glIsBuffer(names[0].second));
        EXPECT_TRUE(glIsVertexArray(names[1].first));
        EXPECT_TRUE(glIsBuffer(names[1].second));
    }
    for (const auto& [vao, buffer] : names) {
        EXPECT_FALSE(glIsVertexArray(vao));
        EXPECT_FALSE(glIsBuffer(buffer));
    }
}

TEST(shot_gl, clearing_the_list_deletes_the_gl_objects) {
    REQUIRE_GL_CONTEXT();
    testing::internal::CaptureStdout();
    shots.push_back(std::make_shared<shot>(glm::vec3(0, 0, 1), glm::vec3(0, 0, 10)));
    testing::internal::GetCapturedStdout();
    const GLuint vao = shots.front()->vao();
    const GLuint buffer = shots.front()->posBuf();
    ASSERT_TRUE(glIsBuffer(buffer));
    clear_shots();
    EXPECT_FALSE(glIsVertexArray(vao));
    EXPECT_FALSE(glIsBuffer(buffer));
}

TEST(shot_gl, moved_handle_owns_the_objects_alone) {
    REQUIRE_GL_CONTEXT();
    std::vector<particle_struct> particles(5, particle_struct{{0, 0, 0}, 0.5f, {0, 0, 0}});
    particle_buffer first(particles);
    const GLuint buffer = first.buffer();
    ASSERT_TRUE(glIsBuffer(buffer));
    {
        particle_buffer second(std::move(first));
        EXPECT_TRUE(first.empty());
        EXPECT_EQ(second.buffer(), buffer);
        particle_buffer third;
        third = std::move(second);
        EXPECT_TRUE(second.empty());
        EXPECT_TRUE(glIsBuffer(buffer));
    }
    EXPECT_FALSE(glIsBuffer(buffer));
}

TEST(enemy_gl, draws_restore_culling_and_texture_unit_zero) {
    REQUIRE_GL_CONTEXT();
    make_stores();
    struct row {
        float alpha;
        bool dissolving;
        GLuint texture_before; // bound on unit 0 before the draw
        GLuint texture_after;  // expected on unit 0 after it
    };
    GLuint marker = 0;
    glGenTextures(1, &marker);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, marker);
    glBindTexture(GL_TEXTURE_2D, 0);
    const std::vector<row> rows = {
        {1.0f, false, marker, marker}, // an intact enemy leaves textures alone
        {0.5f, false, marker, marker}, {1.0f, true, marker, 0}, {0.5f, true, marker, 0}, {0.8f, true, 0, 0},
    };
    for (const row& r : rows) {
        enemy e({0, 0, 5});
        e.set_shader(shaders->baerentzen);
        e.mesh = models->get(2);
        e.type = 2;
        e.color.a = r.alpha;
        const GLuint intact_program = e.program;
        if (r.dissolving) {
            e.hit();
            EXPECT_EQ(e.program, shaders->dissolver->program);
            e.hit();
            EXPECT_EQ(e.program, shaders->dissolver->program) << "a second hit changes nothing";
        } else {
            EXPECT_EQ(e.program, intact_program);
        }
        glEnable(GL_CULL_FACE);
        glActiveTexture(GL_TEXTURE0);
        glBindTexture(GL_TEXTURE_2D, r.texture_before);
        e.draw();
        EXPECT_TRUE(glIsEnabled(GL_CULL_FACE)) << "alpha " << r.alpha << " dissolving " << r.dissolving;
        GLint bound = -1;
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
        EXPECT_EQ(GLuint(bound), r.texture_after) << "alpha " << r.alpha << " dissolving " << r.dissolving;
        GLint program = -1;
        glGetIntegerv(GL_CURRENT_PROGRAM, &program);
        EXPECT_EQ(program, 0);
        GLint vao = -1;
        glGetIntegerv(GL_VERTEX_ARRAY_BINDING, &vao);
        EXPECT_EQ(vao, 0);
    }
    glDeleteTextures(1, &marker);
}

TEST(enemy_gl, enemy_takes_its_stores_from_start_up) {
    REQUIRE_GL_CONTEXT();
    make_stores();
    const enemy e({1, 2, 3});
    EXPECT_EQ(e.dissolve_shader, shaders->dissolver);
    EXPECT_EQ(e.dissolve_texture, textures->clouds);
    EXPECT_EQ(e.color_location, shaders->baerentzen->wire_color_location);
}

// Pixels of the back buffer whose colour is mostly the given channel (0 red, 1 green, 2 blue).
int count_pixels_dominated_by(int channel) {
    const std::vector<uint8_t> rgb = read_back_rgb(0, 0, 800, 600);
    int count = 0;
    for (size_t i = 0; i + 2 < rgb.size(); i += 3) {
        const int c = rgb[i + size_t(channel)];
        const int others = rgb[i] + rgb[i + 1] + rgb[i + 2] - c;
        if (c > 100 && c > others)
            ++count;
    }
    return count;
}

TEST(world_gl, draw_world_shows_enemies_and_shots) {
    REQUIRE_GL_CONTEXT();
    make_stores();
    machine_gun gun;
    weapon = &gun;
    set_view(glm::lookAt(glm::vec3(0), camera_direction(0.0f, 0.0f), glm::vec3(0, 1, 0)));
    glClearColor(0, 0, 0, 1);

    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    draw_world();
    EXPECT_EQ(count_pixels_dominated_by(1), 0) << "an empty world draws nothing";

    spawn_enemy({0, 0, 6}, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    draw_world();
    const int wire = count_pixels_dominated_by(1);
    EXPECT_GT(wire, 50) << "the green wireframe cube";

    clear_enemies();
    testing::internal::CaptureStdout();
    shots.push_back(std::make_shared<shot>(glm::vec3(0, 0, 4), glm::vec3(0, 0, 10)));
    testing::internal::GetCapturedStdout();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    draw_world();
    const std::vector<uint8_t> rgb = read_back_rgb(0, 0, 800, 600);
    int lit = 0;
    for (uint8_t v : rgb)
        lit += v > 40 ? 1 : 0;
    EXPECT_GT(lit, 0) << "the shot's particles";
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST)) << "shots switch depth testing back on";

    release_game_objects();
    weapon = nullptr;
    set_view(glm::mat4(1.0f));
}

} // namespace
