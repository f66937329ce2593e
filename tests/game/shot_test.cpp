// Shot particles, their rebirth and the rules that take a shot out of play, without a window.
#include "game/machine_gun.h"
#include "game/shot.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <limits>
#include <vector>

namespace {

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

// Five particles start at the head with lives of 0..1 s and spreads of -2..2 in x and -0.5..0.5 in y around
// its velocity, filling the range; each update a particle whose life fell below 0 is reborn at the head.
TEST_F(shot_suite, particles_spread_from_the_head_and_are_reborn_there) {
    const glm::vec3 start(1, 2, 3), velocity(4, -5, 6);
    std::srand(7);
    glm::vec3 lowest(10.0f), highest(-10.0f); // drift x, drift y, life
    for (int i = 0; i < 200; ++i) {
        const auto s = quiet_shot(start, velocity);
        ASSERT_EQ(s->particles.size(), 5u);
        s->particles[0].life = 0.5f; // ends the update at exactly 0, which is not below it
        const std::vector<particle_struct> before = s->particles;
        s->update(0.5f);
        ASSERT_EQ(s->position, start + velocity * 0.5f);
        for (size_t k = 0; k < before.size(); ++k) {
            const particle_struct &p = before[k], &now = s->particles[k];
            EXPECT_EQ(p.position, start);
            const glm::vec3 drift = p.velocity - velocity;
            EXPECT_NEAR(drift.z, -1.0f, 1e-4f);
            lowest = glm::min(lowest, glm::vec3(drift.x, drift.y, p.life));
            highest = glm::max(highest, glm::vec3(drift.x, drift.y, p.life));
            if (p.life < 0.5f) {
                EXPECT_EQ(now.position, s->position) << "reborn at the head's new place";
            } else {
                EXPECT_EQ(now.position, start + p.velocity * 0.5f);
                EXPECT_EQ(now.life, p.life - 0.5f);
            }
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

// A shot leaves play once beyond |z| = 15 or 30 units from the origin, or when its place is not a number.
TEST_F(shot_suite, weapon_update_drops_shots_out_of_play) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const struct {
        glm::vec3 position, velocity; // the shot moves for 1 s
        bool kept;
    } rows[] = {
        {{0, 0, 14}, {0, 0, 1}, true},        {{0, 0, 14}, {0, 0, 1.25f}, false},
        {{0, 0, -14}, {0, 0, -1.25f}, false}, {{29, 0, 0}, {1, 0, 0}, true},
        {{29, 0, 0}, {1.25f, 0, 0}, false},   {{0, 0, 0}, {nan, nan, nan}, false},
    };
    machine_gun gun(shot_mode::simulation_only);
    for (const auto& r : rows) {
        shots.push_back(quiet_shot(r.position, r.velocity));
        gun.update(1.0f);
        EXPECT_EQ(shots.size(), r.kept ? 1u : 0u)
            << r.position.x << " " << r.position.z << " moving " << r.velocity.x << " " << r.velocity.z;
        clear_shots();
    }
}

} // namespace
