// The texture store under a real context with a broken copy of its folder. The shipped images, their filters
// and mipmaps are in the bench's reference pictures; the model store's boss and solids there too.
#include "assets/bitmap.h"
#include "assets/texture_store.h"
#include "gl_test.h"
#include "temp_workdir.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace {

// An unreadable image leaves no texture and one line that names it and says why. An image 37 x 19 pixels,
// whose rows of 111 bytes are not a multiple of 4, uploads row for row at its size (the shipped ones are
// square), and the store leaves no texture bound and the unpack alignment at its default, which the blur's
// uploads rely on.
TEST(texture_store_gl, unreadable_images_leave_zero_and_odd_widths_upload_whole) {
    REQUIRE_GL_CONTEXT();
    const std::filesystem::path corpus = TARNWICK_CORPUS "/bitmap";
    temp_workdir dir;
    std::filesystem::create_directory("textures");
    std::filesystem::copy_file(corpus / "stars_37x19.bmp", "textures/powerup.bmp");
    std::filesystem::copy_file(corpus / "bits32.bmp", "textures/healthup.bmp");
    std::filesystem::copy_file(corpus / "rle8_from_imagemagick.bmp", "textures/clouds1.bmp");
    testing::internal::CaptureStdout();
    const auto store = std::make_unique<texture_store>();
    Bitmap bitmap("textures/powerup.bmp");
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(store->healthup, 0u);
    for (const char* line : {"texture textures/healthup.bmp not loaded: File is not 8 or 24 bits per pixel\n",
                             "texture textures/clouds1.bmp not loaded: File is compressed; only uncompressed "
                             "BMP files can be read\n",
                             "texture textures/stars.bmp not loaded: File not found\n"})
        EXPECT_NE(out.find(line), std::string::npos) << out;
    EXPECT_EQ(out.find("texture textures/powerup.bmp"), std::string::npos) << out;
    GLint bound = -1, alignment = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    EXPECT_EQ(bound, 0);
    EXPECT_EQ(alignment, 4);

    ASSERT_TRUE(bitmap.loaded) << bitmap.error;
    std::vector<uint8_t> got(size_t(bitmap.width) * size_t(bitmap.height) * 3);
    glBindTexture(GL_TEXTURE_2D, store->powerup);
    GLint width = 0, height = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    EXPECT_EQ(width, bitmap.width);
    EXPECT_EQ(height, bitmap.height);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, got.data());
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glBindTexture(GL_TEXTURE_2D, 0);
    EXPECT_TRUE(std::equal(got.begin(), got.end(), bitmap.data));
}

} // namespace
