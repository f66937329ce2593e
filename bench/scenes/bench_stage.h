// The game's scene driven by the benchmark: puts the world into each run's state and steps one frame.
#pragma once

#include "app/main_scene.h"
#include "scenes/effect_board.h"
#include "scenes/scene_plan.h"
#include "scenes/shot_ledger.h"
#include "scenes/shots_tally.h"

#include <glm/glm.hpp>
#include <optional>
#include <string>

namespace tarnwick::bench {

class bench_stage {
  public:
    // Builds the game's start scene once; start-up must have run.
    void setup();
    // Puts the world, the scene's switches and the globals into the run's starting state.
    void begin(const scene_run& run);
    // Simulates dt seconds (combat keeps its enemies and shots topped up first), then draws; nothing for
    // the empty scene.
    void step(float dt);
    // After presentation: clears and turns the motion-blur ring.
    void end_frame();
    // Draws the frame just drawn again from a cleared back buffer, with every dissolve's health moved by
    // points (0 draws it as it was). False, drawing nothing, when nothing in the scene dissolves.
    bool redraw_burning(int points);
    // Ends the run. A barrage lets its shots fly out without firing, puts the window back and reports
    // what it fired and what was left; other scenes report nothing.
    std::optional<shots_tally> finish();
    // Deletes the enemies and shots, then the scene's entities; the GL context must still exist.
    void release();

  private:
    // Holds the enemy and shot counts and keeps every enemy far from the game-over distance after a step
    // of dt seconds.
    void keep_combat_going(float dt);
    void start_scene_world();
    // The scene, and for the effects scene the board with its dissolves moved by burn_shift points.
    void draw_frame(int burn_shift);
    // Every cycle frames: the next window size, motion blur flipped, culling flipped every other time.
    void change_window(int change);
    // A fresh gun at the run's level in place of the game's weapon.
    void arm_gun();

    main_scene scene;
    effect_board board;
    scene_run current;
    glm::vec3 boss_start{0.0f};
    glm::ivec2 start_size{0};
    int frame = 0;
    int window_changes = 0;
    shot_ledger ledger;
};

} // namespace tarnwick::bench
