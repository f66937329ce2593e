// The stage the frame loop drives: the game's scene and world, which each run's scene acts on through the
// helpers here (a combat held going, the gun, the window).
#pragma once

#include "app/main_scene.h"
#include "scenes/scene.h"
#include "scenes/shots_tally.h"

#include <functional>
#include <glm/glm.hpp>
#include <optional>
#include <string>

namespace tarnwick::bench {

// The held counts as settings, for the scenes that hold a combat going.
constexpr int most_held = 5000;
inline const scene_option enemies_setting{"enemies", 0, most_held, 50,
                                          "enemies kept alive, each put back ahead in time"};
inline const scene_option shots_setting{"shots", 0, most_held, 100, "shots kept in flight"};

class bench_stage {
  public:
    // Builds the game's start scene, then sets every scene up; once, after start-up.
    void setup();
    // The game's switches as start-up leaves them and the game paused; then the run's scene begins.
    void begin(const scene_run& run);
    void step(float dt) { current->step(*this, dt); }
    void end_frame() { current->end_frame(*this); }
    bool redraw_burning(int points) { return current->redraw_burning(*this, points); }
    std::optional<shots_tally> finish() { return current->finish(*this); }
    // Deletes the enemies and shots, then the scene's entities; the GL context must still exist.
    void release();

    // No enemies, shots or wave, and none held.
    void clear();
    // The start scene's world: the boss where the game starts it.
    void start();
    // Lets the game run from a cleared world, holding the enemy and shot counts from now on.
    void hold(int enemy_count, int shot_count);
    // Tops the held counts up after a step of dt seconds, and keeps every enemy far from the game-over
    // distance.
    void keep_held(float dt);
    // A fresh gun at level in place of the game's weapon.
    void arm_gun(int level);
    // Resizes the window and follows with what the game does on a resize.
    void resize_window(glm::ivec2 size);
    void turn_camera(float dt);
    // Calls draw on a cleared back buffer with every dissolving enemy's health moved by points, then puts
    // it back. False, drawing nothing, when no enemy dissolves and not always.
    bool redraw_dissolves(int points, bool always, const std::function<void()>& draw);

    main_scene game;
    // The window's size at set-up.
    glm::ivec2 start_size{0};

  private:
    scene* current = nullptr;
    glm::vec3 boss_start{0.0f};
    int held_enemies = 0;
    int held_shots = 0;
};

} // namespace tarnwick::bench
