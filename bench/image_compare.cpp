// RGB images in memory, their PNG files, and how far one image is from another. No GL here.
#include "image_compare.h"

#include <algorithm>
#include <cstdlib>
#include <stb_image.h>
#include <stb_image_write.h>

namespace {
constexpr int channels = 3;
// The reference shows through the diff at a third of its brightness, so that red stands out.
constexpr int darkening = 3;
constexpr uint8_t bright = 255;
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

image_difference compare_images(const rgb_image& reference, const rgb_image& actual, int tolerance) {
    image_difference d;
    d.pixel_count = long(reference.width) * long(reference.height);
    d.picture = reference;
    for (size_t p = 0; p < size_t(d.pixel_count); ++p) {
        int worst = 0;
        for (size_t c = 0; c < channels; ++c) {
            const size_t i = p * channels + c;
            worst = std::max(worst, std::abs(int(reference.pixels[i]) - int(actual.pixels[i])));
            d.picture.pixels[i] = uint8_t(reference.pixels[i] / darkening);
        }
        d.largest = std::max(d.largest, worst);
        if (worst > tolerance) {
            ++d.differing;
            uint8_t* pixel = &d.picture.pixels[p * channels];
            pixel[0] = bright;
            pixel[1] = pixel[2] = 0;
        }
    }
    return d;
}
