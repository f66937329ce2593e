// GL objects of shots and the GL state that enemy draws leave behind, on a real context.
#include "assets/model_store.h"
#include "assets/texture_store.h"
#include "game/draw_resources.h"
#include "game/enemy.h"
#include "game/machine_gun.h"
#include "game/shot.h"
#include "game/world.h"
#include "render/camera.h"
#include "render/shader_set.h"
#include "gl_test.h"

#include <algorithm>
#include <glm/gtc/matrix_transform.hpp>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace {

// The stores and the world's drawing resources as start-up makes them, once per process.
void make_stores() {
    if (!models)
        models = new model_store;
    if (!shaders) {
        shaders = new shader_set;
        wireframe_shader = shaders->baerentzen;
    }
    if (!textures)
        textures = new texture_store;
    world_resources = resources_from_stores();
}

GLint get_integer(GLenum name) {
    GLint value = -1;
    glGetIntegerv(name, &value);
    return value;
}

// A shot prints and owns its vertex array and buffer; they go with it, and with the program-wide list,
// which shutdown clears while the context exists.
TEST(shot_gl, gl_objects_live_and_die_with_the_shot) {
    REQUIRE_GL_CONTEXT();
    make_stores();
    testing::internal::CaptureStdout();
    auto own = std::make_unique<shot>(glm::vec3(0, 0, 1), glm::vec3(0, 0, 10), shot_mode::drawn);
    shots.push_back(std::make_shared<shot>(glm::vec3(0, 0, 1), glm::vec3(0, 0, 10), shot_mode::drawn));
    const std::string out = testing::internal::GetCapturedStdout();
    const std::pair<GLuint, GLuint> names[2] = {{own->vao(), own->posBuf()},
                                                {shots.front()->vao(), shots.front()->posBuf()}};
    std::string want;
    for (const auto& [vao, buffer] : names) {
        EXPECT_TRUE(glIsVertexArray(vao));
        EXPECT_TRUE(glIsBuffer(buffer));
        want += "vao: " + std::to_string(vao) + " posBuf: " + std::to_string(buffer) + "\n";
    }
    EXPECT_EQ(out, want);
    EXPECT_NE(names[0], names[1]);
    glBindBuffer(GL_ARRAY_BUFFER, names[0].second);
    GLint size = 0;
    glGetBufferParameteriv(GL_ARRAY_BUFFER, GL_BUFFER_SIZE, &size);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    EXPECT_EQ(size, 140) << "five 28-byte particles";
    own.reset();
    EXPECT_FALSE(glIsVertexArray(names[0].first));
    EXPECT_FALSE(glIsBuffer(names[0].second));
    EXPECT_TRUE(glIsVertexArray(names[1].first));
    clear_shots();
    EXPECT_FALSE(glIsVertexArray(names[1].first));
    EXPECT_FALSE(glIsBuffer(names[1].second));
}

TEST(enemy_gl, takes_its_stores_and_restores_culling_and_texture_unit_zero) {
    REQUIRE_GL_CONTEXT();
    make_stores();
    const enemy fresh({1, 2, 3});
    EXPECT_EQ(fresh.dissolve_shader, shaders->dissolver);
    EXPECT_EQ(fresh.dissolve_texture, textures->clouds);
    EXPECT_EQ(fresh.color_location, shaders->baerentzen->wire_color_location);

    GLuint marker = 0;
    glGenTextures(1, &marker);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, marker);
    // An intact enemy leaves textures alone, a dissolving one unbinds its noise texture.
    const struct {
        float alpha;
        bool dissolving;
        GLuint texture_after; // on unit 0 after the draw, with marker bound before it
    } rows[] = {{1.0f, false, marker}, {0.5f, false, marker}, {1.0f, true, 0}, {0.5f, true, 0}};
    for (const auto& r : rows) {
        SCOPED_TRACE(testing::Message() << "alpha " << r.alpha << " dissolving " << r.dissolving);
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
        glBindTexture(GL_TEXTURE_2D, marker);
        e.draw();
        EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
        EXPECT_EQ(GLuint(get_integer(GL_TEXTURE_BINDING_2D)), r.texture_after);
        EXPECT_EQ(get_integer(GL_CURRENT_PROGRAM), 0);
        EXPECT_EQ(get_integer(GL_VERTEX_ARRAY_BINDING), 0);
    }
    glDeleteTextures(1, &marker);
}

// Pixels of the back buffer whose colour is mostly the given channel (0 red, 1 green, 2 blue).
int count_pixels_dominated_by(int channel) {
    const std::vector<uint8_t> rgb = read_back_rgb(0, 0, 800, 600);
    int count = 0;
    for (size_t i = 0; i + 2 < rgb.size(); i += 3) {
        const int c = rgb[i + size_t(channel)];
        count += c > 100 && c > rgb[i] + rgb[i + 1] + rgb[i + 2] - c;
    }
    return count;
}

TEST(world_gl, draw_world_shows_enemies_and_shots) {
    REQUIRE_GL_CONTEXT();
    make_stores();
    machine_gun gun(shot_mode::drawn);
    weapon = &gun;
    set_view(glm::lookAt(glm::vec3(0), camera_direction(0.0f, 0.0f), glm::vec3(0, 1, 0)));
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    draw_world();
    EXPECT_EQ(count_pixels_dominated_by(1), 0) << "an empty world draws nothing";

    spawn_enemy({0, 0, 6}, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    draw_world();
    EXPECT_GT(count_pixels_dominated_by(1), 50) << "the green wireframe cube";

    clear_enemies();
    testing::internal::CaptureStdout();
    shots.push_back(std::make_shared<shot>(glm::vec3(0, 0, 4), glm::vec3(0, 0, 10), shot_mode::drawn));
    testing::internal::GetCapturedStdout();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    draw_world();
    const std::vector<uint8_t> rgb = read_back_rgb(0, 0, 800, 600);
    EXPECT_TRUE(std::any_of(rgb.begin(), rgb.end(), [](uint8_t v) { return v > 40; }))
        << "the shot's particles";
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST)) << "shots switch depth testing back on";

    release_game_objects();
    weapon = nullptr;
    set_view(glm::mat4(1.0f));
}

} // namespace
