// 1/f noise colouring program.
#include "pink_noise_shader.h"

pink_noise_shader::pink_noise_shader() {
    add_source(GL_VERTEX_SHADER, "shaders/pink_noise.vert");
    add_source(GL_FRAGMENT_SHADER, "shaders/pink_noise.frag");
    compile();
}

void pink_noise_shader::init_uniforms() {
    bind_global_matrices_block();
    model_matrix_location = glGetUniformLocation(program, "modelMatrix");
}
