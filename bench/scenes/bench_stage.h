// The stage the frame loop drives: the shared world, and the run's scene that acts on it.
#pragma once

#include "scenes/scene.h"
#include "scenes/scene_world.h"

#include <string>

namespace tarnwick::bench {

class bench_stage {
  public:
    // Builds the world once; start-up must have run.
    void setup() { world.setup(); }
    // The game's switches reset, then the world put into the run's starting state by its scene.
    void begin(const scene_run& run) {
        world.reset_switches();
        current = run.kind;
        current->begin(world, run);
    }
    void step(float dt) { current->step(world, dt); }
    void end_frame() { current->end_frame(world); }
    bool redraw_burning(int points) { return current->redraw_burning(world, points); }
    // Ends the run: the scene's line for the report (empty: none); left_over counts what outlived the run.
    std::string finish(int& left_over) { return current->finish(world, left_over); }
    // Deletes the world; the GL context must still exist.
    void release() { world.release(); }

  private:
    scene_world world;
    scene* current = nullptr;
};

} // namespace tarnwick::bench
