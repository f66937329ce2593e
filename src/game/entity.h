// A drawable mesh with its own program and model matrix.
#pragma once

#include "app/shell/gl.h"
#include "assets/mesh.h"
#include "render/model_shader.h"

#include <glm/glm.hpp>

class entity {
  public:
    entity() = default;
    virtual ~entity();
    virtual void draw();

    // Takes the shader's program and model-matrix location; a null shader leaves program 0 and location -1.
    void set_shader(const model_shader* shader);
    void set_model_matrix(glm::mat4 m);
    glm::mat4 get_model_matrix() const;

    GLuint program = 0;
    GLint model_matrix_location = -1;
    glm::mat4 model_matrix{1.0f};
    // Not owned: meshes belong to the model store.
    const ::mesh* mesh = nullptr;
};
