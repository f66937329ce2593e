// Textured dissolve program.
#include "dissolvet_shader.h"

dissolvet_shader::dissolvet_shader() {
    add_source(GL_VERTEX_SHADER, "shaders/dissolvet.vert");
    add_source(GL_FRAGMENT_SHADER, "shaders/dissolvet.frag");
    compile();
}

void dissolvet_shader::init_uniforms() {
    upload_start_view_matrix();
    bind_global_matrices_block();
    dissolve_factor_location = glGetUniformLocation(program, "dissolveFactor");
    cloud_texture_location = glGetUniformLocation(program, "cloudTexture");
    rendered_texture_location = glGetUniformLocation(program, "renderedTexture");
    model_matrix_location = glGetUniformLocation(program, "modelMatrix");
}
