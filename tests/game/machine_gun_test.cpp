// The machine gun's power levels, rate limit and aim, with a controlled clock.
#include "game/machine_gun.h"
#include "render/camera.h"

#include <cstdlib>
#include <glm/gtc/matrix_transform.hpp>
#include <gtest/gtest.h>
#include <vector>

namespace {

double now = 0.0;
double test_clock() { return now; }
glm::vec2 aim_point(0.0f);
glm::vec2 test_aim() { return aim_point; }

// The camera's matrices as the main loop leaves them, without the GL upload.
void set_camera(glm::mat4 v, glm::mat4 p) {
    view = v;
    view_projection = p * v;
    inverse_view_projection = glm::inverse(v) * glm::inverse(p);
}

class machine_gun_suite : public ::testing::Test {
  protected:
    void SetUp() override {
        clear_shots();
        aim_point = glm::vec2(0.0f);
        set_camera(glm::mat4(1.0f), glm::mat4(1.0f));
    }
    void TearDown() override { SetUp(); }
    // A gun with power_ups applied.
    static machine_gun gun_at(int power_ups) {
        machine_gun gun(shot_mode::simulation_only, test_clock, test_aim);
        for (int i = 0; i < power_ups; ++i)
            gun.power_up();
        return gun;
    }
    // Fires once at time t (the origin lines it prints are checked end to end).
    static void fire_at_time(machine_gun& gun, double t) {
        now = t;
        testing::internal::CaptureStdout();
        gun.fire();
        testing::internal::GetCapturedStdout();
    }
};

// Each level has its shot speed, its shots per volley and its interval, which a volley needs strictly more
// than since the last one; power-ups stop at level 4.
TEST_F(machine_gun_suite, volleys_follow_the_power_level) {
    const struct {
        int power_ups;
        std::vector<double> times; // clock at each call of fire
        std::vector<bool> fired;
        size_t per_volley;
        float speed;
    } rows[] = {
        {0, {0.25, 0.5, 0.625, 1.125, 1.25}, {false, false, true, false, true}, 1, 10},
        {1, {0.3, 0.31}, {false, true}, 2, 20},
        {4, {0.0625, 0.125, 0.2, 0.25}, {false, true, false, true}, 3, 40},
    };
    for (const auto& r : rows) {
        SetUp();
        machine_gun gun = gun_at(r.power_ups);
        for (size_t i = 0; i < r.times.size(); ++i) {
            const size_t before = shots.size();
            fire_at_time(gun, r.times[i]);
            EXPECT_EQ(shots.size() - before, r.fired[i] ? r.per_volley : 0u)
                << "after " << r.power_ups << " power-ups at " << r.times[i] << " s";
        }
        EXPECT_NEAR(glm::length(shots.back()->velocity), r.speed, 1e-4f) << r.power_ups << " power-ups";
    }
}

// Every shot starts one unit in front of the turned camera; the first flies through the cursor, the extra
// ones at most a quarter of the screen's half-size off it in each direction.
TEST_F(machine_gun_suite, aims_through_the_cursor_from_one_unit_ahead) {
    const struct {
        float yaw;
        glm::vec2 aim;
    } rows[] = {{0.7f, {0.5f, 0}}, {-1.2f, {0.25f, 0.75f}}};
    for (const auto& r : rows) {
        SetUp();
        std::srand(3);
        aim_point = r.aim;
        const glm::vec3 ahead = camera_direction(r.yaw, 0.0f);
        set_camera(glm::lookAt(glm::vec3(0), ahead, glm::vec3(0, 1, 0)), make_projection(800.0f, 600.0f));
        machine_gun gun = gun_at(3);
        fire_at_time(gun, 1.0);
        ASSERT_EQ(shots.size(), 3u);
        for (const auto& s : shots) {
            const glm::vec4 clip = view_projection * glm::vec4(s->velocity, 1.0f);
            const float off_aim = glm::distance(glm::vec2(clip) / clip.w, r.aim);
            EXPECT_LE(off_aim, s == shots.front() ? 1e-3f : 0.36f) << "yaw " << r.yaw;
            EXPECT_NEAR(glm::distance(s->position, ahead), 0.0f, 1e-4f) << "yaw " << r.yaw;
        }
    }
}

// A camera that gives a shot no finite start or direction fires nothing: a display without area leaves the
// aim without a direction, and a view without an inverse leaves the start point undefined.
TEST_F(machine_gun_suite, fires_nothing_without_a_finite_start_or_direction) {
    const glm::mat4 no_inverse(0.0f);
    const struct {
        const char* camera;
        glm::mat4 view, inverse_view_projection;
    } rows[] = {
        {"no area", glm::mat4(1.0f), glm::inverse(make_projection(800.0f, 0.0f))},
        {"view without inverse", no_inverse, glm::mat4(1.0f)},
    };
    for (const auto& r : rows) {
        SetUp();
        view = r.view;
        inverse_view_projection = r.inverse_view_projection;
        machine_gun gun = gun_at(0);
        fire_at_time(gun, 1.0);
        EXPECT_TRUE(shots.empty()) << r.camera;
    }
}

} // namespace
