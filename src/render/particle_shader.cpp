// Particle sprite program.
#include "particle_shader.h"

#include "render/camera.h"

#include <iostream>

particle_shader::particle_shader() {
    add_source(GL_VERTEX_SHADER, "shaders/particle.vert");
    add_source(GL_GEOMETRY_SHADER, "shaders/particle.geom");
    add_source(GL_FRAGMENT_SHADER, "shaders/particle.frag");
    compile();
}

void particle_shader::init_uniforms() {
    const GLuint index = bind_global_matrices_block();
    std::cout << "program " << program << " blockIndex " << index << " globalIndex "
              << global_matrices_binding() << std::endl;
}
