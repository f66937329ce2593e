// BMP reader: files built byte by byte, files written by ImageMagick, read from memory and from disk.
#include "assets/bitmap.h"
#include "bmp_bytes.h"
#include "temp_workdir.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <sstream>
#include <string>

namespace {

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

bytes pixels_of(const Bitmap& bitmap) {
    return bitmap.data ? bytes(bitmap.data, bitmap.data + size_t(bitmap.width) * size_t(bitmap.height) * 3)
                       : bytes();
}

TEST(bitmap, decodes_every_row_layout_to_packed_rgb) {
    // Rows with and without padding at both depths, then the palette and header variants.
    const bmp_layout rows[] = {
        {4, 3, 24},
        {5, 3, 24},
        {4, 3, 8},
        {5, 3, 8},
        {3, 2, 8, 0, 0, 0x4D42, 40, 16},     // 256 entries claimed, 16 fit before the pixels
        {5, 3, 8, 0, 16, 0x4D42, 124},       // the header image editors write
        {4, 2, 24, 0, 0, 0x4D42, 40, -1, 8}, // pixels further on than the headers end
        {2, 7, 8},                           // indices on both sides of 128
    };
    for (const bmp_layout& r : rows) {
        SCOPED_TRACE(testing::Message() << "bpp " << r.bpp << " width " << r.width << " used " << r.clr_used
                                        << " header " << r.header_size << " gap " << r.gap);
        Bitmap bitmap;
        const load_result result = load_captured(bitmap, make_bmp(r));
        ASSERT_TRUE(result.ok) << bitmap.error;
        EXPECT_TRUE(bitmap.loaded);
        EXPECT_EQ(bitmap.error, "Bitmap loaded");
        EXPECT_EQ(bitmap.width, r.width);
        EXPECT_EQ(bitmap.height, r.height);
        EXPECT_EQ(bitmap.bpp, r.bpp);
        EXPECT_EQ(pixels_of(bitmap), expected_rgb(r));
        EXPECT_EQ(r.bpp == 8, bitmap.palette != nullptr);
    }
}

TEST(bitmap, writes_the_whole_header_report_even_for_a_refused_file) {
    Bitmap bitmap;
    const load_result result = load_captured(bitmap, make_bmp({3, 2, 8, 2, 16}));
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.out, "sizeof(BitmapFileHeader)=14\n"
                          "sizeof(BitmapInfoHeader)=40\n"
                          "biBitCount      =8\n"
                          "biClrImportant  =0\n"
                          "biClrUsed       =16\n"
                          "biCompression   =2\n"
                          "biHeight        =2\n"
                          "biPlanes        =1\n"
                          "biSize          =40\n"
                          "biSizeImage     =0\n"
                          "biWidth         =3\n"
                          "biXPelsPerMeter =2835\n"
                          "biYPelsPerMeter =-7\n");
}

TEST(bitmap, rejects_bad_files_without_leaving_data) {
    const bytes good24 = make_bmp({5, 3, 24});
    auto cut = [](bytes b, size_t size) {
        b.resize(size);
        return b;
    };
    auto offset = [](bytes b, uint32_t value) {
        for (int i = 0; i < 4; ++i)
            b[size_t(10 + i)] = uint8_t(value >> (8 * i));
        return b;
    };
    const char* const truncated = "File is truncated";
    const char* const not_positive = "Image width or height is not positive";
    const struct {
        const char* name;
        bytes file;
        const char* error;
        int report_lines;
    } rows[] = {
        {"not BM", make_bmp({4, 2, 24, 0, 0, 0x4D43}), "File is not in DIB format", 1},
        {"OS/2 header", make_bmp({4, 2, 24, 0, 0, 0x4D42, 12}),
         "File has an info header smaller than 40 bytes", 13},
        {"1 bit", make_bmp({4, 2, 1}), "File is not 8 or 24 bits per pixel", 13},
        {"RLE 8", make_bmp({5, 2, 8, 1}), "File is compressed; only uncompressed BMP files can be read", 13},
        {"pixels inside the headers", offset(good24, 40), "Pixel data offset lies inside the headers", 13},
        {"pixels past the end", offset(good24, uint32_t(good24.size() + 1)),
         "Pixel data offset lies outside the file", 13},
        {"empty", {}, truncated, 0},
        {"short info header", cut(good24, 14 + 39), truncated, 1},
        {"short pixels", cut(good24, good24.size() - 2), truncated, 13},
        {"zero width", make_bmp({0, 2, 24}), not_positive, 13},
        {"top-down", make_bmp({4, -2, 24}), not_positive, 13},
        {"32-bit overflow", make_bmp({65536, 65536, 24}), "Image is larger than 16384 pixels per side", 13},
        {"largest sides, no pixels", make_bmp({16384, 16384, 24}), truncated, 13},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        Bitmap bitmap;
        // A successful load first, so that the failure must also release its result.
        load_captured(bitmap, make_bmp({3, 3, 8}));
        ASSERT_TRUE(bitmap.loaded);
        const load_result result = load_captured(bitmap, r.file);
        EXPECT_FALSE(result.ok);
        EXPECT_FALSE(bitmap.loaded);
        EXPECT_EQ(bitmap.error, r.error);
        EXPECT_EQ(bitmap.data, nullptr);
        EXPECT_EQ(bitmap.palette, nullptr);
        EXPECT_EQ(count_lines(result.out), r.report_lines) << result.out;
    }
}

TEST(bitmap, accepts_a_last_row_without_its_padding) {
    bytes file = make_bmp({5, 2, 24});
    file.pop_back(); // 15 pixel bytes per row, one byte of padding
    Bitmap bitmap;
    ASSERT_TRUE(load_captured(bitmap, file).ok) << bitmap.error;
    EXPECT_EQ(pixels_of(bitmap), expected_rgb({5, 2, 24}));
}

// The same reader behind a file; a missing file writes nothing.
TEST(bitmap, reads_files_from_disk_like_memory) {
    temp_workdir dir;
    const bmp_layout layout{5, 4, 8, 0, 40, 0x4D42, 124};
    temp_workdir::write("image.bmp", make_bmp(layout));
    testing::internal::CaptureStdout();
    Bitmap bitmap("image.bmp");
    EXPECT_EQ(count_lines(testing::internal::GetCapturedStdout()), 13);
    EXPECT_EQ(pixels_of(bitmap), expected_rgb(layout)) << bitmap.error;

    testing::internal::CaptureStdout();
    EXPECT_FALSE(bitmap.load("missing.bmp"));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(bitmap.error, "File not found");
    EXPECT_EQ(bitmap.data, nullptr);
}

// ImageMagick's own reading of a file, bottom row first like the reader's.
bytes image_magick_pixels(const std::string& bmp) {
    EXPECT_EQ(std::system(("convert " + bmp + " -flip -depth 8 rgb:reference.rgb").c_str()), 0);
    std::ifstream in("reference.rgb", std::ios::binary);
    return bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A w x h picture of the given number of distinct colours (up to 256 x 3 of them).
void write_ppm(const std::string& path, int w, int h, int colours) {
    std::ostringstream out;
    out << "P6\n" << w << " " << h << "\n255\n";
    for (int p = 0; p < w * h; ++p) {
        const int i = p % colours;
        out << char(i * 37) << char(i / 3 * 101 + 11) << char(i * i % 251);
    }
    temp_workdir::write(path, out.str());
}

// ImageMagick is the outside judge: its default 24-bit output and its uncompressed 8-bit output load with
// the pixels it reads from them.
TEST(bitmap, agrees_with_image_magick) {
    if (std::system("convert -version >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "ImageMagick's convert is not installed";
    temp_workdir dir;
    write_ppm("many.ppm", 37, 19, 37 * 19);
    write_ppm("few.ppm", 37, 19, 40);
    ASSERT_EQ(
        std::system("convert many.ppm out24.bmp && convert few.ppm -type palette -compress none out8.bmp"),
        0);
    for (const std::string bmp : {"out24.bmp", "out8.bmp"}) {
        SCOPED_TRACE(bmp);
        testing::internal::CaptureStdout();
        Bitmap bitmap(bmp.c_str());
        testing::internal::GetCapturedStdout();
        EXPECT_EQ(bitmap.error, "Bitmap loaded");
        EXPECT_EQ(pixels_of(bitmap), image_magick_pixels(bmp));
    }
}

} // namespace
