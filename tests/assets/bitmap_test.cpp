// BMP reader: files built byte by byte, read from memory and from disk.
#include "assets/bitmap.h"
#include "bmp_bytes.h"
#include "temp_workdir.h"

#include <algorithm>
#include <gtest/gtest.h>
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

TEST(bitmap, decodes_every_row_layout_to_packed_rgb) {
    std::vector<bmp_layout> rows;
    for (uint16_t bpp : {uint16_t(24), uint16_t(8)})
        for (int32_t w : {1, 3, 4, 5})
            rows.push_back({w, 3, bpp});
    rows.push_back({4, 2, 24, 1});    // compressed, read as uncompressed
    rows.push_back({5, 2, 8, 1});     // compressed 8-bit
    rows.push_back({3, 2, 8, 0, 16}); // 16 colours used: the palette still has 256 entries
    rows.push_back({2, 7, 8});        // indices wrapping below 128
    for (const bmp_layout& r : rows) {
        SCOPED_TRACE(testing::Message() << "bpp " << r.bpp << " width " << r.width << " compression "
                                        << r.compression << " used " << r.clr_used);
        Bitmap bitmap;
        const load_result result = load_captured(bitmap, make_bmp(r));
        ASSERT_TRUE(result.ok) << bitmap.error;
        EXPECT_TRUE(bitmap.loaded);
        EXPECT_EQ(bitmap.error, "Bitmap loaded");
        EXPECT_EQ(bitmap.width, r.width);
        EXPECT_EQ(bitmap.height, r.height);
        EXPECT_EQ(bitmap.bpp, r.bpp);
        const bytes want = expected_rgb(r);
        ASSERT_NE(bitmap.data, nullptr);
        EXPECT_EQ(bytes(bitmap.data, bitmap.data + want.size()), want);
        EXPECT_EQ(r.bpp == 8, bitmap.palette != nullptr);
    }
}

TEST(bitmap, writes_the_header_report) {
    Bitmap bitmap;
    const load_result result = load_captured(bitmap, make_bmp({3, 2, 8, 2, 16}));
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
    const bytes good24 = make_bmp({5, 3, 24});
    const bytes good8 = make_bmp({5, 3, 8});
    auto cut = [](bytes b, size_t size) {
        b.resize(size);
        return b;
    };
    const char* const truncated = "File is truncated";
    const char* const bits = "File is not 8 or 24 bits per pixel";
    const char* const not_positive = "Image width or height is not positive";
    const char* const too_large = "Image is larger than 16384 pixels per side";
    const struct {
        const char* name;
        bytes file;
        const char* error;
        int report_lines;
    } rows[] = {
        {"not BM", make_bmp({4, 2, 24, 0, 0, 0x4D43}), "File is not in DIB format", 1},
        {"1 bit", make_bmp({4, 2, 1}), bits, 13},
        {"16 bits", make_bmp({4, 2, 16}), bits, 13},
        {"32 bits", make_bmp({4, 2, 32}), bits, 13},
        {"empty", {}, truncated, 0},
        {"short file header", cut(good24, 10), truncated, 0},
        {"short info header", cut(good24, 14 + 39), truncated, 1},
        {"no palette", cut(good8, 54), truncated, 13},
        {"short palette", cut(good8, 54 + 1023), truncated, 13},
        {"no pixels", cut(good24, 54), truncated, 13},
        {"short pixels 24", cut(good24, good24.size() - 2), truncated, 13},
        {"short pixels 8", cut(good8, good8.size() - 4), truncated, 13},
        {"zero width", make_bmp({0, 2, 24}), not_positive, 13},
        {"zero height", make_bmp({4, 0, 8}), not_positive, 13},
        {"negative width", make_bmp({-4, 2, 24}), not_positive, 13},
        {"top-down", make_bmp({4, -2, 24}), not_positive, 13},
        {"too wide", make_bmp({16385, 1, 24}), too_large, 13},
        {"too tall", make_bmp({1, 16385, 8}), too_large, 13},
        {"32-bit overflow", make_bmp({65536, 65536, 24}), too_large, 13},
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
    const bytes want = expected_rgb({5, 2, 24});
    EXPECT_EQ(bytes(bitmap.data, bitmap.data + want.size()), want);
}

TEST(bitmap, reads_files_from_disk_like_memory) {
    temp_workdir dir;
    const bmp_layout layout{5, 4, 8};
    const bytes good = make_bmp(layout);
    temp_workdir::write("image.bmp", good);
    // The last row's 3 padding bytes and one pixel missing.
    temp_workdir::write("short.bmp", std::string(good.begin(), good.end() - 4));
    testing::internal::CaptureStdout();
    Bitmap bitmap("image.bmp");
    EXPECT_EQ(count_lines(testing::internal::GetCapturedStdout()), 13);
    ASSERT_TRUE(bitmap.loaded) << bitmap.error;
    const bytes want = expected_rgb(layout);
    EXPECT_EQ(bytes(bitmap.data, bitmap.data + want.size()), want);

    testing::internal::CaptureStdout();
    EXPECT_FALSE(bitmap.load("short.bmp"));
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(bitmap.data, nullptr);
    EXPECT_EQ(bitmap.error, "File is truncated");

    Bitmap missing;
    EXPECT_TRUE(missing.error.empty());
    testing::internal::CaptureStdout();
    EXPECT_FALSE(missing.load("missing.bmp"));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "") << "a missing file writes nothing";
    EXPECT_EQ(missing.error, "File not found");
    EXPECT_EQ(missing.data, nullptr);
}

} // namespace
