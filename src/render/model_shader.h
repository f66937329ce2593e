// The base of every program that draws meshes with a per-object model matrix.
#pragma once

#include "shader.h"

class model_shader : public shader {
  public:
    GLint model_matrix_location = -1;
};
