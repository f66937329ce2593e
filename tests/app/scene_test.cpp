// The main loop's scene logic without a window: held keys, toggles, model placement, statistics.
#include "app/main_scene.h"
#include "app/shell/switches.h"
#include "render/camera.h"

#include <glm/gtc/matrix_transform.hpp>
#include <gtest/gtest.h>
#include <cmath>
#include <set>

namespace {
std::set<int> held_keys;
bool held(int key) { return held_keys.count(key) != 0; }

TEST(scene, held_keys_move_turn_and_reset_the_selected_model) {
    struct row {
        int key;
        glm::vec3 position, rotation; // after 0.5 s from the start place (-3, 0, 10)
    };
    const row table[] = {
        {ALLEGRO_KEY_L, {-1, 0, 10}, {0, 0, 0}},  {ALLEGRO_KEY_J, {-5, 0, 10}, {0, 0, 0}},
        {ALLEGRO_KEY_I, {-3, 2, 10}, {0, 0, 0}},  {ALLEGRO_KEY_K, {-3, -2, 10}, {0, 0, 0}},
        {ALLEGRO_KEY_U, {-3, 0, 12}, {0, 0, 0}},  {ALLEGRO_KEY_O, {-3, 0, 8}, {0, 0, 0}},
        {ALLEGRO_KEY_R, {-3, 0, 10}, {60, 0, 0}}, {ALLEGRO_KEY_T, {-3, 0, 10}, {-60, 0, 0}},
        {ALLEGRO_KEY_F, {-3, 0, 10}, {0, 60, 0}}, {ALLEGRO_KEY_G, {-3, 0, 10}, {0, -60, 0}},
        {ALLEGRO_KEY_V, {-3, 0, 10}, {0, 0, 60}}, {ALLEGRO_KEY_B, {-3, 0, 10}, {0, 0, -60}},
        {ALLEGRO_KEY_M, {0, 0, 0}, {0, 0, 0}},
    };
    for (const row& r : table) {
        main_scene scene;
        scene.placements[0].position = inspection_start_position(0);
        held_keys = {r.key};
        scene.apply_held_keys(held, 0.5f);
        EXPECT_EQ(scene.placements[0].position, r.position) << r.key;
        EXPECT_EQ(scene.placements[0].rotation, r.rotation) << r.key;
        EXPECT_EQ(scene.placements[1].position, glm::vec3(0.0f)) << "only the selected model moves";
    }
    main_scene scene;
    scene.selected = 2;
    scene.placements[2] = placement{{7, 7, 7}, {10, 20, 30}};
    held_keys = {ALLEGRO_KEY_P};
    scene.apply_held_keys(held, 0.1f);
    EXPECT_EQ(scene.placements[2].position, glm::vec3(1, 0, 10));
    EXPECT_EQ(scene.placements[2].rotation, glm::vec3(0.0f));
}

TEST(scene, camera_keys_turn_and_pitch_passes_its_limit_by_one_step_at_most) {
    main_scene scene;
    held_keys = {ALLEGRO_KEY_W};
    for (int i = 0; i < 100; ++i)
        scene.apply_held_keys(held, 0.1f);
    EXPECT_GE(scene.pitch, max_camera_pitch);
    EXPECT_LT(scene.pitch, max_camera_pitch + 0.2f + 1e-6f);
    held_keys = {ALLEGRO_KEY_S};
    for (int i = 0; i < 100; ++i)
        scene.apply_held_keys(held, 0.1f);
    EXPECT_LE(scene.pitch, min_camera_pitch);
    EXPECT_GT(scene.pitch, min_camera_pitch - 0.2f - 1e-6f);
    held_keys = {ALLEGRO_KEY_A};
    scene.apply_held_keys(held, 0.25f);
    EXPECT_FLOAT_EQ(scene.yaw, 0.5f);
    held_keys = {ALLEGRO_KEY_D};
    scene.apply_held_keys(held, 1.0f);
    EXPECT_FLOAT_EQ(scene.yaw, -1.5f);
    held_keys = {ALLEGRO_KEY_TILDE};
    scene.apply_held_keys(held, 1.0f);
    EXPECT_EQ(scene.yaw, 0.0f);
    EXPECT_EQ(scene.pitch, 0.0f);
}

// Keys held together act in the polling order; the update then wraps and places the selected model.
TEST(scene, held_keys_act_in_polling_order_and_the_update_places_the_model) {
    const struct {
        std::set<int> keys;
        float pitch_before;
        glm::vec3 position; // of the selected model 0, from its start place (-3, 0, 10)
        float yaw, pitch;
    } rows[] = {
        {{ALLEGRO_KEY_L, ALLEGRO_KEY_P}, 0.0f, {-3, 0, 10}, 0.0f, 0.0f},
        {{ALLEGRO_KEY_P, ALLEGRO_KEY_M}, 0.0f, {0, 0, 0}, 0.0f, 0.0f},
        {{ALLEGRO_KEY_A, ALLEGRO_KEY_TILDE}, 0.5f, {-3, 0, 10}, 0.0f, 0.0f},
        {{ALLEGRO_KEY_W, ALLEGRO_KEY_S}, 0.8f, {-3, 0, 10}, 0.0f, -0.2f}, // W sees the limit first
    };
    for (const auto& r : rows) {
        main_scene scene;
        scene.placements[0].position = inspection_start_position(0);
        scene.pitch = r.pitch_before;
        held_keys = r.keys;
        scene.apply_held_keys(held, 0.5f);
        EXPECT_EQ(scene.placements[0].position, r.position) << *r.keys.begin();
        EXPECT_EQ(scene.yaw, r.yaw) << *r.keys.begin();
        EXPECT_NEAR(scene.pitch, r.pitch, 1e-6f) << *r.keys.begin();
    }
    main_scene scene;
    scene.placements[0].position = inspection_start_position(0);
    held_keys = {ALLEGRO_KEY_R};
    scene.apply_held_keys(held, 3.5f);
    scene.update(0.0f, false);
    EXPECT_EQ(scene.placements[0].rotation.x, 60.0f) << "420 degrees wrapped";
    const glm::vec4 x = scene.inspection_models[0].get_model_matrix() * glm::vec4(1, 0, 0, 1);
    EXPECT_NEAR(glm::distance(glm::vec3(x), glm::vec3(-2.5f, 0.0f, 10.0f - std::sqrt(0.75f))), 0.0f, 1e-5f);
}

TEST(scene, toggle_keys_print_their_lines) {
    main_scene scene;
    texture_sampling_quality = mipmap_sampling_quality = 0;
    frustum_culling = true;
    std::cout << std::boolalpha;
    testing::internal::CaptureStdout();
    for (int key : {ALLEGRO_KEY_F4, ALLEGRO_KEY_F4, ALLEGRO_KEY_F5, ALLEGRO_KEY_F5, ALLEGRO_KEY_F5,
                    ALLEGRO_KEY_F8, ALLEGRO_KEY_F12, ALLEGRO_KEY_F12, ALLEGRO_KEY_F10, ALLEGRO_KEY_F11})
        scene.handle_key_down(key);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "texture sampling quality: 1\n"
                                                      "texture sampling quality: 0\n"
                                                      "mipmap sampling quality: 1\n"
                                                      "mipmap sampling quality: 2\n"
                                                      "mipmap sampling quality: 0\n"
                                                      "frustum culling: false\n"
                                                      "motion blur :true\n"
                                                      "motion blur :false\n");
    EXPECT_FALSE(scene.paused);
    EXPECT_TRUE(scene.show_inspection_models);
    frustum_culling = true;
    running = true;
    scene.handle_key_down(ALLEGRO_KEY_ESCAPE);
    EXPECT_FALSE(running);
    running = true;
}

TEST(scene, angles_wrap_into_a_turn_and_the_placement_matrix_translates_then_turns) {
    const float table[][2] = {{370, 10}, {-10, 350}, {360, 0}, {0, 0}, {725, 5}, {359.5f, 359.5f}};
    for (const auto& r : table)
        EXPECT_NEAR(wrap_degrees(r[0]), r[1], 1e-3f) << r[0];
    const placement p{{1, 2, 3}, {90, 0, 0}};
    const glm::mat4 m = placement_matrix(p);
    const glm::vec4 x = m * glm::vec4(1, 0, 0, 1);
    // 90 degrees about Y takes +x to -z, then the translation applies.
    EXPECT_NEAR(x.x, 1.0f, 1e-5f);
    EXPECT_NEAR(x.y, 2.0f, 1e-5f);
    EXPECT_NEAR(x.z, 2.0f, 1e-5f);
}

double fake_now = 0.0;
double fake_clock() { return fake_now; }

TEST(scene, statistics_print_once_per_interval_and_count_the_printing_pass_next) {
    frame_statistics stats;
    stats.start(0.0);
    testing::internal::CaptureStdout();
    for (int pass = 1; pass <= 330; ++pass) {
        fake_now = pass / 60.0;
        stats.count_pass(fake_now, fake_clock);
    }
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out.rfind("300 frames in 5.01667 seconds\n", 0), 0u) << out;
    EXPECT_EQ(out.find('\n'), out.size() - 1) << "one line only";
}
} // namespace
