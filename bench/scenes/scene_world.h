// What the scenes share: the game's scene and world, the effect board, and the helpers that hold a combat
// going, arm the gun and resize the window.
#pragma once

#include "app/main_scene.h"
#include "scenes/effect_board.h"
#include "scenes/scene.h"

#include <functional>
#include <glm/glm.hpp>

namespace tarnwick::bench {

// The held counts as settings of the scenes that hold a combat going.
constexpr int most_held = 5000;
inline const scene_option held_enemies_option{
    "enemies", 0, most_held, 50, "enemies kept alive, each put back ahead before it comes near", {}};
inline const scene_option held_shots_option{"shots", 0, most_held, 100, "shots kept in flight", {}};

class scene_world {
  public:
    // Builds the game's start scene and the effect board once; start-up must have run.
    void setup();
    // Deletes the enemies and shots, then the scene's entities; the GL context must still exist.
    void release();
    // The game's switches as start-up leaves them, the camera at rest and the game paused.
    void reset_switches();
    // No enemies, shots or wave, and none held.
    void clear();
    // The start scene's world: the boss where the game starts it.
    void start();
    // Lets the game run and holds the enemy and shot counts from now on, starting now.
    void hold(int enemies, int shots);
    // Tops the counts up after a step of dt seconds, and keeps every enemy far from the game-over distance.
    void keep_held(float dt);
    // A fresh gun at level in place of the game's weapon.
    void arm_gun(int level);
    // Resizes the window and follows with what the game does on a resize.
    void resize_window(glm::ivec2 size);
    // Turns the camera sideways at the game's rate for dt seconds.
    void turn_camera(float dt);
    // Calls draw on a cleared back buffer with every dissolving enemy's health moved by points, then puts
    // their health back. False, drawing nothing, when no enemy dissolves (unless always).
    bool redraw_burning(int points, bool always, const std::function<void()>& draw);

    main_scene game;
    effect_board board;
    // The window's size at set-up.
    glm::ivec2 start_size{0};

  private:
    glm::vec3 boss_start{0.0f};
    int held_enemies = 0;
    int held_shots = 0;
};

} // namespace tarnwick::bench
