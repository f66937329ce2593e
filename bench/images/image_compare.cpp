// RGB images in memory, their PNG files, and how far one image is from another. No GL here.
#include "images/image_compare.h"

#include <algorithm>
#include <cstdlib>
#include <stb_image.h>
#include <stb_image_write.h>

namespace tarnwick::bench {

namespace {
constexpr int channels = 3;
// The reference shows through the diff at a third of its brightness, so that red stands out.
constexpr int darkening = 3;
constexpr uint8_t bright = 255;
// Pixels that matched only a neighbour: visible, but quieter than the red of a difference.
constexpr uint8_t shifted_level = 150;
// The worst channel of two pixels apart.
int pixel_distance(const uint8_t* a, const uint8_t* b) {
    int worst = 0;
    for (int c = 0; c < channels; ++c)
        worst = std::max(worst, std::abs(int(a[c]) - int(b[c])));
    return worst;
}

// How close pixel (x, y) of one image comes to the nearest of the 3x3 pixels of other around (x, y).
int nearest_around(const rgb_image& other, int x, int y, const uint8_t* pixel) {
    int best = bright;
    for (int ny = std::max(0, y - 1); ny <= std::min(other.height - 1, y + 1); ++ny) {
        for (int nx = std::max(0, x - 1); nx <= std::min(other.width - 1, x + 1); ++nx)
            best = std::min(
                best, pixel_distance(
                          &other.pixels[(size_t(ny) * size_t(other.width) + size_t(nx)) * channels], pixel));
    }
    return best;
}

bool marked(const rgb_image& mask, size_t i) {
    return mask.pixels[i] | mask.pixels[i + 1] | mask.pixels[i + 2];
}

void paint(uint8_t* pixel, uint8_t r, uint8_t g, uint8_t b) {
    pixel[0] = r;
    pixel[1] = g;
    pixel[2] = b;
}
} // namespace

bool read_png(const std::string& file, rgb_image& image) {
    int width = 0, height = 0, stored = 0;
    stbi_uc* data = stbi_load(file.c_str(), &width, &height, &stored, channels);
    if (!data)
        return false;
    image.width = width;
    image.height = height;
    image.pixels.assign(data, data + size_t(width) * size_t(height) * channels);
    stbi_image_free(data);
    return true;
}

bool write_png(const std::string& file, const rgb_image& image) {
    return stbi_write_png(file.c_str(), image.width, image.height, channels, image.pixels.data(),
                          image.width * channels) != 0;
}

image_difference compare_images(const rgb_image& reference, const rgb_image& actual, int tolerance,
                                const rgb_image* unstable) {
    image_difference d;
    d.pixel_count = long(reference.width) * long(reference.height);
    d.picture = reference;
    for (uint8_t& value : d.picture.pixels)
        value = uint8_t(value / darkening);
    for (int y = 0; y < reference.height; ++y) {
        for (int x = 0; x < reference.width; ++x) {
            const size_t i = (size_t(y) * size_t(reference.width) + size_t(x)) * channels;
            const int in_place = pixel_distance(&reference.pixels[i], &actual.pixels[i]);
            if (in_place == 0)
                continue;
            const int left = in_place <= tolerance
                                 ? in_place
                                 : std::max(nearest_around(reference, x, y, &actual.pixels[i]),
                                            nearest_around(actual, x, y, &reference.pixels[i]));
            if (left > tolerance && unstable && marked(*unstable, i)) {
                ++d.excused;
                paint(&d.picture.pixels[i], 0, 0, shifted_level);
                continue;
            }
            d.largest = std::max(d.largest, left);
            if (left > tolerance) {
                ++d.differing;
                paint(&d.picture.pixels[i], bright, 0, 0);
            } else if (in_place > tolerance) {
                ++d.shifted;
                paint(&d.picture.pixels[i], shifted_level, shifted_level, 0);
            }
        }
    }
    return d;
}

rgb_image unstable_pixels(const rgb_image& base, const std::vector<rgb_image>& variants, int tolerance) {
    rgb_image mask{base.width, base.height, std::vector<uint8_t>(base.pixels.size(), 0)};
    for (int y = 0; y < base.height; ++y) {
        for (int x = 0; x < base.width; ++x) {
            const size_t i = (size_t(y) * size_t(base.width) + size_t(x)) * channels;
            const bool moves = std::any_of(variants.begin(), variants.end(), [&](const rgb_image& v) {
                return pixel_distance(&base.pixels[i], &v.pixels[i]) > tolerance;
            });
            if (!moves)
                continue;
            for (int ny = std::max(0, y - 1); ny <= std::min(base.height - 1, y + 1); ++ny) {
                for (int nx = std::max(0, x - 1); nx <= std::min(base.width - 1, x + 1); ++nx)
                    paint(&mask.pixels[(size_t(ny) * size_t(base.width) + size_t(nx)) * channels], bright,
                          bright, bright);
            }
        }
    }
    return mask;
}

long marked_pixels(const rgb_image& mask) {
    long count = 0;
    for (size_t i = 0; i < mask.pixels.size(); i += channels)
        count += marked(mask, i) ? 1 : 0;
    return count;
}

} // namespace tarnwick::bench
