// Reading the frame drawn (before presentation) into an image, and saving it as a PNG file.
#include "stage/screenshot.h"

#include "app/shell/gl.h"
#include "support/gl_context.h"

#include <algorithm>

namespace tarnwick::bench {

rgb_image read_back_buffer(int width, int height) {
    const size_t row = size_t(width) * 3;
    // The read buffer is left as the surface set it (a window's back buffer, or the framebuffer object's
    // colour), where the motion blur reads from too.
    const std::vector<uint8_t> pixels = read_back_rgb(0, 0, width, height);
    // GL's rows run bottom up; the image's top down.
    rgb_image image{width, height, std::vector<uint8_t>(pixels.size())};
    for (int y = 0; y < height; ++y)
        std::copy_n(pixels.data() + size_t(height - 1 - y) * row, row, image.pixels.data() + size_t(y) * row);
    return image;
}

bool save_back_buffer_png(const std::string& file, int width, int height) {
    return write_png(file, read_back_buffer(width, height));
}

} // namespace tarnwick::bench
