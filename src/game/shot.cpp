// Shots, their particles and the list of live shots.
#include "shot.h"

#include "finite.h"

#include "render/shader_set.h"

#include <cmath>
#include <cstdlib>
#include <iostream>

GLuint particle_program = 0;
shot_container shots;

namespace {
// A particle drifts from the head at (a, b, -1): a spreads four times as wide as b.
constexpr double spread_x = 4.0;
constexpr float particle_drift_z = -1.0f;

// Uniform in 0..1.
double unit_random() { return std::rand() / double(RAND_MAX); }

} // namespace

shot::shot(glm::vec3 position, glm::vec3 velocity, shot_mode mode) : position(position), velocity(velocity) {
    particles.reserve(particles_per_shot);
    for (int i = 0; i < particles_per_shot; ++i) {
        particle_struct p;
        emit(p);
        particles.push_back(p);
    }
    if (mode == shot_mode::drawn) {
        gl_objects = particle_buffer(particles);
        particle_program = shaders->particle->program;
    }
    std::cout << "vao: " << vao() << " posBuf: " << posBuf() << std::endl;
}

void shot::emit(particle_struct& p) {
    p.life = float(unit_random());
    p.position = position;
    double a = unit_random() - 0.5;
    const double b = unit_random() - 0.5;
    a *= spread_x;
    p.velocity = velocity + glm::vec3(float(a), float(b), particle_drift_z);
}

void shot::update(float dt) {
    position += velocity * dt;
    for (particle_struct& p : particles) {
        p.position += p.velocity * dt;
        p.life -= dt;
        if (p.life < 0.0f)
            emit(p);
    }
}

void shot::draw() {
    if (gl_objects.empty())
        return;
    glUseProgram(particle_program);
    gl_objects.upload(particles);
    gl_objects.draw(GLsizei(particles.size()));
    glUseProgram(0);
}

bool shot::out_of_play() const {
    return !is_finite(position) || std::fabs(position.z) > shot_z_limit ||
           glm::length(position) > shot_distance_limit;
}

shot_container* get_shots() { return &shots; }

void clear_shots() { shots.clear(); }
