// The main loop's scene on a real context: the inspection models' programs, culling of the selected model and
// resizes. The rest of its drawing is in the bench's reference pictures, its aim in the shoot-the-boss run.
#include "app/main_scene.h"
#include "app/shell/switches.h"
#include "game/draw_resources.h"
#include "game/world.h"
#include "render/camera.h"
#include "render/frame_composition.h"
#include "render/shader_set.h"
#include "gl_test.h"

#include <glm/gtc/type_ptr.hpp>

namespace {
// The scene as set-up leaves it, made once per process as the game makes it (its quad and blur ring once).
const main_scene& set_up_scene() {
    static main_scene scene;
    if (!screen) {
        world_resources = resources_from_stores();
        scene.setup();
    }
    return scene;
}

class scene_gl : public testing::Test {
  protected:
    void SetUp() override {
        REQUIRE_GAME_STORES();
        scene = set_up_scene();
    }
    void TearDown() override {
        release_game_objects();
        frustum_culling = true;
    }
    main_scene scene;
};

// From model 0, Tab walks the selection to 3 and back to 0, the selected model alone drawn as a wireframe
// and model 4 never selected.
TEST_F(scene_gl, tab_moves_the_wireframe) {
    const GLuint wireframe = shaders->baerentzen->program, lit = shaders->phong->program;
    for (const int selected : {1, 2, 3, 0}) {
        scene.handle_key_down(ALLEGRO_KEY_TAB);
        ASSERT_EQ(scene.selected, selected);
        for (int i = 0; i < inspection_model_count; ++i)
            EXPECT_EQ(scene.inspection_models[i].program, i == selected ? wireframe : lit) << "model " << i;
    }
}

// With culling on, the selected model behind the camera is not drawn: its matrix does not reach the wireframe
// program, only its own once the world is empty. No row's matrix is the last one drawn.
TEST_F(scene_gl, culling_leaves_out_the_selected_model_behind_the_camera) {
    const struct {
        glm::vec3 at;
        bool culling, drawn;
    } rows[] = {{{0, 0, 5}, true, true}, {{0, 0, -10}, true, false}, {{0, 0, -10}, false, true}};
    const model_shader* wireframe = shaders->baerentzen;
    release_game_objects();
    scene.show_inspection_models = true;
    for (const auto& r : rows) {
        scene.placements[0].position = r.at;
        scene.place_selected_model();
        frustum_culling = r.culling;
        scene.draw();
        glm::mat4 uploaded(0.0f);
        glGetUniformfv(wireframe->program, wireframe->model_matrix_location, glm::value_ptr(uploaded));
        EXPECT_EQ(uploaded == scene.inspection_models[0].get_model_matrix(), r.drawn) << r.culling << r.at.z;
    }
}

// A translucent enemy (the boss) is drawn with both faces, and face culling is on again for what follows.
TEST_F(scene_gl, a_translucent_enemy_leaves_face_culling_on) {
    release_game_objects();
    spawn_boss({0, 0, 10});
    enemies.front()->draw();
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
}

// The viewport size as the shaders read it from the "GlobalMatrices" buffer, after the view-projection.
glm::vec2 viewport_in_buffer() {
    glm::vec2 size(0.0f);
    glBindBuffer(GL_UNIFORM_BUFFER, global_matrices_buffer);
    glGetBufferSubData(GL_UNIFORM_BUFFER, 64, 8, glm::value_ptr(size));
    return size;
}

// A resize event sets the projection, its inverse for the aim and the viewport size for the new size; a
// size without area keeps the last ones. The bench draws at one size only.
TEST_F(scene_gl, resizes_reach_the_projection_and_the_matrix_buffer) {
    const struct {
        int width, height;
        glm::vec2 kept;
    } rows[] = {{1600, 600, {1600, 600}}, {1280, 0, {1600, 600}}, {800, 600, {800, 600}}};
    for (const auto& r : rows) {
        ALLEGRO_EVENT event{};
        event.type = ALLEGRO_EVENT_DISPLAY_RESIZE;
        event.display.width = r.width;
        event.display.height = r.height;
        scene.handle_event(event);
        EXPECT_EQ(projection, make_projection(r.kept.x, r.kept.y)) << r.height;
        EXPECT_EQ(viewport_in_buffer(), r.kept) << r.height;
        // The aim's inverse follows: it undoes projection x view.
        const glm::vec4 p(1.0f, 2.0f, 10.0f, 1.0f);
        EXPECT_LT(glm::distance(get_inverse_view_projection() * (view_projection * p), p), 1e-4f) << r.height;
    }
}
} // namespace
