// Enemy motion, the dissolve after a hit, the bounding sphere and the enemy's draw.
#include "enemy.h"

#include "draw_resources.h"

#include <cassert>
#include <cmath>
#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>

namespace {
constexpr float full_turn_degrees = 360.0f;
// The dissolve program's factor divides by 255 rather than by the intact health.
constexpr float dissolve_factor_scale = 255.0f;
} // namespace

enemy::enemy(glm::vec3 position) : position(position) {
    dissolve_shader = world_resources.dissolver;
    dissolve_texture = world_resources.dissolve_texture;
    update_model_matrix();
    color_location = world_resources.wire_color_location;
}

enemy::~enemy() = default;

void enemy::update(float dt) {
    if (health == intact_health) {
        if (parent)
            position = parent->position + velocity;
        else
            position += velocity * dt;
        rotation = glm::mod(rotation + angular_velocity * dt, full_turn_degrees);
        scale += scale_rate * dt;
        update_model_matrix();
    } else {
        dissolve -= dt * dissolve_rate;
        health = int(dissolve);
    }
}

void enemy::update_model_matrix() {
    const glm::mat4 base = parent ? parent->get_model_matrix() : glm::mat4(1.0f);
    const glm::vec3 t = parent ? velocity : position;
    glm::mat4 m = glm::translate(base, t);
    m = glm::rotate(m, glm::radians(rotation.x), glm::vec3(0.0f, 1.0f, 0.0f));
    m = glm::rotate(m, glm::radians(rotation.y), glm::vec3(1.0f, 0.0f, 0.0f));
    m = glm::rotate(m, glm::radians(rotation.z), glm::vec3(0.0f, 0.0f, 1.0f));
    model_matrix = m * glm::scale(glm::mat4(1.0f), scale);
}

void enemy::hit() {
    if (health != intact_health)
        return;
    health = intact_health - 1;
    dissolve = float(health);
    set_shader(dissolve_shader);
}

bool enemy::is_dead() const { return health < 0; }

glm::vec4 enemy::bounding_sphere() const {
    const glm::vec4 c = model_matrix * glm::vec4(0.0f, 0.0f, 0.0f, 1.0f);
    const glm::vec4 e = model_matrix * glm::vec4(1.0f, 0.0f, 0.0f, 1.0f);
    // Only the x extent counts, so the radius follows the enemy's yaw; collisions depend on it.
    const float s = std::fabs(e.x - c.x);
    float radius;
    switch (type) {
    case 0:
        radius = std::sqrt(2.0f * s);
        break;
    case 2:
        radius = s;
        break;
    default:
        radius = c.w;
        break;
    }
    return glm::vec4(c.x, c.y, c.z, radius);
}

void enemy::draw() {
    assert(mesh);
    const bool intact = health == intact_health;
    const bool translucent = color.a < 1.0f;
    if (intact) {
        glUseProgram(program);
        glUniform4fv(color_location, 1, glm::value_ptr(color));
    } else {
        glUseProgram(dissolve_shader->program);
        glUniform1f(dissolve_shader->dissolve_factor_location, float(health) / dissolve_factor_scale);
        glActiveTexture(GL_TEXTURE0);
        glBindTexture(GL_TEXTURE_2D, dissolve_texture);
        glUniform1i(dissolve_shader->cloud_texture_location, 0);
    }
    if (translucent)
        glDisable(GL_CULL_FACE);
    glUniformMatrix4fv(model_matrix_location, 1, GL_FALSE, glm::value_ptr(model_matrix));
    mesh->draw();
    if (!intact)
        glBindTexture(GL_TEXTURE_2D, 0);
    glUseProgram(0);
    if (translucent)
        glEnable(GL_CULL_FACE);
}
