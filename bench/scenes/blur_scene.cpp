// The blur scene: the start scene under the six-frame motion blur while the camera turns.
#include "scenes/scene.h"
#include "scenes/scene_world.h"

namespace tarnwick::bench {

namespace {
class blur_scene final : public scene {
  public:
    blur_scene()
        : scene("blur", {}, "the start scene with the six-frame motion blur, the camera turning sideways",
                10) {}
    void begin(scene_world& world, const scene_run& run) override {
        world.game.motion_blur = true;
        scene::begin(world, run);
    }
    // The camera turns, so that the blur leaves trails.
    void step(scene_world& world, float dt) override {
        world.turn_camera(dt);
        scene::step(world, dt);
    }
};
} // namespace

std::unique_ptr<scene> make_blur_scene() { return std::make_unique<blur_scene>(); }

} // namespace tarnwick::bench
