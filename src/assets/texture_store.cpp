// The game's four BMP images, uploaded once as mipmapped RGB textures.
#include "texture_store.h"

#include "bitmap.h"

#include <iostream>

texture_store* textures = nullptr;

namespace {

constexpr int texture_count = 4;
constexpr GLint rgb_components = 3;
constexpr GLint default_unpack_alignment = 4;

// Returns the new texture's name, or 0 when the image did not load; a refused image says why on standard
// output, since the game goes on without it.
GLuint load_texture(const char* file_name) {
    Bitmap* bitmap = new Bitmap();
    GLuint name = 0;
    if (bitmap->load(file_name)) {
        glGenTextures(1, &name);
        glBindTexture(GL_TEXTURE_2D, name);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
        // Bitmap rows are tightly packed (width x 3 bytes), which is not a multiple of 4 for every width.
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        glTexImage2D(GL_TEXTURE_2D, 0, rgb_components, bitmap->width, bitmap->height, 0, GL_RGB,
                     GL_UNSIGNED_BYTE, bitmap->data);
        glPixelStorei(GL_UNPACK_ALIGNMENT, default_unpack_alignment);
        glGenerateMipmap(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, 0);
    } else {
        std::cout << "texture " << file_name << " not loaded: " << bitmap->error << std::endl;
    }
    delete bitmap;
    return name;
}

} // namespace

texture_store::texture_store() {
    const char* const files[texture_count] = {"textures/powerup.bmp", "textures/healthup.bmp",
                                              "textures/clouds1.bmp", "textures/stars.bmp"};
    GLuint names[texture_count] = {0, 0, 0, 0};
    for (int i = 0; i < texture_count; ++i)
        names[i] = load_texture(files[i]);
    powerup = names[0];
    healthup = names[1];
    clouds = names[2];
    stars = names[3];
}

texture_store::~texture_store() {
    glDeleteTextures(1, &powerup);
    glDeleteTextures(1, &healthup);
    glDeleteTextures(1, &clouds);
    glDeleteTextures(1, &stars);
}
