// Waves, bonuses, power-ups and freed satellites, with a seeded generator and no window.
#include "game/draw_resources.h"
#include "game/machine_gun.h"
#include "game/shot.h"
#include "game/world.h"
#include "app/shell/shell.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <iterator>
#include <set>
#include <string>
#include <vector>

namespace {

// "GAME OVER" ends the process with status 0, which would pass the whole run; the end itself is checked end
// to end.
void fail_the_run() { std::_Exit(1); }

class world_suite : public ::testing::Test {
  protected:
    void SetUp() override {
        reset();
        set_shutdown_handler(fail_the_run);
    }
    void TearDown() override {
        reset();
        set_shutdown_handler(nullptr);
    }
    void reset() {
        release_game_objects();
        wave_size = wave_kills = 0;
        weapon = nullptr;
        std::srand(1);
        // Distinct colour uniforms, as in a drawn world: a bonus is told apart by its lit one.
        world_resources.wire_color_location = 1;
        world_resources.lit_color_location = 2;
    }
    // Runs one update and returns what it printed.
    std::string step(float dt) {
        testing::internal::CaptureStdout();
        update_world(dt);
        return testing::internal::GetCapturedStdout();
    }
};

// Every removal prints the wave counters and starts a new one-enemy wave of any kind, on a grid of whole
// units at z = 10; about one removal in eleven first leaves a still bonus where the enemy died.
TEST_F(world_suite, waves_and_bonuses_appear_in_their_places) {
    spawn_enemy({0, 0, 10}, 0);
    glm::ivec2 lowest(100), highest(-100);
    std::set<int> kinds;
    int bonuses = 0;
    for (int removal = 0; removal < 300; ++removal) {
        const glm::vec3 death_place = enemies.back()->position;
        enemies.back()->hit();
        enemies.back()->update(2.5f);
        ASSERT_EQ(step(0.0f), removal == 0 ? "0 0\n" : "1 1\n");
        ASSERT_LE(enemies.size(), 2u);
        if (enemies.size() == 2) {
            EXPECT_EQ(enemies.front()->position, death_place);
            EXPECT_EQ(enemies.front()->velocity, glm::vec3(0.0f));
            ++bonuses;
            delete enemies.front(); // bonuses would pile up
            enemies.pop_front();
        }
        const glm::vec3 spawned_at = enemies.front()->position;
        const glm::ivec2 cell(glm::round(glm::vec2(spawned_at)));
        EXPECT_EQ(spawned_at, glm::vec3(glm::vec2(cell), 10.0f)) << "whole units at z = 10";
        lowest = glm::min(lowest, cell);
        highest = glm::max(highest, cell);
        kinds.insert(enemies.front()->type);
    }
    EXPECT_EQ(lowest, glm::ivec2(-8, 0));
    EXPECT_EQ(highest, glm::ivec2(2, 2));
    EXPECT_EQ(kinds.size(), 4u);
    EXPECT_GT(bonuses, 10);
    EXPECT_LT(bonuses, 60);
}

// The weapon powers up when a bonus is removed, 2.5 s after its hit, and not for other enemies.
TEST_F(world_suite, power_up_only_when_a_bonus_is_removed) {
    for (const bool bonus : {true, false}) {
        reset();
        machine_gun gun(shot_mode::simulation_only);
        weapon = &gun;
        // A still wireframe enemy is no bonus.
        bonus ? spawn_bonus({2, 1, 6}) : spawn_enemy({2, 1, 6}, 1);
        enemies.front()->velocity = glm::vec3(0.0f);
        enemies.front()->hit();
        step(2.0f);
        EXPECT_EQ(gun.level, 1) << "nothing on the hit or while dissolving";
        step(0.5f);
        EXPECT_EQ(gun.level, bonus ? 2 : 1);
    }
}

// A hit on the boss sets its six satellites loose once (the lines are checked end to end); they fly at the
// origin from where they were attached, at half their distance a second.
TEST_F(world_suite, freed_satellites_fly_at_the_origin) {
    spawn_boss({0, 0, 10});
    step(0.25f);
    testing::internal::CaptureStdout();
    shots.push_back(
        std::make_shared<shot>(enemies.front()->position, glm::vec3(0.0f), shot_mode::simulation_only));
    testing::internal::GetCapturedStdout();
    step(0.0f);
    std::vector<glm::vec3> freed_places;
    for (auto it = std::next(enemies.begin()); it != enemies.end(); ++it)
        freed_places.push_back((*it)->position);
    step(0.5f);
    auto it = std::next(enemies.begin());
    for (size_t i = 0; i < freed_places.size(); ++i, ++it)
        EXPECT_EQ((*it)->position, 0.75f * freed_places[i]) << "satellite " << i;
}

} // namespace
