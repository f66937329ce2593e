// The plain drawable: one program, one model matrix, one mesh.
#include "entity.h"

#include <cassert>
#include <glm/gtc/type_ptr.hpp>

entity::~entity() = default;

void entity::draw() {
    assert(mesh);
    glUseProgram(program);
    glUniformMatrix4fv(model_matrix_location, 1, GL_FALSE, glm::value_ptr(model_matrix));
    mesh->draw();
    glUseProgram(0);
}

void entity::set_shader(const model_shader* shader) {
    program = shader ? shader->program : 0;
    model_matrix_location = shader ? shader->model_matrix_location : -1;
}

void entity::set_model_matrix(glm::mat4 m) { model_matrix = m; }

glm::mat4 entity::get_model_matrix() const { return model_matrix; }
