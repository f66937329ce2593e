// One particle of a shot's trail; its layout is also the GPU vertex format.
#pragma once

#include <glm/glm.hpp>

struct particle_struct {
    glm::vec3 position;
    // Seconds left; the particle is reborn once this drops below 0.
    float life;
    glm::vec3 velocity;
};

static_assert(sizeof(particle_struct) == 28, "the particle layout is the vertex format");
