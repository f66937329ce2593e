// The texture store and the model store under a real context, with the real data and with broken copies.
#include "assets/bitmap.h"
#include "assets/model_store.h"
#include "assets/texture_store.h"
#include "support/gl_context.h"
#include "temp_workdir.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

const char* const texture_files[4] = {"textures/powerup.bmp", "textures/healthup.bmp", "textures/clouds1.bmp",
                                      "textures/stars.bmp"};

GLint level_parameter(GLuint texture, GLint level, GLenum name) {
    GLint value = -1;
    glBindTexture(GL_TEXTURE_2D, texture);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, level, name, &value);
    glBindTexture(GL_TEXTURE_2D, 0);
    return value;
}

GLint texture_parameter(GLuint texture, GLenum name) {
    GLint value = -1;
    glBindTexture(GL_TEXTURE_2D, texture);
    glGetTexParameteriv(GL_TEXTURE_2D, name, &value);
    glBindTexture(GL_TEXTURE_2D, 0);
    return value;
}

std::vector<uint8_t> level0_rgb(GLuint texture, int width, int height) {
    std::vector<uint8_t> out(size_t(width) * size_t(height) * 3);
    glBindTexture(GL_TEXTURE_2D, texture);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, out.data());
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glBindTexture(GL_TEXTURE_2D, 0);
    return out;
}

// Checks that texture holds the image of file as Bitmap reads it, with a full mipmap chain.
void expect_texture_of(GLuint texture, const std::string& file) {
    SCOPED_TRACE(file);
    testing::internal::CaptureStdout();
    Bitmap bitmap(file.c_str());
    testing::internal::GetCapturedStdout();
    ASSERT_TRUE(bitmap.loaded) << bitmap.error;
    ASSERT_NE(texture, 0u);
    EXPECT_TRUE(glIsTexture(texture));
    EXPECT_EQ(level_parameter(texture, 0, GL_TEXTURE_WIDTH), bitmap.width);
    EXPECT_EQ(level_parameter(texture, 0, GL_TEXTURE_HEIGHT), bitmap.height);
    const GLint format = level_parameter(texture, 0, GL_TEXTURE_INTERNAL_FORMAT);
    // Drivers report the requested legacy "3 components" as given or as an RGB format.
    EXPECT_TRUE(format == 3 || format == GL_RGB || format == GL_RGB8) << format;
    int last = 0;
    for (int side = bitmap.width > bitmap.height ? bitmap.width : bitmap.height; side > 1; side /= 2)
        ++last;
    EXPECT_EQ(level_parameter(texture, last, GL_TEXTURE_WIDTH), 1);
    EXPECT_EQ(level_parameter(texture, last, GL_TEXTURE_HEIGHT), 1);
    EXPECT_EQ(texture_parameter(texture, GL_TEXTURE_MAG_FILTER), GL_NEAREST);
    EXPECT_EQ(texture_parameter(texture, GL_TEXTURE_MIN_FILTER), GL_LINEAR_MIPMAP_LINEAR);
    const std::vector<uint8_t> want(bitmap.data,
                                    bitmap.data + size_t(bitmap.width) * size_t(bitmap.height) * 3);
    EXPECT_TRUE(level0_rgb(texture, bitmap.width, bitmap.height) == want);
}

std::unique_ptr<texture_store> make_textures() {
    testing::internal::CaptureStdout();
    auto store = std::make_unique<texture_store>();
    testing::internal::GetCapturedStdout();
    return store;
}

GLint bound_texture() {
    GLint bound = -1;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    return bound;
}

TEST(texture_store_gl, loads_the_four_images) {
    REQUIRE_GL_CONTEXT();
    const auto store = make_textures();
    EXPECT_EQ(bound_texture(), 0);
    const GLuint names[4] = {store->powerup, store->healthup, store->clouds, store->stars};
    for (int i = 0; i < 4; ++i) {
        expect_texture_of(names[i], texture_files[i]);
        for (int j = 0; j < i; ++j)
            EXPECT_NE(names[i], names[j]);
    }
    GLint alignment = 0;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    EXPECT_EQ(alignment, 4);
}

// A 24-bit BMP of odd width (padded rows) or of 16 bits per pixel, as raw bytes.
std::string small_bmp(int width, int height, int bpp) {
    std::string b;
    auto put = [&b](uint32_t v, int n) {
        for (int i = 0; i < n; ++i)
            b.push_back(char(uint8_t(v >> (8 * i))));
    };
    const int row = (width * bpp / 8 + 3) / 4 * 4;
    put(0x4D42, 2);
    put(uint32_t(54 + row * height), 4);
    put(0, 4);
    put(54, 4);
    put(40, 4);
    put(uint32_t(width), 4);
    put(uint32_t(height), 4);
    put(1, 2);
    put(uint32_t(bpp), 2);
    put(0, 4);
    put(uint32_t(row * height), 4);
    for (int i = 0; i < 4; ++i)
        put(0, 4);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < row; ++x)
            b.push_back(char(uint8_t(x < width * bpp / 8 ? 40 * y + 7 * x + 1 : 0xEE)));
    return b;
}

TEST(texture_store_gl, missing_and_unreadable_images_leave_zero) {
    REQUIRE_GL_CONTEXT();
    temp_workdir dir;
    ASSERT_EQ(mkdir("textures", 0755), 0);
    // clouds1 missing, healthup 16 bits per pixel, powerup 5 pixels wide (rows padded in the file).
    temp_workdir::write("textures/powerup.bmp", small_bmp(5, 3, 24));
    temp_workdir::write("textures/healthup.bmp", small_bmp(4, 4, 16));
    ASSERT_EQ(symlink(dir.original("textures/stars.bmp").c_str(), "textures/stars.bmp"), 0);
    const auto store = make_textures();
    EXPECT_EQ(store->clouds, 0u);
    EXPECT_EQ(store->healthup, 0u);
    expect_texture_of(store->powerup, "textures/powerup.bmp");
    expect_texture_of(store->stars, "textures/stars.bmp");
    EXPECT_NE(store->powerup, store->stars);
    EXPECT_EQ(bound_texture(), 0);
}

int import_failures = 0;
void count_failure(const std::string&) { ++import_failures; }

std::unique_ptr<model_store> make_models() {
    import_failures = 0;
    set_import_failure_reporter(count_failure);
    testing::internal::CaptureStdout();
    auto store = std::make_unique<model_store>();
    testing::internal::GetCapturedStdout();
    set_import_failure_reporter(nullptr);
    return store;
}

TEST(model_store_gl, holds_the_four_solids_and_the_boss) {
    REQUIRE_GL_CONTEXT();
    const auto store = make_models();
    EXPECT_EQ(import_failures, 0);
    ASSERT_EQ(store->meshes.size(), 4u);
    const GLsizei counts[4] = {36, 12, 24, 18};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(store->get(i), store->meshes[size_t(i)]);
        EXPECT_EQ(store->get(i)->count, counts[i]);
        EXPECT_NE(store->get(i)->vao, 0u);
    }
    EXPECT_EQ(store->get(2)->count, 24);
    ASSERT_NE(store->boss, nullptr);
    EXPECT_NE(store->boss->vao, 0u);
    EXPECT_GT(store->boss->count, 0);
    EXPECT_EQ(store->boss->count % 3, 0);
    EXPECT_EQ(store->boss->index_type, GLenum(GL_UNSIGNED_INT));
}

TEST(model_store_gl, missing_boss_leaves_an_empty_mesh) {
    REQUIRE_GL_CONTEXT();
    temp_workdir dir;
    const auto store = make_models();
    EXPECT_EQ(import_failures, 1);
    ASSERT_NE(store->boss, nullptr);
    EXPECT_EQ(store->boss->vao, 0u);
    EXPECT_EQ(store->boss->count, 0);
    ASSERT_EQ(store->meshes.size(), 4u);
    EXPECT_EQ(store->get(0)->count, 36);
    EXPECT_EQ(store->get(3)->count, 18);
}

} // namespace
