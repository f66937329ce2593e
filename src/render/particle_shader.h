// Shot particles: each point expanded into a camera-facing soft sprite.
#pragma once

#include "shader.h"

class particle_shader : public shader {
  public:
    particle_shader();

  protected:
    void init_uniforms() override;
};
