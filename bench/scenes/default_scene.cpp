// The default scene: the game's start scene as it opens, paused.
#include "scenes/scene.h"

namespace tarnwick::bench {

std::unique_ptr<scene> make_default_scene() {
    return std::make_unique<scene>("default", std::vector<scene_option>(),
                                   "the game's start scene (backdrop, boss and satellites), paused", 2);
}

} // namespace tarnwick::bench
