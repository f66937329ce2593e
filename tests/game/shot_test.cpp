// Shot particles, their rebirth and the rules that take a shot out of play, without a window.
#include "game/machine_gun.h"
#include "game/shot.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <limits>
#include <vector>

namespace {

glm::vec2 centre_aim() { return glm::vec2(0.0f); }
double zero_clock() { return 0.0; }

std::shared_ptr<shot> quiet_shot(glm::vec3 position, glm::vec3 velocity) {
    testing::internal::CaptureStdout();
    auto s = std::make_shared<shot>(position, velocity, shot_mode::simulation_only);
    testing::internal::GetCapturedStdout();
    return s;
}

class shot_suite : public ::testing::Test {
  protected:
    void SetUp() override { clear_shots(); }
    void TearDown() override { clear_shots(); }
};

// Lives in 0..1 s and spreads of -2..2 in x and -0.5..0.5 in y around the head's velocity, filling the range.
TEST_F(shot_suite, five_particles_start_at_the_head_with_their_spread) {
    const glm::vec3 heads[][2] = {
        {{0, 0, -1}, {0, 0, 10}}, {{1, 2, 3}, {4, -5, 6}}, {{-3, 0, 2}, {0, 0, -40}}};
    std::srand(7);
    glm::vec3 lowest(10.0f), highest(-10.0f); // drift x, drift y, life
    for (int i = 0; i < 600; ++i) {
        const glm::vec3 position = heads[i % 3][0], velocity = heads[i % 3][1];
        testing::internal::CaptureStdout();
        const shot s(position, velocity, shot_mode::simulation_only);
        ASSERT_EQ(testing::internal::GetCapturedStdout(), "vao: 0 posBuf: 0\n")
            << "a simulation-only shot has no GL objects";
        EXPECT_EQ(s.position, position);
        EXPECT_EQ(s.velocity, velocity);
        ASSERT_EQ(s.particles.size(), 5u);
        for (const particle_struct& p : s.particles) {
            EXPECT_EQ(p.position, position);
            const glm::vec3 drift = p.velocity - velocity;
            EXPECT_NEAR(drift.z, -1.0f, 1e-4f);
            const glm::vec3 sample(drift.x, drift.y, p.life);
            lowest = glm::min(lowest, sample);
            highest = glm::max(highest, sample);
        }
    }
    const glm::vec3 range_lo(-2.0f, -0.5f, 0.0f), range_hi(2.0f, 0.5f, 1.0f);
    for (int k = 0; k < 3; ++k) {
        const float near_edge = 0.05f * (range_hi[k] - range_lo[k]);
        EXPECT_GE(lowest[k], range_lo[k]) << k;
        EXPECT_LT(lowest[k], range_lo[k] + near_edge) << k;
        EXPECT_GT(highest[k], range_hi[k] - near_edge) << k;
        EXPECT_LE(highest[k], range_hi[k]) << k;
    }
}

TEST_F(shot_suite, particle_is_reborn_only_below_zero_life) {
    const struct {
        float life, dt;
        bool reborn;
    } rows[] = {{0.25f, 0.25f, false}, {0.25f, 0.5f, true}, {0.0f, 0.125f, true}};
    for (const auto& r : rows) {
        const auto s = quiet_shot({0, 0, 0}, {0, 0, 4});
        for (particle_struct& p : s->particles)
            p.life = 2.0f;
        particle_struct& tested = s->particles[2];
        tested.life = r.life;
        tested.velocity = {1, 0, 3};
        s->update(r.dt);
        EXPECT_EQ(s->position, glm::vec3(0, 0, 4 * r.dt));
        if (r.reborn) {
            EXPECT_EQ(tested.position, s->position) << "reborn at the head's new place, life " << r.life;
            EXPECT_GE(tested.life, 0.0f);
            EXPECT_LE(tested.life, 1.0f);
        } else {
            EXPECT_EQ(tested.position, glm::vec3(r.dt, 0, 3 * r.dt)) << "life " << r.life;
            EXPECT_EQ(tested.life, r.life - r.dt);
        }
        for (int i : {0, 1, 3, 4})
            EXPECT_EQ(s->particles[i].life, 2.0f - r.dt) << "the others only age";
    }
}

TEST_F(shot_suite, weapon_update_drops_shots_out_of_play_and_keeps_the_order) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const struct {
        glm::vec3 position, velocity;
        float dt;
        bool kept;
    } rows[] = {
        {{0, 0, 14.5f}, {0, 0, 1}, 0.5f, true},   // |z| = 15.0 exactly stays
        {{0, 0, 14.5f}, {0, 0, 1}, 0.75f, false}, // just beyond is dropped in the same update
        {{0, 0, -14.5f}, {0, 0, -1}, 0.5f, true},  {{0, 0, -14.5f}, {0, 0, -1}, 0.5625f, false},
        {{29, 0, 0}, {1, 0, 0}, 1.0f, true},       // sideways, exactly 30 from the origin
        {{29, 0, 0}, {1, 0, 0}, 1.5f, false},      // sideways, beyond 30
        {{0, 20, 14}, {0, 1, 0}, 10.0f, false},    // |z| within 15 but far away
        {{0, 0, 0}, {nan, nan, nan}, 0.1f, false}, // NaN never compares beyond 15
    };
    machine_gun gun(shot_mode::simulation_only, zero_clock, centre_aim);
    for (const auto& r : rows) {
        shots.push_back(quiet_shot(r.position, r.velocity));
        gun.update(r.dt);
        EXPECT_EQ(shots.size(), r.kept ? 1u : 0u) << "from (" << r.position.x << ", " << r.position.y << ", "
                                                  << r.position.z << ") for " << r.dt << " s";
        clear_shots();
    }
    for (float v : {1, 40, 2, 50, 3})
        shots.push_back(quiet_shot(glm::vec3(0), glm::vec3(0, 0, v)));
    gun.update(0.5f);
    std::vector<float> left;
    for (const auto& s : shots)
        left.push_back(s->position.z);
    EXPECT_EQ(left, (std::vector<float>{0.5f, 1.0f, 1.5f})) << "the survivors in their order";
}

} // namespace
