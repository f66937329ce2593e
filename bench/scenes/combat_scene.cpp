// The combat scene: the game running with its enemies and shots held at constant counts.
#include "scenes/scene.h"
#include "scenes/scene_world.h"

namespace tarnwick::bench {

namespace {
enum { enemies, shots };

class combat_scene final : public scene {
  public:
    combat_scene()
        : scene("combat", {held_enemies_option, held_shots_option},
                "the game running with enemies and shots held constant by respawning", 120) {}
    void begin(scene_world& world, const scene_run& run) override {
        world.clear();
        world.hold(run.values[enemies], run.values[shots]);
    }
};
} // namespace

std::unique_ptr<scene> make_combat_scene() { return std::make_unique<combat_scene>(); }

} // namespace tarnwick::bench
