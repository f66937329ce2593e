// Textured dissolve effect: a rendered texture burnt away by the clouds threshold.
#pragma once

#include "model_shader.h"

class dissolvet_shader : public model_shader {
  public:
    dissolvet_shader();
    GLint dissolve_factor_location = -1;
    GLint cloud_texture_location = -1;
    GLint rendered_texture_location = -1;

  protected:
    void init_uniforms() override;
};
