// The culling scene: combat with frustum culling on, then off.
#include "app/shell/switches.h"
#include "scenes/scene.h"
#include "scenes/scene_world.h"

namespace tarnwick::bench {

namespace {
enum { culling, enemies, shots };
// The culling setting's values, in the order a bare culling runs them.
enum { on, off };
const scene_option culling_option{"culling",
                                  every_value,
                                  off,
                                  every_value,
                                  "frustum culling on only, or off only (default: on, then off)",
                                  {"on", "off"}};

class culling_scene final : public scene {
  public:
    culling_scene()
        : scene("culling", {culling_option, held_enemies_option, held_shots_option},
                "combat with frustum culling on, then off", 120) {}
    void begin(scene_world& world, const scene_run& run) override {
        frustum_culling = run.values[culling] == on;
        world.clear();
        world.hold(run.values[enemies], run.values[shots]);
    }
};
} // namespace

std::unique_ptr<scene> make_culling_scene() { return std::make_unique<culling_scene>(); }

} // namespace tarnwick::bench
