// Hue bands over the surface.
#pragma once

#include "model_shader.h"

class rainbow_shader : public model_shader {
  public:
    rainbow_shader();

  protected:
    void init_uniforms() override;
};
