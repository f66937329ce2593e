// The effects scene: the game's mesh programs on the effect board's still solids, nothing else in the world.
#include "scenes/scene.h"
#include "scenes/scene_world.h"

namespace tarnwick::bench {

namespace {
class effects_scene final : public scene {
  public:
    effects_scene()
        : scene("effects", {},
                "the game's mesh programs side by side on still solids, each posed where its effect shows\n"
                "    (a specular highlight, dissolves half burnt, the noise and rainbow colourings)",
                2) {}
    void begin(scene_world& world, const scene_run&) override { world.clear(); }
    // The board's pieces dissolve whether or not an enemy does.
    bool redraw_burning(scene_world& world, int points) override {
        return world.redraw_burning(points, true, [&] { draw(world, points); });
    }

  protected:
    void draw(scene_world& world, int burn_shift) override {
        scene::draw(world, burn_shift);
        world.board.draw(burn_shift);
    }
};
} // namespace

std::unique_ptr<scene> make_effects_scene() { return std::make_unique<effects_scene>(); }

} // namespace tarnwick::bench
