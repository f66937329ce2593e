// Plain texture mapping through "colorMap" (the star backdrop).
#pragma once

#include "model_shader.h"

class texture_shader : public model_shader {
  public:
    texture_shader();
    GLint color_map_location = -1;

  protected:
    void init_uniforms() override;
};
