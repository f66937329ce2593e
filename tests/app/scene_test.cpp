// The main loop's scene logic without a window: held keys, the view, pause, toggles and statistics.
#include "app/main_scene.h"
#include "app/shell/shell.h"
#include "game/machine_gun.h"
#include "game/world.h"
#include "render/camera.h"

#include <cmath>
#include <gtest/gtest.h>
#include <set>

namespace {
std::set<int> held_keys;
bool held(int key) { return held_keys.count(key) != 0; }

// Held keys move and turn the selected model only (here model 2, from its start place (1, 0, 10)); P and M,
// polled after the others, undo their steps. The update stores the angles wrapped into [0, 360) and builds
// the matrix: translation, then turns about Y, X and Z.
TEST(scene, held_keys_move_turn_and_reset_the_selected_model) {
    const struct {
        std::set<int> keys;
        float dt;
        glm::vec3 position, rotation, turned; // turned: where the model's direction (1, 2, 3) points
    } rows[] = {
        {{ALLEGRO_KEY_L, ALLEGRO_KEY_I, ALLEGRO_KEY_U}, 0.5f, {3, 2, 12}, {0, 0, 0}, {1, 2, 3}},
        {{ALLEGRO_KEY_J, ALLEGRO_KEY_K, ALLEGRO_KEY_O}, 0.5f, {-1, -2, 8}, {0, 0, 0}, {1, 2, 3}},
        {{ALLEGRO_KEY_R, ALLEGRO_KEY_F, ALLEGRO_KEY_V}, 0.75f, {1, 0, 10}, {90, 90, 90}, {1, -3, 2}},
        {{ALLEGRO_KEY_T, ALLEGRO_KEY_G, ALLEGRO_KEY_B}, 0.75f, {1, 0, 10}, {270, 270, 270}, {-1, 3, 2}},
        {{ALLEGRO_KEY_L, ALLEGRO_KEY_R, ALLEGRO_KEY_P}, 0.5f, {1, 0, 10}, {0, 0, 0}, {1, 2, 3}},
        {{ALLEGRO_KEY_M}, 0.5f, {0, 0, 0}, {0, 0, 0}, {1, 2, 3}},
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        main_scene scene;
        scene.selected = 2;
        scene.placements[2].position = inspection_start_position(2);
        held_keys = rows[i].keys;
        scene.apply_held_keys(held, rows[i].dt);
        scene.update(0.0f, false);
        EXPECT_EQ(scene.placements[2].position, rows[i].position) << "row " << i;
        EXPECT_EQ(scene.placements[2].rotation, rows[i].rotation) << "row " << i;
        const glm::vec3 turned(scene.inspection_models[2].get_model_matrix() * glm::vec4(1, 2, 3, 0));
        EXPECT_NEAR(glm::distance(turned, rows[i].turned), 0.0f, 1e-5f) << "row " << i;
    }
}

// A and D turn the view, W and S pitch it while it is inside its limits (so it passes one by a step at most),
// and Tilde looks along +z again; the rows run one after another on one scene.
TEST(scene, camera_keys_turn_and_pitch_the_view) {
    const float pi = camera_pi, half_root3 = std::sqrt(0.75f);
    const struct {
        int key, passes;
        float dt;
        glm::vec3 direction;
    } rows[] = {{ALLEGRO_KEY_A, 1, pi / 4, {1, 0, 0}},
                {ALLEGRO_KEY_W, 9, pi / 12, {0.5f, half_root3, 0}},
                {ALLEGRO_KEY_D, 1, pi / 4, {0, half_root3, 0.5f}},
                {ALLEGRO_KEY_S, 9, pi / 12, {0, -half_root3, 0.5f}},
                {ALLEGRO_KEY_TILDE, 1, 0, {0, 0, 1}}};
    main_scene scene;
    for (const auto& r : rows) {
        held_keys = {r.key};
        for (int i = 0; i < r.passes; ++i)
            scene.apply_held_keys(held, r.dt);
        const glm::vec3 direction = camera_direction(scene.yaw, scene.pitch);
        EXPECT_NEAR(glm::distance(direction, r.direction), 0.0f, 1e-5f) << "key " << r.key;
    }
}

double one_second() { return 1.0; }
glm::vec2 centre() { return glm::vec2(0.0f); }

// The game starts paused: the enemies stand still, and the held button fires all the same. F10 lets the
// world run; F11 shows the inspection models.
TEST(scene, paused_world_stands_still_and_the_weapon_still_fires) {
    // A game over here would end the test process with status 0.
    set_shutdown_handler([] { std::_Exit(1); });
    machine_gun gun(shot_mode::simulation_only, one_second, centre);
    weapon = &gun;
    spawn_enemy({0, 0, 10}, 0);
    main_scene scene;
    testing::internal::CaptureStdout();
    scene.update(0.5f, true);
    EXPECT_EQ(enemies.front()->position.z, 10.0f) << "paused from the start";
    EXPECT_EQ(shots.size(), 1u) << "fired while paused";
    scene.handle_key_down(ALLEGRO_KEY_F10);
    scene.handle_key_down(ALLEGRO_KEY_F11);
    scene.update(0.5f, false);
    testing::internal::GetCapturedStdout();
    EXPECT_LT(enemies.front()->position.z, 10.0f) << "running after F10";
    EXPECT_TRUE(scene.show_inspection_models);
    release_game_objects();
    weapon = nullptr;
    set_shutdown_handler(nullptr);
}

double fake_now = 0.0;
double fake_clock() { return fake_now; }

// At 32 passes a second (exact in binary) the line comes once the interval is past 5 s, with a fresh clock
// reading, and the pass that prints is counted in the next interval. The frame rate the title shows is the
// printed line's (160 / 5.03125 = 31.8, then 161 / 5.03125), none before the first.
TEST(scene, statistics_print_once_per_interval_and_count_the_printing_pass_next) {
    frame_statistics stats;
    stats.start(0.0);
    testing::internal::CaptureStdout();
    for (int pass = 1; pass <= 330; ++pass) {
        fake_now = pass / 32.0;
        stats.count_pass(fake_now, fake_clock);
        EXPECT_EQ(stats.latest_fps(), pass <= 160 ? -1 : 32) << "after pass " << pass;
    }
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "160 frames in 5.03125 seconds\n161 frames in 5.03125 seconds\n");
}
} // namespace
