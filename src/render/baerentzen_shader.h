// Single-pass wireframe: lines of constant pixel width drawn from a geometry stage.
#pragma once

#include "model_shader.h"

class baerentzen_shader : public model_shader {
  public:
    baerentzen_shader();
    GLint wire_color_location = -1;

  protected:
    void init_uniforms() override;
};
