// Everything the player can shoot: it moves, spins, may hang off a parent, and dissolves once hit.
#pragma once

#include "entity.h"
#include "render/dissolver_shader.h"

#include <glm/glm.hpp>

// Health of an enemy that has not been hit.
constexpr int intact_health = 200;
// How fast a hit enemy dissolves, in health points per second.
constexpr double dissolve_rate = 80.0;

class enemy : public entity {
  public:
    // Places the enemy at position; the creator sets its program, mesh and type before use.
    explicit enemy(glm::vec3 position);
    ~enemy() override;
    void draw() override;

    // One simulation step of dt seconds: moves and spins while intact, dissolves once hit.
    void update(float dt);
    // Rebuilds model_matrix from the parent's matrix, the offset or position, rotation and scale.
    void update_model_matrix();
    // The reaction to a shot; only an intact enemy reacts.
    void hit();
    bool is_dead() const;
    // World centre in xyz, radius in w.
    glm::vec4 bounding_sphere() const;

    // Not owned.
    enemy* parent = nullptr;
    glm::vec3 position;
    // Degrees: x turns about Y, y about X, z about Z; each kept in [0, 360).
    glm::vec3 rotation{0.0f};
    glm::vec3 scale{1.0f};
    // Units per second while free; the fixed offset from the parent while attached.
    glm::vec3 velocity{0.0f};
    glm::vec3 angular_velocity{0.0f};
    glm::vec3 scale_rate{0.0f};
    glm::vec4 color{0.0f, 1.0f, 0.0f, 1.0f};
    int type = 0;
    // 200 intact, 0 to 199 dissolving, below 0 dead.
    int health = intact_health;
    float dissolve = float(intact_health);
    GLuint dissolve_texture = 0;
    GLint color_location = -1;
    // Not owned.
    dissolver_shader* dissolve_shader = nullptr;
};
