// RGB images in memory, their PNG files, and how far one image is from another. No GL here.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tarnwick::bench {

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

// Where two images of the same size part. Two pixels match when no channel is more than the tolerance
// apart. A pixel differs unless it matches, or both its actual colour is found among the reference's 3x3
// pixels around it and its reference colour among the actual's: an edge that a driver rasterises or
// rounds one pixel the other way is not a difference, while a feature one pixel wide that appears,
// vanishes or changes colour still is.
struct image_difference {
    long differing = 0;
    long pixel_count = 0;
    // Pixels that do not match in place but match a neighbour both ways.
    long shifted = 0;
    // Pixels that do not match but lie in the reference's mask of unstable pixels.
    long excused = 0;
    // The largest difference left after the neighbours are allowed for, 0 to 255: the worst channel of
    // the closest neighbour, the worse of the two ways, over all pixels.
    int largest = 0;
    // The differing pixels in bright red, the shifted ones in dark yellow and the excused ones in dark blue
    // over a darkened copy of the reference.
    rgb_image picture;

    double differing_percent() const {
        return pixel_count > 0 ? 100.0 * double(differing) / double(pixel_count) : 0.0;
    }
};

// Compares actual with reference, which must have the same size; so must unstable, when given: its
// non-black pixels are excused.
image_difference compare_images(const rgb_image& reference, const rgb_image& actual, int tolerance,
                                const rgb_image* unstable = nullptr);

// The pixels of base that any of variants (the same frame drawn with a value the frame is known to be
// sensitive to nudged) moves by more than tolerance, grown by one pixel on every side: white in a mask of
// base's size, black elsewhere.
rgb_image unstable_pixels(const rgb_image& base, const std::vector<rgb_image>& variants, int tolerance);
// The non-black pixels of a mask.
long marked_pixels(const rgb_image& mask);

} // namespace tarnwick::bench
