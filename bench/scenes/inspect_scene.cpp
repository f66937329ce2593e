// The inspect scene: the start scene with the five inspection models shown.
#include "scenes/scene.h"
#include "scenes/scene_world.h"

namespace tarnwick::bench {

namespace {
class inspect_scene final : public scene {
  public:
    inspect_scene() : scene("inspect", {}, "the start scene with the five inspection models shown", 2) {}
    void begin(scene_world& world, const scene_run& run) override {
        world.game.show_inspection_models = true;
        scene::begin(world, run);
    }
};
} // namespace

std::unique_ptr<scene> make_inspect_scene() { return std::make_unique<inspect_scene>(); }

} // namespace tarnwick::bench
