// Dissolve effect: the clouds texture thresholded by "dissolveFactor" burns the surface away.
#pragma once

#include "model_shader.h"

class dissolver_shader : public model_shader {
  public:
    dissolver_shader();
    GLint dissolve_factor_location = -1;
    GLint cloud_texture_location = -1;

  protected:
    void init_uniforms() override;
};
