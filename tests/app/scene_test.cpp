// The main loop's scene logic without a window: held keys, events, pause, model placement, statistics.
#include "app/main_scene.h"
#include "app/shell/shell.h"
#include "app/shell/switches.h"
#include "game/machine_gun.h"
#include "game/world.h"
#include "render/camera.h"

#include <cmath>
#include <gtest/gtest.h>
#include <set>

namespace {
std::set<int> held_keys;
bool held(int key) { return held_keys.count(key) != 0; }

// Held keys move and turn the selected model only; the update then stores its angles wrapped into [0, 360)
// and builds its matrix from them.
TEST(scene, held_keys_move_turn_and_reset_the_selected_model) {
    struct row {
        int key;
        glm::vec3 position, rotation; // after 0.5 s from the start place (-3, 0, 10)
    };
    const row table[] = {
        {ALLEGRO_KEY_L, {-1, 0, 10}, {0, 0, 0}},  {ALLEGRO_KEY_J, {-5, 0, 10}, {0, 0, 0}},
        {ALLEGRO_KEY_I, {-3, 2, 10}, {0, 0, 0}},  {ALLEGRO_KEY_K, {-3, -2, 10}, {0, 0, 0}},
        {ALLEGRO_KEY_U, {-3, 0, 12}, {0, 0, 0}},  {ALLEGRO_KEY_O, {-3, 0, 8}, {0, 0, 0}},
        {ALLEGRO_KEY_R, {-3, 0, 10}, {60, 0, 0}}, {ALLEGRO_KEY_T, {-3, 0, 10}, {300, 0, 0}},
        {ALLEGRO_KEY_F, {-3, 0, 10}, {0, 60, 0}}, {ALLEGRO_KEY_G, {-3, 0, 10}, {0, 300, 0}},
        {ALLEGRO_KEY_V, {-3, 0, 10}, {0, 0, 60}}, {ALLEGRO_KEY_B, {-3, 0, 10}, {0, 0, 300}},
        {ALLEGRO_KEY_M, {0, 0, 0}, {0, 0, 0}},
    };
    for (const row& r : table) {
        main_scene scene;
        scene.placements[0].position = inspection_start_position(0);
        held_keys = {r.key};
        scene.apply_held_keys(held, 0.5f);
        scene.update(0.0f, false);
        EXPECT_EQ(scene.placements[0].position, r.position) << r.key;
        EXPECT_EQ(glm::vec3(scene.inspection_models[0].get_model_matrix()[3]), r.position) << r.key;
        EXPECT_EQ(scene.placements[0].rotation, r.rotation) << r.key;
        EXPECT_EQ(scene.placements[1].position, glm::vec3(0.0f)) << "only the selected model moves";
    }
    main_scene scene;
    scene.selected = 2;
    scene.placements[2] = placement{{7, 7, 7}, {10, 20, 30}};
    held_keys = {ALLEGRO_KEY_P};
    scene.apply_held_keys(held, 0.1f);
    EXPECT_EQ(scene.placements[2].position, glm::vec3(1, 0, 10)) << "back to its start place";
    EXPECT_EQ(scene.placements[2].rotation, glm::vec3(0.0f));
    // Past a full turn R keeps turning the matrix about Y by the wrapped angle.
    scene.selected = 0;
    scene.placements[0].position = inspection_start_position(0);
    held_keys = {ALLEGRO_KEY_R};
    scene.apply_held_keys(held, 3.5f);
    scene.update(0.0f, false);
    EXPECT_FLOAT_EQ(scene.placements[0].rotation.x, 60.0f) << "420 degrees wrapped";
    const glm::vec3 x(scene.inspection_models[0].get_model_matrix() * glm::vec4(1, 0, 0, 1));
    EXPECT_NEAR(glm::distance(x, glm::vec3(-2.5f, 0.0f, 10.0f - std::sqrt(0.75f))), 0.0f, 1e-5f);
}

// The pitch is only stepped while inside its limits, so it passes one by a step at most.
TEST(scene, camera_keys_turn_and_pitch_passes_its_limit_by_one_step_at_most) {
    main_scene scene;
    for (const int key : {ALLEGRO_KEY_W, ALLEGRO_KEY_S}) {
        held_keys = {key};
        for (int i = 0; i < 100; ++i)
            scene.apply_held_keys(held, 0.1f);
        const float limit = key == ALLEGRO_KEY_W ? max_camera_pitch : min_camera_pitch;
        EXPECT_GE(std::fabs(scene.pitch), std::fabs(limit)) << key;
        EXPECT_LT(std::fabs(scene.pitch), std::fabs(limit) + 0.2f + 1e-6f) << key;
    }
    held_keys = {ALLEGRO_KEY_A};
    scene.apply_held_keys(held, 0.25f);
    EXPECT_FLOAT_EQ(scene.yaw, 0.5f);
    held_keys = {ALLEGRO_KEY_D};
    scene.apply_held_keys(held, 1.0f);
    EXPECT_FLOAT_EQ(scene.yaw, -1.5f);
    held_keys = {ALLEGRO_KEY_TILDE};
    scene.apply_held_keys(held, 1.0f);
    EXPECT_EQ(glm::vec2(scene.yaw, scene.pitch), glm::vec2(0.0f));
}

// Each event of a sequence with the line it prints and whether the loop goes on: the toggles, then Escape and
// the window's close button, which end the loop after the current pass.
TEST(scene, events_print_their_lines_and_close_or_escape_stop_the_loop) {
    const struct {
        ALLEGRO_EVENT_TYPE type;
        int key;
        const char* line;
        bool running;
    } sequence[] = {{ALLEGRO_EVENT_KEY_DOWN, ALLEGRO_KEY_F4, "texture sampling quality: 1\n", true},
                    {ALLEGRO_EVENT_KEY_DOWN, ALLEGRO_KEY_F4, "texture sampling quality: 0\n", true},
                    {ALLEGRO_EVENT_KEY_DOWN, ALLEGRO_KEY_F5, "mipmap sampling quality: 1\n", true},
                    {ALLEGRO_EVENT_KEY_DOWN, ALLEGRO_KEY_F5, "mipmap sampling quality: 2\n", true},
                    {ALLEGRO_EVENT_KEY_DOWN, ALLEGRO_KEY_F5, "mipmap sampling quality: 0\n", true},
                    {ALLEGRO_EVENT_KEY_DOWN, ALLEGRO_KEY_F8, "frustum culling: false\n", true},
                    {ALLEGRO_EVENT_KEY_DOWN, ALLEGRO_KEY_F12, "motion blur :true\n", true},
                    {ALLEGRO_EVENT_KEY_DOWN, ALLEGRO_KEY_F12, "motion blur :false\n", true},
                    {ALLEGRO_EVENT_KEY_DOWN, ALLEGRO_KEY_F10, "", true},
                    {ALLEGRO_EVENT_KEY_DOWN, ALLEGRO_KEY_F11, "", true},
                    {ALLEGRO_EVENT_KEY_DOWN, ALLEGRO_KEY_ESCAPE, "", false},
                    {ALLEGRO_EVENT_DISPLAY_CLOSE, 0, "", false}};
    main_scene scene;
    texture_sampling_quality = mipmap_sampling_quality = 0;
    std::cout << std::boolalpha;
    for (const auto& e : sequence) {
        running = true;
        ALLEGRO_EVENT event{};
        event.type = e.type;
        event.keyboard.keycode = e.key;
        testing::internal::CaptureStdout();
        scene.handle_event(event);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), e.line) << "event " << e.type << " key " << e.key;
        EXPECT_EQ(is_running(), e.running) << "event " << e.type << " key " << e.key;
    }
    EXPECT_FALSE(frustum_culling);
    EXPECT_FALSE(scene.paused);
    EXPECT_TRUE(scene.show_inspection_models);
    frustum_culling = running = true;
}

double one_second() { return 1.0; }
glm::vec2 centre() { return glm::vec2(0.0f); }

// While paused the enemies stand still, and the held button fires all the same.
TEST(scene, paused_world_stands_still_and_the_weapon_still_fires) {
    // A game over here would end the test process with status 0.
    set_shutdown_handler([] { std::_Exit(1); });
    const struct {
        bool paused, button, moves;
        size_t shots;
    } rows[] = {{true, true, false, 1}, {false, false, true, 0}};
    for (const auto& r : rows) {
        machine_gun gun(shot_mode::simulation_only, one_second, centre);
        weapon = &gun;
        spawn_enemy({0, 0, 10}, 0);
        main_scene scene;
        scene.paused = r.paused;
        testing::internal::CaptureStdout();
        scene.update(0.5f, r.button);
        testing::internal::GetCapturedStdout();
        EXPECT_EQ(enemies.front()->position.z < 10.0f, r.moves) << "paused " << r.paused;
        EXPECT_EQ(shots.size(), r.shots) << "paused " << r.paused << " button " << r.button;
        release_game_objects();
        weapon = nullptr;
    }
    set_shutdown_handler(nullptr);
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
