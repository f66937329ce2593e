// 1/f noise colouring from a sum of octaves.
#pragma once

#include "model_shader.h"

class pink_noise_shader : public model_shader {
  public:
    pink_noise_shader();

  protected:
    void init_uniforms() override;
};
