// update_world's hits against the plain rule, replayed over many seeded random worlds: walking the
// enemies in list order, every intact one takes the first shot in list order strictly inside its
// bounding sphere, and that shot is gone for the enemies after it.
#include "game/shot.h"
#include "game/weapon.h"
#include "game/world.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <iostream>
#include <limits>
#include <random>
#include <set>
#include <sstream>
#include <vector>

namespace {
constexpr int world_count = 1500;

class random_world {
  public:
    explicit random_world(unsigned seed) : gen(seed), shot_places(2 + pick(4)) {}

    float uniform(float lo, float hi) { return std::uniform_real_distribution<float>(lo, hi)(gen); }
    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(gen); }
    glm::vec3 box(float lo, float hi) { return glm::vec3(uniform(lo, hi), uniform(lo, hi), uniform(lo, hi)); }
    // At least 4 units from the origin, so that no enemy ends the game during the step.
    glm::vec3 away(float lo, float hi) {
        const glm::vec3 p = box(-1.0f, 1.0f);
        return glm::normalize(p + glm::vec3(0.0f, 0.0f, 0.01f)) * uniform(lo, hi);
    }

    // Intact, dissolving or dead (removed by the step, which may append a bonus and a new wave);
    // now and then a boss with its satellites.
    void add_enemy() {
        if (pick(12) == 0)
            return spawn_boss(away(7.0f, 12.0f));
        enemy* e = new enemy(away(4.0f, 14.0f));
        e->type = pick(4);
        const float scales[] = {1.0f, 1.0f, 0.5f, uniform(2.0f, 9.0f), uniform(1e3f, 1e5f)};
        e->scale = glm::vec3(scales[pick(5)]);
        e->rotation.x = uniform(0.0f, 360.0f);
        e->angular_velocity.x = 60.0f;
        e->velocity = box(-1.0f, 1.0f);
        e->update_model_matrix();
        const int state = pick(5);
        if (state >= 3)
            e->hit();
        if (state == 4)
            e->update(uniform(0.0f, 3.0f));
        enemies.push_back(e);
    }

    // Around an enemy or where new waves appear and, in some worlds, also on the borders of any grid of half
    // units, far away, or not finite.
    void add_shot() {
        const glm::vec3 wave_spot(uniform(-8.0f, 2.0f), uniform(0.0f, 2.0f), 10.0f);
        const glm::vec3 near =
            enemies.empty() ? wave_spot : (*std::next(enemies.begin(), pick(int(enemies.size()))))->position;
        const float inf = std::numeric_limits<float>::infinity();
        const glm::vec3 places[] = {near + box(-2.0f, 2.0f), wave_spot + box(-1.5f, 1.5f),
                                    glm::round((near + box(-2.0f, 2.0f)) * 2.0f) / 2.0f,
                                    box(-1.0f, 1.0f) * std::pow(10.0f, float(pick(39))),
                                    glm::vec3(pick(2) ? inf : std::nanf(""), 1.0f, 1.0f)};
        const glm::vec3 p = places[pick(shot_places)];
        shots.push_back(std::make_shared<shot>(p, glm::vec3(0.0f), shot_mode::simulation_only));
    }

  private:
    std::mt19937 gen;
    int shot_places;
};

// Quiet console, no weapon: the shots stay where they are put.
class world_hits : public ::testing::Test {
  protected:
    void SetUp() override {
        console = std::cout.rdbuf(sink.rdbuf());
        weapon = nullptr;
    }
    void TearDown() override {
        release_game_objects();
        std::cout.rdbuf(console);
    }
    std::ostringstream sink;
    std::streambuf* console = nullptr;
};

TEST_F(world_hits, every_enemy_takes_the_first_shot_in_list_order_within_its_sphere) {
    int hits_by_new_enemies = 0, hits_by_large_spheres = 0;
    for (unsigned seed = 1; seed <= world_count; ++seed) {
        random_world world(seed);
        release_game_objects();
        for (int n = world.pick(40); n > 0; --n)
            world.add_enemy();
        for (int n = world.pick(160); n > 0; --n)
            world.add_shot();
        wave_size = world.pick(3);
        wave_kills = world.pick(wave_size + 1);
        std::srand(seed);
        const std::set<enemy*> old_enemies(enemies.begin(), enemies.end());
        // Positions are read now: the step frees the shots it takes.
        std::vector<std::pair<const shot*, glm::vec3>> expected;
        for (const auto& s : shots)
            expected.emplace_back(s.get(), s->position);

        update_world(world.uniform(0.005f, 0.03f));

        // After the step, only an enemy hit in it has exactly the dissolve that a hit gives.
        for (enemy* e : enemies) {
            const bool hit_now = e->health == intact_health - 1 && e->dissolve == float(intact_health - 1);
            if (e->health != intact_health && !hit_now)
                continue;
            const glm::vec4 s = e->bounding_sphere();
            const auto first = std::find_if(expected.begin(), expected.end(), [&](const auto& p) {
                return s.w > glm::length(glm::vec3(s) - p.second);
            });
            ASSERT_EQ(hit_now, first != expected.end()) << "world " << seed;
            if (hit_now) {
                expected.erase(first);
                hits_by_new_enemies += old_enemies.count(e) == 0;
                hits_by_large_spheres += s.w > 10.0f;
            }
        }
        ASSERT_EQ(shots.size(), expected.size()) << "world " << seed;
        ASSERT_TRUE(std::equal(shots.begin(), shots.end(), expected.begin(),
                               [](const auto& s, const auto& p) { return s.get() == p.first; }))
            << "world " << seed;
    }
    // The worlds must exercise what they are made for.
    EXPECT_GT(hits_by_new_enemies, 0);
    EXPECT_GT(hits_by_large_spheres, 0);
}
} // namespace
