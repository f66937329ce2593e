// BMP reader: files built byte by byte, read from memory and from disk.
#include "assets/bitmap.h"

#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using bytes = std::vector<uint8_t>;

void put16(bytes& b, uint16_t v) {
    b.push_back(uint8_t(v));
    b.push_back(uint8_t(v >> 8));
}
void put32(bytes& b, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b.push_back(uint8_t(v >> (8 * i)));
}

struct bmp_layout {
    int32_t width = 4;
    int32_t height = 2;
    uint16_t bpp = 24;
    uint32_t compression = 0;
    uint32_t clr_used = 0;
    uint16_t magic = 0x4D42;
};

// The colour the test images give pixel (x, y); distinct for every pixel of the small images used here.
uint8_t channel(int x, int y, int c) { return uint8_t(17 * x + 59 * y + 101 * c + 3); }

// The palette index an 8-bit test image stores at (x, y): mostly above 127.
uint8_t index_at(int x, int y) { return uint8_t(130 + 7 * x + 31 * y); }

// Palette entry i of the 8-bit test images as (red, green, blue).
uint8_t palette_channel(int i, int c) { return uint8_t(c == 0 ? i ^ 0x5A : c == 1 ? 255 - i : i * 3); }

// A complete file: headers, palette for 8 bits (always 256 entries), rows bottom first, each padded to
// 4 bytes with 0xEE so that padding read as pixels shows up.
bytes make_bmp(const bmp_layout& s) {
    bytes b;
    put16(b, s.magic);
    put32(b, 0);
    put16(b, 0);
    put16(b, 0);
    put32(b, 0);
    put32(b, 40);
    put32(b, uint32_t(s.width));
    put32(b, uint32_t(s.height));
    put16(b, 1);
    put16(b, s.bpp);
    put32(b, s.compression);
    put32(b, 0);
    put32(b, 2835);
    put32(b, uint32_t(-7));
    put32(b, s.clr_used);
    put32(b, 0);
    if (s.bpp == 8) {
        for (int i = 0; i < 256; ++i) {
            b.push_back(palette_channel(i, 2));
            b.push_back(palette_channel(i, 1));
            b.push_back(palette_channel(i, 0));
            b.push_back(0);
        }
    }
    if (s.width <= 0 || s.height <= 0 || s.width > 64 || s.height > 64)
        return b;
    const int row = s.width * s.bpp / 8;
    for (int y = 0; y < s.height; ++y) {
        for (int x = 0; x < s.width; ++x) {
            if (s.bpp == 8) {
                b.push_back(index_at(x, y));
            } else if (s.bpp == 24) {
                b.push_back(channel(x, y, 2));
                b.push_back(channel(x, y, 1));
                b.push_back(channel(x, y, 0));
            } else {
                for (int k = 0; k < s.bpp / 8; ++k)
                    b.push_back(0);
            }
        }
        for (int p = row; p % 4 != 0; ++p)
            b.push_back(0xEE);
    }
    return b;
}

// What the reader must deliver for a test image: tightly packed RGB, bottom row first.
bytes expected_rgb(const bmp_layout& s) {
    bytes out;
    for (int y = 0; y < s.height; ++y)
        for (int x = 0; x < s.width; ++x)
            for (int c = 0; c < 3; ++c)
                out.push_back(s.bpp == 8 ? palette_channel(index_at(x, y), c) : channel(x, y, c));
    return out;
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

int count_lines(const std::string& s) {
    int n = 0;
    for (char c : s)
        n += c == '\n';
    return n;
}

TEST(bitmap, decodes_every_row_layout_to_packed_rgb) {
    struct row {
        const char* name;
        bmp_layout layout;
    };
    std::vector<row> rows;
    for (uint16_t bpp : {uint16_t(24), uint16_t(8)})
        for (int32_t w : {1, 3, 4, 5})
            rows.push_back({"plain", {w, 3, bpp, 0, 0, 0x4D42}});
    rows.push_back({"compressed read as uncompressed", {4, 2, 24, 1, 0, 0x4D42}});
    rows.push_back({"compressed 8-bit", {5, 2, 8, 1, 0, 0x4D42}});
    rows.push_back({"8-bit with 16 colours used", {3, 2, 8, 0, 16, 0x4D42}});
    rows.push_back({"8-bit tall", {2, 7, 8, 0, 0, 0x4D42}});
    for (const row& r : rows) {
        SCOPED_TRACE(std::string(r.name) + " bpp " + std::to_string(r.layout.bpp) + " width " +
                     std::to_string(r.layout.width));
        Bitmap bitmap;
        const load_result result = load_captured(bitmap, make_bmp(r.layout));
        ASSERT_TRUE(result.ok) << bitmap.error;
        EXPECT_TRUE(bitmap.loaded);
        EXPECT_EQ(bitmap.error, "Bitmap loaded");
        EXPECT_EQ(bitmap.width, r.layout.width);
        EXPECT_EQ(bitmap.height, r.layout.height);
        EXPECT_EQ(bitmap.bpp, r.layout.bpp);
        EXPECT_EQ(bitmap.paddedRowBytes % 4, 0);
        const bytes want = expected_rgb(r.layout);
        ASSERT_NE(bitmap.data, nullptr);
        EXPECT_EQ(bytes(bitmap.data, bitmap.data + want.size()), want);
        EXPECT_EQ(r.layout.bpp == 8, bitmap.palette != nullptr);
    }
}

TEST(bitmap, four_by_two_file_is_red_first_bottom_row_first) {
    Bitmap bitmap;
    const load_result result = load_captured(bitmap, make_bmp({}));
    ASSERT_TRUE(result.ok);
    // First pixel of the file (bottom-left) was written as blue, green, red = channel 2, 1, 0.
    EXPECT_EQ(bitmap.data[0], channel(0, 0, 0));
    EXPECT_EQ(bitmap.data[2], channel(0, 0, 2));
    EXPECT_EQ(bitmap.data[12], channel(0, 1, 0));
    EXPECT_EQ(bitmap.pixelDataSize, 24u);
    EXPECT_EQ(bitmap.rowBytes, 12);
}

TEST(bitmap, writes_the_header_report) {
    bmp_layout layout;
    layout.width = 3;
    layout.height = 2;
    layout.bpp = 8;
    layout.compression = 2;
    layout.clr_used = 16;
    Bitmap bitmap;
    const load_result result = load_captured(bitmap, make_bmp(layout));
    ASSERT_TRUE(result.ok);
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
    const bytes good24 = make_bmp({5, 3, 24, 0, 0, 0x4D42});
    const bytes good8 = make_bmp({5, 3, 8, 0, 0, 0x4D42});
    auto cut = [](bytes b, size_t size) {
        b.resize(size);
        return b;
    };
    struct row {
        const char* name;
        bytes file;
        const char* error;
        int report_lines;
    };
    const std::vector<row> rows = {
        {"not BM", make_bmp({4, 2, 24, 0, 0, 0x4D43}), "File is not in DIB format", 1},
        {"1 bit", make_bmp({4, 2, 1, 0, 0, 0x4D42}), "File is not 8 or 24 bits per pixel", 13},
        {"4 bits", make_bmp({4, 2, 4, 0, 0, 0x4D42}), "File is not 8 or 24 bits per pixel", 13},
        {"16 bits", make_bmp({4, 2, 16, 0, 0, 0x4D42}), "File is not 8 or 24 bits per pixel", 13},
        {"32 bits", make_bmp({4, 2, 32, 0, 0, 0x4D42}), "File is not 8 or 24 bits per pixel", 13},
        {"empty", {}, "File is truncated", 0},
        {"short file header", cut(good24, 10), "File is truncated", 0},
        {"short info header", cut(good24, 14 + 39), "File is truncated", 1},
        {"no palette", cut(good8, 54), "File is truncated", 13},
        {"short palette", cut(good8, 54 + 1023), "File is truncated", 13},
        {"no pixels", cut(good24, 54), "File is truncated", 13},
        {"short pixels 24", cut(good24, good24.size() - 2), "File is truncated", 13},
        {"short pixels 8", cut(good8, good8.size() - 4), "File is truncated", 13},
        {"zero width", make_bmp({0, 2, 24, 0, 0, 0x4D42}), "Image width or height is not positive", 13},
        {"zero height", make_bmp({4, 0, 8, 0, 0, 0x4D42}), "Image width or height is not positive", 13},
        {"negative width", make_bmp({-4, 2, 24, 0, 0, 0x4D42}), "Image width or height is not positive", 13},
        {"top-down", make_bmp({4, -2, 24, 0, 0, 0x4D42}), "Image width or height is not positive", 13},
        {"too wide", make_bmp({16385, 1, 24, 0, 0, 0x4D42}), "Image is larger than 16384 pixels per side",
         13},
        {"too tall", make_bmp({1, 16385, 8, 0, 0, 0x4D42}), "Image is larger than 16384 pixels per side", 13},
        {"32-bit overflow", make_bmp({65536, 65536, 24, 0, 0, 0x4D42}),
         "Image is larger than 16384 pixels per side", 13},
        {"largest sides, no pixels", make_bmp({16384, 16384, 24, 0, 0, 0x4D42}), "File is truncated", 13},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(r.name);
        Bitmap bitmap;
        // A successful load first, so that the failure must also release its result.
        load_captured(bitmap, make_bmp({3, 3, 8, 0, 0, 0x4D42}));
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
    bytes file = make_bmp({5, 2, 24, 0, 0, 0x4D42});
    file.pop_back(); // 15 pixel bytes per row, one byte of padding
    Bitmap bitmap;
    ASSERT_TRUE(load_captured(bitmap, file).ok) << bitmap.error;
    const bytes want = expected_rgb({5, 2, 24, 0, 0, 0x4D42});
    EXPECT_EQ(bytes(bitmap.data, bitmap.data + want.size()), want);
}

// A file on disk in a fresh temporary directory, removed afterwards.
struct temp_file {
    std::string dir;
    std::string path;
    explicit temp_file(const bytes& content) {
        char pattern[] = "/tmp/tarnwick_bmp_XXXXXX";
        dir = mkdtemp(pattern);
        path = dir + "/image.bmp";
        FILE* f = std::fopen(path.c_str(), "wb");
        std::fwrite(content.data(), 1, content.size(), f);
        std::fclose(f);
    }
    ~temp_file() {
        std::remove(path.c_str());
        rmdir(dir.c_str());
    }
};

TEST(bitmap, loads_files_from_disk_like_memory) {
    const bmp_layout layout{5, 4, 8, 0, 0, 0x4D42};
    temp_file file(make_bmp(layout));
    testing::internal::CaptureStdout();
    Bitmap bitmap(file.path.c_str());
    const std::string out = testing::internal::GetCapturedStdout();
    ASSERT_TRUE(bitmap.loaded) << bitmap.error;
    EXPECT_EQ(count_lines(out), 13);
    const bytes want = expected_rgb(layout);
    EXPECT_EQ(bytes(bitmap.data, bitmap.data + want.size()), want);

    bytes short_file = make_bmp(layout);
    short_file.resize(short_file.size() - 4); // the last row's 3 padding bytes and one pixel
    temp_file truncated(short_file);
    testing::internal::CaptureStdout();
    const bool ok = bitmap.load(truncated.path.c_str());
    testing::internal::GetCapturedStdout();
    EXPECT_FALSE(ok);
    EXPECT_EQ(bitmap.data, nullptr);
    EXPECT_EQ(bitmap.error, "File is truncated");
}

TEST(bitmap, missing_file_writes_nothing) {
    Bitmap bitmap;
    EXPECT_TRUE(bitmap.error.empty());
    EXPECT_FALSE(bitmap.loaded);
    testing::internal::CaptureStdout();
    const bool ok = bitmap.load("/nonexistent/tarnwick/missing.bmp");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_FALSE(ok);
    EXPECT_EQ(bitmap.error, "File not found");
    EXPECT_EQ(bitmap.data, nullptr);
}

} // namespace
