// BMP files built byte by byte for the reader and texture tests, with the RGB the reader must deliver.
#pragma once

#include <cstdint>
#include <vector>

using bytes = std::vector<uint8_t>;

struct bmp_layout {
    int32_t width = 4;
    int32_t height = 2;
    uint16_t bpp = 24;
    uint32_t compression = 0;
    uint32_t clr_used = 0;
    uint16_t magic = 0x4D42;
    uint32_t header_size = 40; // the bytes past the 40 known ones are zero, as in newer headers
    int palette_held = -1;     // palette entries in the file; -1: clr_used, or 256 when that is 0
    uint32_t gap = 0;          // bytes between the palette and the pixels
};

// Palette entries a file holds and the reader uses: what it claims, no more than it holds.
inline int palette_held(const bmp_layout& s) {
    return s.palette_held >= 0 ? s.palette_held : s.clr_used ? int(s.clr_used) : 256;
}
inline int palette_used(const bmp_layout& s) {
    const int claimed = s.clr_used ? int(s.clr_used) : 256;
    return claimed < palette_held(s) ? claimed : palette_held(s);
}

// Pixel (x, y) of the 24-bit images, channel c (0 red); distinct for every pixel of the small images used.
inline uint8_t channel(int x, int y, int c) { return uint8_t(17 * x + 59 * y + 101 * c + 3); }
// The palette index an 8-bit image stores at (x, y): mostly in the upper half of a full palette.
inline uint8_t index_at(const bmp_layout& s, int x, int y) {
    return uint8_t((130 + 7 * x + 31 * y) % palette_used(s));
}
inline uint8_t palette_channel(int i, int c) { return uint8_t(c == 0 ? i ^ 0x5A : c == 1 ? 255 - i : i * 3); }

// A complete file: headers, the palette for 8 bits, rows bottom first, each padded to 4 bytes with 0xEE so
// that padding read as pixels shows up; the gap is 0xEE too. Sides above 64 get no pixel data.
inline bytes make_bmp(const bmp_layout& s) {
    bytes b;
    auto put = [&b](uint32_t v, int n) {
        for (int i = 0; i < n; ++i)
            b.push_back(uint8_t(v >> (8 * i)));
    };
    const int entries = s.bpp == 8 ? palette_held(s) : 0;
    const uint32_t offset = 14 + s.header_size + 4 * uint32_t(entries) + s.gap;
    // File header (type, size, two reserved words, pixel offset), then the first 40 bytes of the info header.
    const uint32_t w = uint32_t(s.width), h = uint32_t(s.height), y_per_meter = uint32_t(-7);
    const uint32_t values[] = {s.magic,       0, 0,    offset,      s.header_size, w, h, 1, s.bpp,
                               s.compression, 0, 2835, y_per_meter, s.clr_used,    0};
    const int sizes[] = {2, 4, 4, 4, 4, 4, 4, 2, 2, 4, 4, 4, 4, 4, 4};
    for (int i = 0; i < 15; ++i)
        put(values[i], sizes[i]);
    auto grow = [&b](size_t size, uint8_t fill) { b.resize(b.size() < size ? size : b.size(), fill); };
    grow(14 + s.header_size, 0);
    for (int i = 0; i < entries; ++i)
        put(uint32_t(palette_channel(i, 2) | palette_channel(i, 1) << 8 | palette_channel(i, 0) << 16), 4);
    grow(offset, 0xEE);
    if (s.width <= 0 || s.height <= 0 || s.width > 64 || s.height > 64)
        return b;
    for (int y = 0; y < s.height; ++y) {
        for (int x = 0; x < s.width; ++x) {
            if (s.bpp == 8)
                b.push_back(index_at(s, x, y));
            else if (s.bpp == 24)
                put(uint32_t(channel(x, y, 2) | channel(x, y, 1) << 8 | channel(x, y, 0) << 16), 3);
            else
                put(0, s.bpp / 8);
        }
        for (int p = s.width * s.bpp / 8; p % 4 != 0; ++p)
            b.push_back(0xEE);
    }
    return b;
}

// What the reader must deliver: tightly packed RGB, bottom row first.
inline bytes expected_rgb(const bmp_layout& s) {
    bytes out;
    for (int y = 0; y < s.height; ++y)
        for (int x = 0; x < s.width; ++x)
            for (int c = 0; c < 3; ++c)
                out.push_back(s.bpp == 8 ? palette_channel(index_at(s, x, y), c) : channel(x, y, c));
    return out;
}
