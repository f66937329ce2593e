// RGB images in memory, their PNG files, and how far one image is from another. No GL here.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// 8-bit RGB pixels, top row first, rows packed.
struct rgb_image {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;
};

// Reads a PNG file as RGB (an alpha channel is dropped); false when it cannot be read.
bool read_png(const std::string& file, rgb_image& image);
// Writes image as an RGB PNG file; false when the file could not be written.
bool write_png(const std::string& file, const rgb_image& image);

// Where two images of the same size part.
struct image_difference {
    // Pixels with any channel more than the tolerance apart.
    long differing = 0;
    long pixel_count = 0;
    // The largest difference of any channel of any pixel, 0 to 255.
    int largest = 0;
    // The differing pixels in bright red over a darkened copy of the reference.
    rgb_image picture;

    double differing_percent() const {
        return pixel_count > 0 ? 100.0 * double(differing) / double(pixel_count) : 0.0;
    }
};

// Compares actual with reference, which must have the same size.
image_difference compare_images(const rgb_image& reference, const rgb_image& actual, int tolerance);
