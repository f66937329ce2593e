// Per-fragment Phong program.
#include "phong_shader.h"

phong_shader::phong_shader() {
    add_source(GL_VERTEX_SHADER, "shaders/phong.vert");
    add_source(GL_FRAGMENT_SHADER, "shaders/phong.frag");
    compile();
}

void phong_shader::init_uniforms() {
    diffuse_color_location = glGetUniformLocation(program, "diffuseColor");
    upload_start_view_matrix();
    bind_global_matrices_block();
    model_matrix_location = glGetUniformLocation(program, "modelMatrix");
}
