// The GL objects of shots and the GL state that enemy and shot draws leave behind, on a real context. What
// they draw is in the bench's reference picture of the combat scene.
#include "assets/model_store.h"
#include "assets/texture_store.h"
#include "game/draw_resources.h"
#include "game/enemy.h"
#include "game/machine_gun.h"
#include "game/shot.h"
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

// The game's stores and the world's drawing resources taken from them.
#define REQUIRE_WORLD_RESOURCES()                                                                            \
    REQUIRE_GAME_STORES();                                                                                   \
    world_resources = resources_from_stores()

GLint get_integer(GLenum name) {
    GLint value = -1;
    glGetIntegerv(name, &value);
    return value;
}

// A shot prints and owns its vertex array and buffer; they go with it, and with the program-wide list,
// which shutdown clears while the context exists.
TEST(shot_gl, gl_objects_live_and_die_with_the_shot) {
    REQUIRE_WORLD_RESOURCES();
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
    own.reset();
    EXPECT_FALSE(glIsVertexArray(names[0].first));
    EXPECT_FALSE(glIsBuffer(names[0].second));
    EXPECT_TRUE(glIsVertexArray(names[1].first));
    clear_shots();
    EXPECT_FALSE(glIsVertexArray(names[1].first));
    EXPECT_FALSE(glIsBuffer(names[1].second));
}

// An enemy takes the dissolve program and texture from the stores. A translucent one draws without culling
// and turns it back on; a dissolving one unbinds its noise texture, an intact one leaves unit 0 alone.
TEST(enemy_gl, takes_its_stores_and_restores_culling_and_texture_unit_zero) {
    REQUIRE_WORLD_RESOURCES();
    const enemy fresh({1, 2, 3});
    EXPECT_EQ(fresh.dissolve_shader, shaders->dissolver);
    EXPECT_EQ(fresh.dissolve_texture, textures->clouds);
    EXPECT_EQ(fresh.color_location, shaders->baerentzen->wire_color_location);

    GLuint marker = 0;
    glGenTextures(1, &marker);
    const struct {
        float alpha;
        bool dissolving;
        GLuint texture_after; // on unit 0 after the draw, with marker bound before it
    } rows[] = {{1.0f, false, marker}, {0.5f, true, 0}};
    for (const auto& r : rows) {
        SCOPED_TRACE(testing::Message() << "alpha " << r.alpha << " dissolving " << r.dissolving);
        enemy e({0, 0, 5});
        e.set_shader(shaders->baerentzen);
        e.mesh = models->get(2);
        e.color.a = r.alpha;
        if (r.dissolving)
            e.hit();
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

// Shots are drawn over everything, so the gun turns depth testing off for them and back on after.
TEST(machine_gun_gl, draws_its_shots_and_turns_depth_testing_back_on) {
    REQUIRE_WORLD_RESOURCES();
    set_view(glm::lookAt(glm::vec3(0), camera_direction(0.0f, 0.0f), glm::vec3(0, 1, 0)));
    machine_gun gun(shot_mode::drawn);
    testing::internal::CaptureStdout();
    shots.push_back(std::make_shared<shot>(glm::vec3(0, 0, 4), glm::vec3(0, 0, 10), shot_mode::drawn));
    testing::internal::GetCapturedStdout();
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    gun.draw();
    const std::vector<uint8_t> rgb = read_back_rgb(0, 0, 800, 600);
    EXPECT_TRUE(std::any_of(rgb.begin(), rgb.end(), [](uint8_t v) { return v > 40; }))
        << "the shot's particles";
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    clear_shots();
    set_view(glm::mat4(1.0f));
}

} // namespace
