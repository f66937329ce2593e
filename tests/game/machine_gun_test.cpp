// The machine gun's level table, rate limit, aiming and origin lines, with a controlled clock.
#include "game/machine_gun.h"
#include "render/camera.h"

#include <cstdlib>
#include <glm/gtc/matrix_transform.hpp>
#include <gtest/gtest.h>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

namespace {

double now = 0.0;
double test_clock() { return now; }
glm::vec2 aim_point(0.0f);
glm::vec2 test_aim() { return aim_point; }

// The camera's matrices as the main loop leaves them, without the GL upload.
void set_camera(glm::mat4 v, glm::mat4 p) {
    view = v;
    projection = p;
    view_projection = p * v;
    inverse_view_projection = glm::inverse(v) * glm::inverse(p);
}

class machine_gun_suite : public ::testing::Test {
  protected:
    void SetUp() override {
        clear_shots();
        now = 0.0;
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
    // Fires once at time t and returns what it printed.
    static std::string fire_at_time(machine_gun& gun, double t) {
        now = t;
        testing::internal::CaptureStdout();
        gun.fire();
        return testing::internal::GetCapturedStdout();
    }
};

TEST_F(machine_gun_suite, power_levels_follow_the_table) {
    const struct {
        int level;
        float shot_speed;
        double interval;
        int extra_shots;
    } table[] = {{1, 10, 0.5, 0}, {2, 20, 0.3, 1}, {3, 30, 0.2, 1}, {4, 40, 0.1, 2}, {4, 40, 0.1, 2}};
    for (int i = 0; i < 5; ++i) {
        const machine_gun gun = gun_at(i);
        EXPECT_EQ(gun.level, table[i].level) << "after " << i << " power-ups";
        EXPECT_FLOAT_EQ(gun.shot_speed, table[i].shot_speed) << "after " << i << " power-ups";
        EXPECT_DOUBLE_EQ(gun.interval, table[i].interval) << "after " << i << " power-ups";
        EXPECT_EQ(gun.extra_shots, table[i].extra_shots) << "after " << i << " power-ups";
    }
}

// A volley needs strictly more than the interval since the last one: exactly the interval does not fire.
TEST_F(machine_gun_suite, volleys_need_strictly_more_than_the_interval) {
    const struct {
        int power_ups;
        std::vector<double> times; // clock at each call of fire
        std::vector<bool> fired;
    } rows[] = {
        {0, {0.25, 0.5, 0.625, 1.0, 1.125, 1.25}, {false, false, true, false, false, true}},
        {1, {0.3, 0.31, 0.6, 0.62}, {false, true, false, true}},
        {3, {0.0625, 0.125, 0.2, 0.25, 0.375}, {false, true, false, true, true}},
    };
    for (const auto& r : rows) {
        SetUp();
        machine_gun gun = gun_at(r.power_ups);
        for (size_t i = 0; i < r.times.size(); ++i) {
            const size_t before = shots.size();
            fire_at_time(gun, r.times[i]);
            EXPECT_EQ(shots.size() - before, r.fired[i] ? size_t(1 + gun.extra_shots) : 0u)
                << "level " << gun.level << " at " << r.times[i] << " s";
        }
    }
}

// Each shot starts one unit in front of the camera and prints that origin and its GL names; the first
// flies through the cursor, the extra ones scatter around it.
TEST_F(machine_gun_suite, aims_through_the_cursor_and_prints_every_origin) {
    const struct {
        float yaw;
        glm::vec2 aim;
        int power_ups;
        size_t shots_per_volley;
    } rows[] = {
        {0.0f, {0, 0}, 0, 1}, {0.0f, {-1, 1}, 0, 1}, {0.7f, {0.5f, 0}, 3, 3}, {-1.2f, {0.25f, 0.75f}, 1, 2}};
    for (const auto& r : rows) {
        SCOPED_TRACE(testing::Message() << "yaw " << r.yaw << " aim " << r.aim.x << " " << r.aim.y);
        SetUp();
        std::srand(3);
        aim_point = r.aim;
        const glm::vec3 ahead = camera_direction(r.yaw, 0.0f);
        set_camera(glm::lookAt(glm::vec3(0), ahead, glm::vec3(0, 1, 0)), make_projection(800.0f, 600.0f));
        machine_gun gun = gun_at(r.power_ups);
        std::istringstream out(fire_at_time(gun, 1.0));
        ASSERT_EQ(shots.size(), r.shots_per_volley);
        for (size_t i = 0; i < r.shots_per_volley; ++i) {
            std::string origin_line, names_line;
            ASSERT_TRUE(std::getline(out, origin_line) && std::getline(out, names_line));
            std::istringstream origin_text(origin_line);
            glm::vec3 origin;
            origin_text >> origin.x >> origin.y >> origin.z;
            ASSERT_FALSE(origin_text.fail()) << origin_line;
            EXPECT_EQ(origin_line.back(), ' ') << "each component is followed by a blank";
            EXPECT_NEAR(glm::length(origin - ahead), 0.0f, 1e-4f);
            EXPECT_EQ(names_line, "vao: 0 posBuf: 0");
        }
        EXPECT_TRUE(out.peek() == EOF) << "nothing else";
        for (const auto& s : shots) {
            EXPECT_NEAR(glm::length(s->velocity), gun.shot_speed, 1e-3f);
            EXPECT_NEAR(glm::length(s->position - ahead), 0.0f, 1e-4f);
        }
        // Seen from the eye, the first shot's direction lies under the cursor.
        const glm::vec4 clip = view_projection * glm::vec4(shots.front()->velocity, 1.0f);
        EXPECT_NEAR(clip.x / clip.w, r.aim.x, 1e-3f);
        EXPECT_NEAR(clip.y / clip.w, r.aim.y, 1e-3f);
    }
}

// A display without area leaves the inverse view-projection degenerate.
TEST_F(machine_gun_suite, degenerate_aim_creates_no_shot) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    for (const glm::mat4& m : {glm::mat4(nan), glm::mat4(inf), glm::mat4(0.0f)}) {
        inverse_view_projection = m;
        machine_gun gun(shot_mode::simulation_only, test_clock, test_aim);
        EXPECT_EQ(fire_at_time(gun, 1.0), "");
        EXPECT_TRUE(shots.empty());
        EXPECT_DOUBLE_EQ(gun.last_shot_time, 1.0) << "the volley still counts for the rate limit";
    }
}

} // namespace
