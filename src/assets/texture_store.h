// The game's four BMP images as mipmapped RGB textures; a name is 0 where its image failed to load.
#pragma once

#include "app/shell/gl.h"

class texture_store {
  public:
    // Loads "textures/powerup.bmp", "healthup.bmp", "clouds1.bmp" and "stars.bmp" in that order.
    texture_store();
    ~texture_store();
    texture_store(const texture_store&) = delete;
    texture_store& operator=(const texture_store&) = delete;

    GLuint powerup = 0;
    GLuint healthup = 0;
    GLuint clouds = 0;
    GLuint stars = 0;
};

// The one texture store, made by start-up; kept until the process ends.
extern texture_store* textures;
