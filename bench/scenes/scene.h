// A scene of the bench: its name, settings, description and reference frame, and what it does over a run.
#pragma once

#include "scenes/shots_tally.h"

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tarnwick::bench {

class bench_stage;
class scene;

// A whole-number setting of a scene: its range, its value when not given, and what it sets.
struct scene_option {
    const char* name;
    int lowest;
    int highest;
    int fallback;
    const char* description;
    // Names of the values 0, 1, ..., written bare ("culling:on"); none: written name=value.
    std::vector<const char*> words = {};
};

// Where an option's range starts at it: one run for each value from 0 up.
constexpr int every_value = -1;

// One measured run: a scene with every setting resolved.
struct scene_run {
    // How the run is named in the tables, the files and on the command line, e.g.
    // "filters:texture=1:mipmap=2"; --scene takes it back as this run alone.
    std::string label;
    scene* kind = nullptr;
    // The settings' values, in the order of the scene's options.
    std::vector<int> values;
    // The frame compared with the run's reference picture; 0: none.
    int reference_frame = 0;
};

// The default life is the game's start scene, paused: made afresh, stepped and drawn as the game does.
class scene {
  public:
    scene(const char* name, std::vector<scene_option> options, const char* description, int reference_frame)
        : name(name), options(std::move(options)), description(description),
          reference_frame(reference_frame) {}
    virtual ~scene() = default;

    const char* const name;
    const std::vector<scene_option> options;
    const char* const description;
    // The frame of each run (counted from 1, warm-up included) compared with its reference picture, chosen
    // where the scene shows what it is about; 0: none.
    const int reference_frame;

    // Once, after the stage has built the game's start scene.
    virtual void setup(bench_stage&) {}
    // Puts the world into the run's starting state; the stage has put the switches as start-up leaves them.
    virtual void begin(bench_stage& stage, const scene_run& run);
    // Simulates dt seconds, then draws.
    virtual void step(bench_stage& stage, float dt);
    // After presentation.
    virtual void end_frame(bench_stage& stage);
    // Draws the frame just drawn again from a cleared back buffer, with every dissolve's health moved by
    // points (0 draws it as it was). False, drawing nothing, when nothing in the scene dissolves.
    virtual bool redraw_burning(bench_stage& stage, int points);
    // Ends the run; a scene that fires (the barrage) says what it fired and what outlived its shots.
    virtual std::optional<shots_tally> finish(bench_stage& stage);

  protected:
    // The frame, its dissolving pieces moved by burn_shift points.
    virtual void draw(bench_stage& stage, int burn_shift);
};

} // namespace tarnwick::bench
