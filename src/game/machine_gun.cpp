// Volleys, scatter, power levels and the moving, expiring and drawing of the shots.
#include "machine_gun.h"

#include "finite.h"

#include "app/input/input.h"
#include "app/shell/gl.h"
#include "render/camera.h"

#include <cmath>
#include <cstdlib>
#include <memory>

namespace {
constexpr double base_interval = 0.5;
constexpr double interval_step = 10.0;
constexpr float speed_per_level = 10.0f;
// Scatter of extra shots: (rand() % 200 - 100) / 400, about -0.25 .. 0.25 in NDC.
constexpr int scatter_range = 200;
constexpr int scatter_offset = 100;
constexpr double scatter_divisor = 400.0;
// The depth of the aim point in NDC, and the start point's distance in front of the eye (-2 x that).
constexpr float aim_depth = 0.5f;
constexpr float start_distance = -2.0f * aim_depth;

double scatter() { return (std::rand() % scatter_range - scatter_offset) / scatter_divisor; }

} // namespace

machine_gun::machine_gun(shot_mode mode) : machine_gun(mode, al_get_time, mouse_position_ndc) {}

machine_gun::machine_gun(shot_mode mode, clock_function clock, aim_function aim)
    : shot_list(get_shots()), mode(mode), clock(clock), aim(aim) {}

machine_gun::~machine_gun() = default;

void machine_gun::fire() {
    if (!(clock() - last_shot_time > interval))
        return;
    last_shot_time = clock();
    fire_at(aim());
    for (int i = 0; i < extra_shots; ++i) {
        const double jx = scatter();
        const double jy = scatter();
        fire_at(aim() + glm::vec2(float(jx), float(jy)));
    }
}

void machine_gun::fire_at(glm::vec2 ndc) {
    const glm::vec4 f = get_inverse_view_projection() * glm::vec4(ndc.x, ndc.y, aim_depth, 1.0f);
    const glm::vec3 direction(f);
    // A display without area or a degenerate camera gives no direction; such a shot would be all NaN.
    if (!is_finite(direction) || glm::length(direction) == 0.0f)
        return;
    const glm::vec3 velocity = glm::normalize(direction) * shot_speed;
    const glm::vec3 origin(get_inverse_view() * glm::vec4(0.0f, 0.0f, start_distance, 1.0f));
    if (!is_finite(origin) || !is_finite(velocity))
        return;
    print(origin);
    shot_list->push_back(std::make_shared<shot>(origin, velocity, mode));
}

void machine_gun::update(float dt) {
    for (auto it = shot_list->begin(); it != shot_list->end();) {
        (*it)->update(dt);
        if ((*it)->out_of_play())
            it = shot_list->erase(it);
        else
            ++it;
    }
}

void machine_gun::draw() {
    glDisable(GL_DEPTH_TEST);
    for (const std::shared_ptr<shot>& s : *shot_list) {
        if (is_visible(s->position))
            s->draw();
    }
    glEnable(GL_DEPTH_TEST);
}

void machine_gun::power_up() {
    if (level >= max_weapon_level)
        return;
    level += 1;
    shot_speed = float(level) * speed_per_level;
    interval = base_interval - level / interval_step;
    extra_shots = level / 2;
}
