// The main loop's scene on a real context: inspection models and their programs, the star texture's
// filters, culling of the selected model, and the matrix buffer after resizes.
#include "app/main_scene.h"
#include "app/shell/switches.h"
#include "assets/texture_store.h"
#include "game/draw_resources.h"
#include "game/world.h"
#include "render/camera.h"
#include "render/frame_composition.h"
#include "render/shader_set.h"
#include "gl_test.h"

#include <glm/gtc/matrix_transform.hpp>
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

// The four selectable models start in a row at z = 10; Tab walks the selection 0 -> 3 and back to 0, the
// selected model alone drawn as a wireframe and model 4 never selected.
TEST_F(scene_gl, models_start_at_their_places_and_tab_moves_the_wireframe) {
    const float start_x[] = {-3, -1, 1, 3};
    for (int i = 0; i < selectable_model_count; ++i) {
        EXPECT_EQ(glm::vec3(scene.inspection_models[i].get_model_matrix()[3]), glm::vec3(start_x[i], 0, 10))
            << i;
        EXPECT_EQ(scene.placements[i].position, glm::vec3(start_x[i], 0, 10)) << i;
    }
    const GLuint wireframe = shaders->baerentzen->program, lit = shaders->phong->program;
    const int selections[] = {0, 1, 2, 3, 0};
    for (int tabs = 0; tabs < 5; ++tabs) {
        if (tabs > 0)
            scene.handle_key_down(ALLEGRO_KEY_TAB);
        ASSERT_EQ(scene.selected, selections[tabs]) << tabs << " tabs";
        for (int i = 0; i < inspection_model_count; ++i)
            EXPECT_EQ(scene.inspection_models[i].program, i == scene.selected ? wireframe : lit)
                << "model " << i << " after " << tabs << " tabs";
    }
}

// F4 and F5 set the star texture's filters at the next draw; the walk visits every pair of qualities.
TEST_F(scene_gl, f4_and_f5_set_the_star_textures_filters) {
    const struct {
        int key;
        GLint min, mag;
    } walk[] = {{0, GL_NEAREST, GL_NEAREST},
                {ALLEGRO_KEY_F5, GL_NEAREST_MIPMAP_NEAREST, GL_NEAREST},
                {ALLEGRO_KEY_F5, GL_NEAREST_MIPMAP_LINEAR, GL_NEAREST},
                {ALLEGRO_KEY_F4, GL_LINEAR_MIPMAP_LINEAR, GL_LINEAR},
                {ALLEGRO_KEY_F5, GL_LINEAR, GL_LINEAR},
                {ALLEGRO_KEY_F5, GL_LINEAR_MIPMAP_NEAREST, GL_LINEAR}};
    texture_sampling_quality = mipmap_sampling_quality = 0;
    testing::internal::CaptureStdout();
    for (const auto& step : walk) {
        scene.handle_key_down(step.key);
        scene.draw();
        GLint min = 0, mag = 0;
        glBindTexture(GL_TEXTURE_2D, textures->stars);
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &min);
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &mag);
        glBindTexture(GL_TEXTURE_2D, 0);
        EXPECT_EQ(min, step.min) << "quality " << int(texture_sampling_quality)
                                 << int(mipmap_sampling_quality);
        EXPECT_EQ(mag, step.mag) << "quality " << int(texture_sampling_quality)
                                 << int(mipmap_sampling_quality);
    }
    testing::internal::GetCapturedStdout();
    texture_sampling_quality = mipmap_sampling_quality = 0;
}

// With culling on, the selected model is not drawn while it stands behind the camera: its matrix does not
// reach the wireframe program, which only it uses once the world is empty.
TEST_F(scene_gl, culling_leaves_out_the_selected_model_behind_the_camera) {
    const struct {
        glm::vec3 at;
        bool culling, drawn;
    } rows[] = {{{0, 0, -10}, true, false}, {{0, 0, -10}, false, true}, {{-3, 0, 10}, true, true}};
    const model_shader* wireframe = shaders->baerentzen;
    release_game_objects();
    scene.show_inspection_models = true;
    for (const auto& r : rows) {
        scene.placements[0].position = r.at;
        scene.place_selected_model();
        frustum_culling = r.culling;
        glUseProgram(wireframe->program);
        glUniformMatrix4fv(wireframe->model_matrix_location, 1, GL_FALSE, glm::value_ptr(glm::mat4(0.0f)));
        glUseProgram(0);
        scene.draw();
        glm::mat4 uploaded(0.0f);
        glGetUniformfv(wireframe->program, wireframe->model_matrix_location, glm::value_ptr(uploaded));
        EXPECT_EQ(uploaded == scene.inspection_models[0].get_model_matrix(), r.drawn)
            << "at z " << r.at.z << ", culling " << r.culling;
    }
}

// The "GlobalMatrices" buffer as shaders read it: projection x view, then the viewport size.
struct matrix_buffer {
    glm::mat4 view_projection;
    glm::vec2 viewport;
};

matrix_buffer read_matrix_buffer() {
    matrix_buffer c{};
    glBindBuffer(GL_UNIFORM_BUFFER, global_matrices_buffer);
    glGetBufferSubData(GL_UNIFORM_BUFFER, 0, 64, glm::value_ptr(c.view_projection));
    glGetBufferSubData(GL_UNIFORM_BUFFER, 64, 8, glm::value_ptr(c.viewport));
    return c;
}

// A resize event uploads the projection for the new size (a size without area keeps the last one); the
// camera's turn reaches the buffer, and the inverse the weapon aims through, at the next draw.
TEST_F(scene_gl, resizes_and_the_camera_reach_the_matrix_buffer) {
    const struct {
        int width, height;
        glm::vec2 kept;
    } rows[] = {{1600, 600, {1600, 600}}, {1280, 0, {1600, 600}}, {800, 600, {800, 600}}};
    for (const auto& r : rows) {
        set_view(glm::mat4(1.0f));
        ALLEGRO_EVENT event{};
        event.type = ALLEGRO_EVENT_DISPLAY_RESIZE;
        event.display.width = r.width;
        event.display.height = r.height;
        scene.handle_event(event);
        EXPECT_EQ(read_matrix_buffer().view_projection, make_projection(r.kept.x, r.kept.y)) << r.height;
        EXPECT_EQ(read_matrix_buffer().viewport, r.kept) << r.height;
    }
    scene.yaw = 0.3f;
    scene.draw();
    const glm::mat4 turned = glm::lookAt(glm::vec3(0.0f), camera_direction(0.3f, 0.0f), glm::vec3(0, 1, 0));
    EXPECT_EQ(read_matrix_buffer().view_projection, projection * turned);
    const glm::mat4 round_trip = get_inverse_view_projection() * view_projection;
    for (int column = 0; column < 4; ++column)
        EXPECT_NEAR(glm::distance(round_trip[column], glm::mat4(1.0f)[column]), 0.0f, 1e-4f) << column;
    set_view(glm::mat4(1.0f));
}
} // namespace
