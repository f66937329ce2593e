// The registry of scenes: a new scene is a file of its own that defines its maker, declared here and
// listed in makers.
#include "scenes/scene_plan.h"

namespace tarnwick::bench {

std::unique_ptr<scene> make_empty_scene();
std::unique_ptr<scene> make_default_scene();
std::unique_ptr<scene> make_combat_scene();
std::unique_ptr<scene> make_blur_scene();
std::unique_ptr<scene> make_inspect_scene();
std::unique_ptr<scene> make_filters_scene();
std::unique_ptr<scene> make_effects_scene();
std::unique_ptr<scene> make_culling_scene();
std::unique_ptr<scene> make_barrage_scene();

namespace {
// The order of --list and of a bench that names no scene.
const scene_maker makers[] = {
    make_empty_scene,   make_default_scene, make_combat_scene,  make_blur_scene,    make_inspect_scene,
    make_filters_scene, make_effects_scene, make_culling_scene, make_barrage_scene,
};
} // namespace

const std::vector<std::unique_ptr<scene>>& scene_registry() {
    static const std::vector<std::unique_ptr<scene>> registry = [] {
        std::vector<std::unique_ptr<scene>> made;
        for (scene_maker make : makers)
            made.push_back(make());
        return made;
    }();
    return registry;
}

} // namespace tarnwick::bench
