// The cost of one update_world step with as many shots as enemies, none of them hitting: shots far behind
// the enemies, and shots among them just outside every enemy's sphere.
#include "app/shell/shell.h"
#include "app/startup.h"
#include "game/shot.h"
#include "game/world.h"
#include "micro/micro_context.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <iostream>
#include <memory>

namespace {
constexpr float frame_dt = 1.0f / 60.0f;
// Enemies stand on a grid in front of the camera. Shots hang either behind the camera, where no enemy
// looks for them, or on the same grid 1.5 units deeper than the enemies, beyond the largest radius of an
// enemy at scale 1 (the square root of 2), where every enemy tests the shots around it. None hits, so the
// step's cost stays the same from one iteration to the next.
constexpr int grid_columns = 32;
constexpr float grid_step = 0.5f;
constexpr float enemy_depth = 10.0f;
constexpr float far_shot_depth = -10.0f;
constexpr float near_shot_depth = enemy_depth + 1.5f;
constexpr int enemy_kinds = 4;

glm::vec3 grid_point(int i, float depth) {
    return glm::vec3(grid_step * float(i % grid_columns) - 8.0f, grid_step * float(i / grid_columns) - 8.0f,
                     depth);
}

void run_update_world(benchmark::State& state, float shot_depth) {
    if (!open_game_context()) {
        state.SkipWithError("no X display (run under xvfb-run)");
        return;
    }
    null_buffer quiet;
    std::streambuf* console = std::cout.rdbuf(&quiet);
    release_game_objects();
    const int n = int(state.range(0));
    std::srand(1);
    for (int i = 0; i < n; ++i) {
        spawn_enemy(grid_point(i, enemy_depth), i % enemy_kinds);
        enemies.back()->velocity = glm::vec3(0.0f);
        shots.push_back(std::make_shared<shot>(grid_point(i, shot_depth), glm::vec3(0.0f), shot_mode::drawn));
    }
    for (auto _ : state)
        update_world(frame_dt);
    const bool intact = int(enemies.size()) == n && int(shots.size()) == n;
    release_game_objects();
    std::cout.rdbuf(console);
    if (!intact)
        state.SkipWithError("an enemy or a shot was lost during the run");
    state.counters["pairs"] = double(n) * double(n);
}

void bm_update_world(benchmark::State& state) { run_update_world(state, far_shot_depth); }
void bm_update_world_near_misses(benchmark::State& state) { run_update_world(state, near_shot_depth); }
} // namespace

BENCHMARK(bm_update_world)->Arg(1)->Arg(10)->Arg(100)->Arg(1000)->Unit(benchmark::kMicrosecond);
BENCHMARK(bm_update_world_near_misses)->Arg(100)->Arg(1000)->Arg(2000)->Unit(benchmark::kMicrosecond);

bool open_game_context() {
    static int state = 0; // 0 untried, 1 open, 2 failed
    if (state == 0) {
        state = 2;
        if (std::getenv("DISPLAY")) {
            null_buffer quiet;
            std::streambuf* console = std::cout.rdbuf(&quiet);
            const display_config config;
            init(&config);
            std::cout.rdbuf(console);
            state = display ? 1 : 2;
        }
    }
    return state == 1;
}

void close_game_context() {
    if (display)
        shutdown();
}
