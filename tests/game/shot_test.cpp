// Shots leaving play, without a window (how their particles spread shows in the bench's combat pictures).
#include "game/machine_gun.h"
#include "game/shot.h"

#include <gtest/gtest.h>
#include <limits>

namespace {

// A shot leaves play once beyond |z| = 15 or 30 units from the origin, or when its place is not a number.
TEST(shot, weapon_update_drops_shots_out_of_play) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const struct {
        glm::vec3 position, velocity; // the shot moves for 1 s
        bool kept;
    } rows[] = {
        {{0, 0, 14}, {0, 0, 1}, true},       {{0, 0, 14}, {0, 0, 1.25f}, false},
        {{29, 0, 0}, {1, 0, 0}, true},       {{29, 0, 0}, {1.25f, 0, 0}, false},
        {{0, 0, 0}, {nan, nan, nan}, false},
    };
    machine_gun gun(shot_mode::simulation_only);
    for (const auto& r : rows) {
        testing::internal::CaptureStdout();
        shots.push_back(std::make_shared<shot>(r.position, r.velocity, shot_mode::simulation_only));
        testing::internal::GetCapturedStdout();
        gun.update(1.0f);
        EXPECT_EQ(shots.size(), r.kept ? 1u : 0u)
            << r.position.x << " " << r.position.z << " moving " << r.velocity.x << " " << r.velocity.z;
        clear_shots();
    }
}

} // namespace
