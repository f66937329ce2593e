// Texture-mapping program (the star backdrop).
#include "texture_shader.h"

texture_shader::texture_shader() {
    add_source(GL_VERTEX_SHADER, "shaders/texture.vert");
    add_source(GL_FRAGMENT_SHADER, "shaders/texture.frag");
    compile();
}

void texture_shader::init_uniforms() {
    bind_global_matrices_block();
    model_matrix_location = glGetUniformLocation(program, "modelMatrix");
    color_map_location = glGetUniformLocation(program, "colorMap");
}
