// The machine gun's level table, rate limit, aiming and origin lines, with a controlled clock.
#include "game/machine_gun.h"
#include "render/camera.h"

#include <cmath>
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

std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

class machine_gun_suite : public ::testing::Test {
  protected:
    void SetUp() override {
        clear_shots();
        now = 0.0;
        aim_point = glm::vec2(0.0f);
        set_camera(glm::mat4(1.0f), glm::mat4(1.0f));
    }
    void TearDown() override {
        clear_shots();
        set_camera(glm::mat4(1.0f), glm::mat4(1.0f));
    }
    // Fires once at time t and returns what it printed.
    std::string fire_at_time(machine_gun& gun, double t) {
        now = t;
        testing::internal::CaptureStdout();
        gun.fire();
        return testing::internal::GetCapturedStdout();
    }
};

TEST_F(machine_gun_suite, power_levels_follow_the_table) {
    struct row {
        int level;
        float shot_speed;
        double interval;
        int extra_shots;
    };
    const std::vector<row> table = {{1, 10, 0.5, 0}, {2, 20, 0.3, 1}, {3, 30, 0.2, 1},
                                    {4, 40, 0.1, 2}, {4, 40, 0.1, 2}, {4, 40, 0.1, 2}};
    machine_gun gun(test_clock, test_aim);
    for (size_t i = 0; i < table.size(); ++i) {
        if (i > 0)
            gun.power_up();
        EXPECT_EQ(gun.level, table[i].level) << "after " << i << " power-ups";
        EXPECT_FLOAT_EQ(gun.shot_speed, table[i].shot_speed) << "after " << i << " power-ups";
        EXPECT_DOUBLE_EQ(gun.interval, table[i].interval) << "after " << i << " power-ups";
        EXPECT_EQ(gun.extra_shots, table[i].extra_shots) << "after " << i << " power-ups";
    }
}

TEST_F(machine_gun_suite, volleys_need_strictly_more_than_the_interval) {
    struct row {
        int power_ups;
        std::vector<double> times; // clock at each call of fire
        std::vector<bool> fired;
    };
    const std::vector<row> rows = {
        {0, {0.25, 0.5, 0.625, 1.0, 1.125, 1.25}, {false, false, true, false, false, true}},
        {0, {2.0, 2.5, 2.5, 2.625}, {true, false, false, true}},
        {1, {0.3, 0.31, 0.6, 0.62}, {false, true, false, true}},
        {3, {0.0625, 0.125, 0.2, 0.25, 0.375}, {false, true, false, true, true}},
    };
    for (const row& r : rows) {
        SetUp();
        machine_gun gun(test_clock, test_aim);
        for (int i = 0; i < r.power_ups; ++i)
            gun.power_up();
        const size_t per_volley = size_t(1 + gun.extra_shots);
        for (size_t i = 0; i < r.times.size(); ++i) {
            const size_t before = shots.size();
            fire_at_time(gun, r.times[i]);
            EXPECT_EQ(shots.size() - before, r.fired[i] ? per_volley : 0u)
                << "level " << gun.level << " at " << r.times[i] << " s";
        }
    }
}

TEST_F(machine_gun_suite, every_shot_prints_its_origin_and_its_gl_names) {
    struct row {
        float yaw;
        int power_ups;
        size_t shots_per_volley;
    };
    const std::vector<row> rows = {{0.0f, 0, 1}, {0.0f, 1, 2}, {0.0f, 2, 2},
                                   {0.0f, 3, 3}, {0.7f, 3, 3}, {-1.2f, 0, 1}};
    for (const row& r : rows) {
        SetUp();
        std::srand(3);
        set_camera(glm::lookAt(glm::vec3(0), camera_direction(r.yaw, 0.0f), glm::vec3(0, 1, 0)),
                   make_projection(800.0f, 600.0f));
        const glm::vec3 ahead = camera_direction(r.yaw, 0.0f);
        machine_gun gun(test_clock, test_aim);
        for (int i = 0; i < r.power_ups; ++i)
            gun.power_up();
        const std::vector<std::string> lines = lines_of(fire_at_time(gun, 1.0));
        ASSERT_EQ(shots.size(), r.shots_per_volley);
        ASSERT_EQ(lines.size(), 2 * r.shots_per_volley);
        for (size_t i = 0; i < r.shots_per_volley; ++i) {
            std::istringstream origin_line(lines[2 * i]);
            glm::vec3 origin;
            origin_line >> origin.x >> origin.y >> origin.z;
            ASSERT_FALSE(origin_line.fail()) << lines[2 * i];
            EXPECT_EQ(lines[2 * i].back(), ' ') << "each component is followed by a blank";
            EXPECT_NEAR(glm::length(origin - ahead), 0.0f, 1e-4f) << "one unit in front of the camera";
            EXPECT_EQ(lines[2 * i + 1], "vao: 0 posBuf: 0");
        }
        for (const auto& s : shots) {
            EXPECT_NEAR(glm::length(s->velocity), gun.shot_speed, 1e-3f);
            EXPECT_NEAR(glm::length(s->position - ahead), 0.0f, 1e-4f);
        }
    }
}

TEST_F(machine_gun_suite, aims_through_the_cursor) {
    set_camera(glm::mat4(1.0f), make_projection(800.0f, 600.0f));
    const std::vector<glm::vec2> aims = {{0, 0}, {0.5f, 0}, {-1, 1}, {1, -1}, {0.25f, 0.75f}};
    for (const glm::vec2& a : aims) {
        clear_shots();
        aim_point = a;
        machine_gun gun(test_clock, test_aim);
        fire_at_time(gun, 1.0);
        ASSERT_EQ(shots.size(), 1u);
        // Seen from the eye, the shot's direction lies under the cursor.
        const glm::vec4 clip = projection * view * glm::vec4(shots.front()->velocity, 1.0f);
        EXPECT_NEAR(clip.x / clip.w, a.x, 1e-3f);
        EXPECT_NEAR(clip.y / clip.w, a.y, 1e-3f);
    }
}

TEST_F(machine_gun_suite, degenerate_aim_creates_no_shot) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const std::vector<glm::mat4> inverses = {glm::mat4(nan), glm::mat4(inf), glm::mat4(0.0f)};
    for (const glm::mat4& m : inverses) {
        clear_shots();
        inverse_view_projection = m;
        machine_gun gun(test_clock, test_aim);
        const std::string out = fire_at_time(gun, 1.0);
        EXPECT_TRUE(shots.empty());
        EXPECT_EQ(out, "");
        EXPECT_DOUBLE_EQ(gun.last_shot_time, 1.0) << "the volley still counts for the rate limit";
    }
}

} // namespace
