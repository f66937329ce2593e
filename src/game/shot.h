// A shot: a head flying in a straight line that trails five particles reborn at it.
#pragma once

#include "app/shell/gl.h"
#include "particle_buffer.h"
#include "particle_struct.h"

#include <glm/glm.hpp>
#include <list>
#include <memory>
#include <vector>

constexpr int particles_per_shot = 5;
// A shot leaves play beyond this |z| (the far plane halved)...
constexpr float shot_z_limit = 15.0f;
// ...or farther than this from the origin (the far plane), which also ends shots fired sideways.
constexpr float shot_distance_limit = 30.0f;

// Whether a shot gets GL objects: drawn shots need a current context and the shader set; a
// simulation-only shot owns none and reports its names as 0.
enum class shot_mode { drawn, simulation_only };

class shot {
  public:
    // Emits the five particles at position and, for a drawn shot, creates the GL objects.
    shot(glm::vec3 position, glm::vec3 velocity, shot_mode mode);

    // Moves the head and every particle; particles whose life fell below 0 are reborn at the head.
    void update(float dt);
    // Uploads the particles and draws them as points with the particle program.
    void draw();
    // True once the shot has left the slab |z| <= 15, is farther than 30 units or its position is not finite.
    bool out_of_play() const;

    GLuint vao() const { return gl_objects.vao(); }
    GLuint posBuf() const { return gl_objects.buffer(); }

    // The first field: the world reads a shot only through it.
    glm::vec3 position;
    glm::vec3 velocity;
    std::vector<particle_struct> particles;

  private:
    // Gives p a new life at the head.
    void emit(particle_struct& p);

    particle_buffer gl_objects;
};

using shot_container = std::list<std::shared_ptr<shot>>;

// The program every drawn shot draws with: the shader set's particle program (0 before the first one).
extern GLuint particle_program;
// Every live shot, oldest first.
extern shot_container shots;

shot_container* get_shots();
// Deletes every live shot with its GL objects; shutdown calls it while the context still exists.
void clear_shots();
