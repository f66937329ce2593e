// Dissolve program: clouds-thresholded burn-away.
#include "dissolver_shader.h"

dissolver_shader::dissolver_shader() {
    add_source(GL_VERTEX_SHADER, "shaders/dissolver.vert");
    add_source(GL_FRAGMENT_SHADER, "shaders/dissolver.frag");
    compile();
}

void dissolver_shader::init_uniforms() {
    bind_global_matrices_block();
    dissolve_factor_location = glGetUniformLocation(program, "dissolveFactor");
    cloud_texture_location = glGetUniformLocation(program, "cloudTexture");
    model_matrix_location = glGetUniformLocation(program, "modelMatrix");
}
