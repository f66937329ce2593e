// Single-pass wireframe program.
#include "baerentzen_shader.h"

baerentzen_shader::baerentzen_shader() {
    add_source(GL_VERTEX_SHADER, "shaders/baerentzen.vert");
    add_source(GL_GEOMETRY_SHADER, "shaders/baerentzen.geom");
    add_source(GL_FRAGMENT_SHADER, "shaders/baerentzen.frag");
    compile();
}

void baerentzen_shader::init_uniforms() {
    bind_global_matrices_block();
    model_matrix_location = glGetUniformLocation(program, "modelMatrix");
    wire_color_location = glGetUniformLocation(program, "wireColor");
}
