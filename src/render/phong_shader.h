// Per-fragment Phong lighting in "diffuseColor", alpha kept for translucent objects.
#pragma once

#include "model_shader.h"

class phong_shader : public model_shader {
  public:
    phong_shader();
    GLint diffuse_color_location = -1;

  protected:
    void init_uniforms() override;
};
