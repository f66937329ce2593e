// A scene's default life: the game's start scene, paused, stepped and drawn as the game does.
#include "scenes/bench_stage.h"

namespace tarnwick::bench {

void scene::begin(bench_stage& stage, const scene_run&) { stage.start(); }

void scene::step(bench_stage& stage, float dt) {
    if (!stage.game.paused)
        stage.keep_held(dt);
    stage.game.update(dt, false);
    draw(stage, 0);
}

void scene::end_frame(bench_stage& stage) { stage.game.end_frame(); }

bool scene::redraw_burning(bench_stage& stage, int points) {
    return stage.redraw_dissolves(points, false, [&] { draw(stage, points); });
}

std::optional<shots_tally> scene::finish(bench_stage&) { return std::nullopt; }

void scene::draw(bench_stage& stage, int) { stage.game.draw(); }

} // namespace tarnwick::bench
