// BMP reader over the committed corpus files: a readable one gives the pixels ImageMagick reads from it; a
// refused one says why, keeps nothing and reports only the headers it got to. Reading from disk is the
// texture store's and the bench's.
#include "assets/bitmap.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <string>
#include <vector>

namespace {
using bytes = std::vector<uint8_t>;
const std::string corpus = TARNWICK_CORPUS "/bitmap/";

bytes file_bytes(const std::string& name) {
    std::ifstream in(corpus + name, std::ios::binary);
    return bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void put32(bytes& b, size_t at, uint32_t value) {
    for (size_t i = 0; i < 4; ++i)
        b[at + i] = uint8_t(value >> (8 * i));
}

// ImageMagick's reading of a corpus file, bottom row first like the reader's.
bytes image_magick_rgb(const std::string& name) {
    bytes out;
    FILE* pipe = popen(("convert '" + corpus + name + "' -flip -depth 8 rgb:-").c_str(), "r");
    for (int c; pipe && (c = std::fgetc(pipe)) != EOF;)
        out.push_back(uint8_t(c));
    EXPECT_TRUE(pipe && pclose(pipe) == 0) << name;
    return out;
}

bytes pixels_of(const Bitmap& bitmap) {
    return bitmap.data ? bytes(bitmap.data, bitmap.data + size_t(bitmap.width) * size_t(bitmap.height) * 3)
                       : bytes();
}

struct load_result {
    bool ok;
    std::string out;
};

load_result load_captured(Bitmap& bitmap, const bytes& file) {
    testing::internal::CaptureStdout();
    const bool ok = bitmap.load_from_memory(file.data(), file.size());
    return {ok, testing::internal::GetCapturedStdout()};
}

long count_lines(const std::string& s) { return std::count(s.begin(), s.end(), '\n'); }

// Rows padded or not at both depths, the larger header image editors write, palette indices on both sides
// of 128; then what other tools write: a palette of only the colours used, counted in the header or not
// (256 claimed, fewer fit before the pixels), and a last row without its padding.
TEST(bitmap, reads_what_image_magick_reads) {
    if (std::system("convert -version >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "ImageMagick's convert is not installed";
    const struct {
        const char* name;
        uint32_t palette_kept, palette_claimed; // 0 kept: the palette as committed
        size_t tail_dropped;
    } rows[] = {
        {"rgb_3x3_padded.bmp", 0, 0, 0},    {"stars_37x19.bmp", 0, 0, 0},
        {"v5_header_24bit.bmp", 0, 0, 0},   {"indexed_5x2_padded.bmp", 0, 0, 0},
        {"indexed_top_entry.bmp", 0, 0, 0}, {"v5_header_8bit.bmp", 0, 0, 0},
        {"v5_header_8bit.bmp", 40, 40, 0},  {"v5_header_8bit.bmp", 40, 0, 0},
        {"rgb_3x3_padded.bmp", 0, 0, 3},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(testing::Message() << "row " << &r - rows << ", " << r.name);
        bytes file = file_bytes(r.name);
        if (r.palette_kept) {
            // The committed palette is whole: 256 entries right after the info header.
            const size_t palette = 14 + size_t(file[14]), pixels = palette + 4 * 256;
            file.erase(file.begin() + long(palette + 4 * r.palette_kept), file.begin() + long(pixels));
            put32(file, 10, uint32_t(palette + 4 * r.palette_kept));
            put32(file, 46, r.palette_claimed);
        }
        file.resize(file.size() - r.tail_dropped);
        const bytes expected = image_magick_rgb(r.name);
        Bitmap bitmap;
        const load_result result = load_captured(bitmap, file);
        ASSERT_TRUE(result.ok) << bitmap.error;
        EXPECT_EQ(count_lines(result.out), 13);
        EXPECT_EQ(pixels_of(bitmap), expected);
        // The entries that did not fit are black, not the pixel bytes that follow the palette.
        if (r.palette_kept) {
            ASSERT_NE(bitmap.palette, nullptr);
            const auto* first = reinterpret_cast<const uint8_t*>(bitmap.palette + r.palette_kept);
            EXPECT_EQ(bytes(first, first + 4 * (256 - r.palette_kept)), bytes(4 * (256 - r.palette_kept), 0));
        }
    }
}

// Each refusal follows a successful load into the same object, which it must release too.
TEST(bitmap, refuses_with_its_reason_keeps_nothing_and_reports_what_it_read) {
    const char* const truncated = "File is truncated";
    const struct {
        const char* name;
        size_t patched_at; // 0: as committed
        uint32_t value;
        const char* error;
        int report_lines;
    } rows[] = {
        {"not_dib.bmp", 0, 0, "File is not in DIB format", 1},
        {"rgb_4x2.bmp", 14, 12, "File has an info header smaller than 40 bytes", 13},
        {"bits1.bmp", 0, 0, "File is not 8 or 24 bits per pixel", 13},
        {"rle8_from_imagemagick.bmp", 0, 0, "File is compressed; only uncompressed BMP files can be read",
         13},
        {"top_down.bmp", 0, 0, "Image width or height is not positive", 13},
        {"over_cap.bmp", 0, 0, "Image is larger than 16384 pixels per side", 13},
        {"rgb_4x2.bmp", 10, 40, "Pixel data offset lies inside the headers", 13},
        {"truncated_palette.bmp", 0, 0, "Pixel data offset lies outside the file", 13},
        {"empty.bmp", 0, 0, truncated, 0},
        {"header_only.bmp", 0, 0, truncated, 1},
        {"truncated_pixels.bmp", 0, 0, truncated, 13},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(testing::Message() << r.name << " patched at " << r.patched_at);
        bytes file = file_bytes(r.name);
        if (r.patched_at)
            put32(file, r.patched_at, r.value);
        Bitmap bitmap;
        ASSERT_TRUE(load_captured(bitmap, file_bytes("indexed_5x2_padded.bmp")).ok);
        const load_result result = load_captured(bitmap, file);
        EXPECT_FALSE(result.ok);
        EXPECT_EQ(bitmap.error, r.error);
        EXPECT_EQ(bitmap.data, nullptr);
        EXPECT_EQ(bitmap.palette, nullptr);
        EXPECT_EQ(count_lines(result.out), r.report_lines) << result.out;
    }
}

} // namespace
