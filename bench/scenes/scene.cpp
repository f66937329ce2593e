// A scene's default life: the game's start scene, paused, stepped and drawn as the game does.
#include "scenes/scene.h"

#include "scenes/scene_world.h"

namespace tarnwick::bench {

void scene::begin(scene_world& world, const scene_run&) { world.start(); }

void scene::step(scene_world& world, float dt) {
    if (!world.game.paused)
        world.keep_held(dt);
    world.game.update(dt, false);
    draw(world, 0);
}

void scene::end_frame(scene_world& world) { world.game.end_frame(); }

bool scene::redraw_burning(scene_world& world, int points) {
    return world.redraw_burning(points, false, [&] { draw(world, points); });
}

std::string scene::finish(scene_world&, int& left_over) {
    left_over = 0;
    return std::string();
}

void scene::draw(scene_world& world, int) { world.game.draw(); }

} // namespace tarnwick::bench
