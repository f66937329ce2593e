// The game's scene driven by the benchmark: puts the world into each run's state and steps one frame.
#include "bench_stage.h"

#include "app/shell/gl.h"
#include "app/shell/switches.h"
#include "game/shot.h"
#include "game/world.h"

#include <cmath>
#include <cstdlib>
#include <memory>

namespace {
// Combat enemies live in a shell in front of the camera, and are put back there before they come within
// respawn_distance, far outside the 2 units that end the game.
constexpr float shell_inner = 10.0f;
constexpr float shell_outer = 14.0f;
constexpr float respawn_distance = 6.0f;
constexpr int enemy_kinds = 4;
// Shots start one unit from the eye and fly at the weapon's first-level speed.
constexpr float shot_start = 1.0f;
constexpr float shot_speed = 10.0f;

float unit_random() { return float(std::rand()) / float(RAND_MAX); }

// A uniform direction in the half space z > 0 (where the camera looks at the start).
glm::vec3 forward_direction() {
    for (;;) {
        const glm::vec3 v(2.0f * unit_random() - 1.0f, 2.0f * unit_random() - 1.0f, unit_random());
        const float l = glm::length(v);
        if (l > 0.01f && l <= 1.0f && v.z > 0.0f)
            return v / l;
    }
}

glm::vec3 shell_position() {
    return forward_direction() * (shell_inner + (shell_outer - shell_inner) * unit_random());
}

void reset_world() {
    release_game_objects();
    wave_size = 0;
    wave_kills = 0;
}
} // namespace

void bench_stage::setup() {
    scene.setup();
    // The scene's own boss is the first enemy; later runs put it back where the game starts it.
    boss_start = enemies.empty() ? glm::vec3(0.0f) : enemies.front()->position;
}

void bench_stage::start_scene_world() {
    reset_world();
    spawn_boss(boss_start);
}

void bench_stage::begin(const scene_run& run) {
    current = run;
    scene.paused = true;
    scene.show_inspection_models = run.scene == "inspect";
    scene.motion_blur = run.scene == "blur";
    scene.yaw = scene.pitch = 0.0f;
    frustum_culling = run.culling;
    texture_sampling_quality = uint8_t(run.texture_quality);
    mipmap_sampling_quality = uint8_t(run.mipmap_quality);
    if (run.scene == "combat" || run.scene == "culling") {
        reset_world();
        scene.paused = false;
        keep_combat_going(0.0f);
    } else {
        start_scene_world();
    }
}

void bench_stage::keep_combat_going(float dt) {
    for (enemy* e : enemies) {
        const float speed = glm::length(e->velocity);
        // Looks one step ahead: a measured dt is not clamped, and a stall of the machine must not end the
        // run.
        if (!e->parent && glm::length(glm::vec3(e->bounding_sphere())) - speed * dt < respawn_distance) {
            e->position = shell_position();
            e->velocity = -glm::normalize(e->position) * speed;
            e->update_model_matrix();
        }
    }
    while (int(enemies.size()) < current.enemies)
        spawn_enemy(shell_position(), std::rand() % enemy_kinds);
    // Combat spawns no boss, so no trimmed enemy can be a satellite's parent.
    while (int(enemies.size()) > current.enemies) {
        delete enemies.back();
        enemies.pop_back();
    }
    while (int(shots.size()) < current.shots) {
        const glm::vec3 direction = forward_direction();
        shots.push_back(std::make_shared<shot>(direction * shot_start, direction * shot_speed));
    }
}

void bench_stage::step(float dt) {
    if (current.scene == "empty")
        return;
    if (!scene.paused)
        keep_combat_going(dt);
    scene.update(dt, false);
    scene.draw();
}

void bench_stage::end_frame() {
    if (current.scene == "empty")
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    else
        scene.end_frame();
}

void bench_stage::release() {
    reset_world();
    scene.release();
}
