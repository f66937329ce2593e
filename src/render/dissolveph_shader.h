// Lit dissolve effect: Phong shading with the clouds-thresholded burn-away.
#pragma once

#include "model_shader.h"

class dissolveph_shader : public model_shader {
  public:
    dissolveph_shader();
    GLint dissolve_factor_location = -1;
    GLint cloud_texture_location = -1;

  protected:
    void init_uniforms() override;
};
