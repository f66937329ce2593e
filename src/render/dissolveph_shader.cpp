// Lit dissolve program.
#include "dissolveph_shader.h"

dissolveph_shader::dissolveph_shader() {
    add_source(GL_VERTEX_SHADER, "shaders/dissolveph.vert");
    add_source(GL_FRAGMENT_SHADER, "shaders/dissolveph.frag");
    compile();
}

void dissolveph_shader::init_uniforms() {
    upload_start_view_matrix();
    bind_global_matrices_block();
    dissolve_factor_location = glGetUniformLocation(program, "dissolveFactor");
    cloud_texture_location = glGetUniformLocation(program, "cloudTexture");
    model_matrix_location = glGetUniformLocation(program, "modelMatrix");
}
