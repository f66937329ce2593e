// Saving the back buffer as a PNG file.
#include "screenshot.h"

#include "app/shell/gl.h"
#include "support/gl_context.h"

#include <algorithm>
#include <cstdint>
#include <stb_image_write.h>
#include <vector>

bool save_back_buffer_png(const std::string& file, int width, int height) {
    const size_t row = size_t(width) * 3;
    glReadBuffer(GL_BACK);
    const std::vector<uint8_t> pixels = read_back_rgb(0, 0, width, height);
    // GL's rows run bottom up; PNG's top down.
    std::vector<uint8_t> flipped(pixels.size());
    for (int y = 0; y < height; ++y)
        std::copy_n(pixels.data() + size_t(height - 1 - y) * row, row, flipped.data() + size_t(y) * row);
    return stbi_write_png(file.c_str(), width, height, 3, flipped.data(), int(row)) != 0;
}
