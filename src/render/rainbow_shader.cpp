// Hue-band colouring program.
#include "rainbow_shader.h"

rainbow_shader::rainbow_shader() {
    add_source(GL_VERTEX_SHADER, "shaders/rainbow.vert");
    add_source(GL_FRAGMENT_SHADER, "shaders/rainbow.frag");
    compile();
}

void rainbow_shader::init_uniforms() {
    bind_global_matrices_block();
    model_matrix_location = glGetUniformLocation(program, "modelMatrix");
}
