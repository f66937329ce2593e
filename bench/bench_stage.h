// The game's scene driven by the benchmark: puts the world into each run's state and steps one frame.
#pragma once

#include "app/main_scene.h"
#include "scene_plan.h"

#include <glm/glm.hpp>

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
    // Deletes the enemies and shots, then the scene's entities; the GL context must still exist.
    void release();

  private:
    // Holds the enemy and shot counts and keeps every enemy far from the game-over distance after a step
    // of dt seconds.
    void keep_combat_going(float dt);
    void start_scene_world();

    main_scene scene;
    scene_run current;
    glm::vec3 boss_start{0.0f};
};
