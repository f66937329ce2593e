// Shot particles, their rebirth and the rules that take a shot out of play, without a window.
#include "game/machine_gun.h"
#include "game/shot.h"

#include <cmath>
#include <cstdlib>
#include <gtest/gtest.h>
#include <limits>
#include <vector>

namespace {

glm::vec2 centre_aim() { return glm::vec2(0.0f); }
double zero_clock() { return 0.0; }

class shot_suite : public ::testing::Test {
  protected:
    void SetUp() override { clear_shots(); }
    void TearDown() override { clear_shots(); }
};

TEST_F(shot_suite, five_particles_start_at_the_head_with_their_spread) {
    const std::vector<std::pair<glm::vec3, glm::vec3>> shots_made = {
        {{0, 0, -1}, {0, 0, 10}}, {{1, 2, 3}, {4, -5, 6}}, {{-3, 0, 2}, {0, 0, -40}}};
    for (unsigned seed = 1; seed <= 20; ++seed) {
        std::srand(seed);
        for (const auto& [position, velocity] : shots_made) {
            testing::internal::CaptureStdout();
            const shot s(position, velocity);
            const std::string out = testing::internal::GetCapturedStdout();
            EXPECT_EQ(out, "vao: 0 posBuf: 0\n") << "no context, no GL objects";
            EXPECT_EQ(s.position, position);
            EXPECT_EQ(s.velocity, velocity);
            ASSERT_EQ(s.particles.size(), 5u);
            for (const particle_struct& p : s.particles) {
                EXPECT_EQ(p.position, position);
                EXPECT_GE(p.life, 0.0f);
                EXPECT_LE(p.life, 1.0f);
                const glm::vec3 drift = p.velocity - velocity;
                EXPECT_GE(drift.x, -2.0f);
                EXPECT_LE(drift.x, 2.0f);
                EXPECT_GE(drift.y, -0.5f);
                EXPECT_LE(drift.y, 0.5f);
                EXPECT_NEAR(drift.z, -1.0f, 1e-4f);
            }
        }
    }
}

TEST_F(shot_suite, spread_covers_its_whole_range) {
    std::srand(7);
    float min_x = 10, max_x = -10, min_y = 10, max_y = -10, min_life = 10, max_life = -10;
    testing::internal::CaptureStdout();
    for (int i = 0; i < 400; ++i) {
        const shot s({0, 0, 0}, {0, 0, 0});
        for (const particle_struct& p : s.particles) {
            min_x = std::min(min_x, p.velocity.x);
            max_x = std::max(max_x, p.velocity.x);
            min_y = std::min(min_y, p.velocity.y);
            max_y = std::max(max_y, p.velocity.y);
            min_life = std::min(min_life, p.life);
            max_life = std::max(max_life, p.life);
        }
    }
    testing::internal::GetCapturedStdout();
    // Wide spreads, four times as wide in x as in y; lives up to a second.
    EXPECT_LT(min_x, -1.8f);
    EXPECT_GT(max_x, 1.8f);
    EXPECT_LT(min_y, -0.45f);
    EXPECT_GT(max_y, 0.45f);
    EXPECT_LT(min_life, 0.05f);
    EXPECT_GT(max_life, 0.95f);
}

TEST_F(shot_suite, particle_is_reborn_only_below_zero_life) {
    struct row {
        float life, dt;
        bool reborn;
    };
    const std::vector<row> rows = {{0.25f, 0.25f, false},
                                   {0.5f, 0.25f, false},
                                   {0.25f, 0.5f, true},
                                   {0.0f, 0.125f, true},
                                   {1.0f, 1.0f, false}};
    for (const row& r : rows) {
        testing::internal::CaptureStdout();
        shot s({0, 0, 0}, {0, 0, 4});
        testing::internal::GetCapturedStdout();
        for (particle_struct& p : s.particles)
            p.life = 2.0f;
        particle_struct& tested = s.particles[2];
        tested.life = r.life;
        tested.velocity = {1, 0, 3};
        s.update(r.dt);
        EXPECT_EQ(s.position, glm::vec3(0, 0, 4 * r.dt));
        if (r.reborn) {
            EXPECT_EQ(tested.position, s.position) << "reborn at the head's new place, life " << r.life;
            EXPECT_GE(tested.life, 0.0f);
            EXPECT_LE(tested.life, 1.0f);
        } else {
            EXPECT_EQ(tested.position, glm::vec3(r.dt, 0, 3 * r.dt)) << "life " << r.life;
            EXPECT_EQ(tested.life, r.life - r.dt);
        }
        for (int i : {0, 1, 3, 4})
            EXPECT_EQ(s.particles[i].life, 2.0f - r.dt) << "the others only age";
    }
}

TEST_F(shot_suite, weapon_update_drops_shots_out_of_play) {
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    struct row {
        glm::vec3 position, velocity;
        float dt;
        bool kept;
    };
    const std::vector<row> rows = {
        {{0, 0, 14.5f}, {0, 0, 1}, 0.5f, true},   // |z| = 15.0 exactly stays
        {{0, 0, 14.5f}, {0, 0, 1}, 0.75f, false}, // just beyond is dropped in the same update
        {{0, 0, -14.5f}, {0, 0, -1}, 0.5f, true},
        {{0, 0, -14.5f}, {0, 0, -1}, 0.5625f, false},
        {{0, 0, 0}, {0, 0, 10}, 0.0f, true},
        {{29, 0, 0}, {1, 0, 0}, 1.0f, true},       // sideways, exactly 30 from the origin
        {{29, 0, 0}, {1, 0, 0}, 1.5f, false},      // sideways, beyond 30
        {{0, 20, 14}, {0, 1, 0}, 10.0f, false},    // |z| within 15 but far away
        {{0, 0, 0}, {nan, nan, nan}, 0.1f, false}, // NaN never compares beyond 15
        {{0, 0, 0}, {inf, 0, 0}, 0.1f, false},
    };
    machine_gun gun(zero_clock, centre_aim);
    for (const row& r : rows) {
        testing::internal::CaptureStdout();
        shots.push_back(std::make_shared<shot>(r.position, r.velocity));
        testing::internal::GetCapturedStdout();
        gun.update(r.dt);
        EXPECT_EQ(shots.size(), r.kept ? 1u : 0u) << "from (" << r.position.x << ", " << r.position.y << ", "
                                                  << r.position.z << ") for " << r.dt << " s";
        clear_shots();
    }
}

TEST_F(shot_suite, weapon_update_keeps_the_order_of_the_survivors) {
    machine_gun gun(zero_clock, centre_aim);
    testing::internal::CaptureStdout();
    const std::vector<float> speeds = {1, 40, 2, 50, 3};
    for (float v : speeds)
        shots.push_back(std::make_shared<shot>(glm::vec3(0), glm::vec3(0, 0, v)));
    testing::internal::GetCapturedStdout();
    gun.update(0.5f);
    std::vector<float> left;
    for (const auto& s : shots)
        left.push_back(s->position.z);
    EXPECT_EQ(left, (std::vector<float>{0.5f, 1.0f, 1.5f}));
}

} // namespace
