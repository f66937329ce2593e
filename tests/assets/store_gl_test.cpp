// The texture store and the model store under a real context, with the real data and with broken copies.
#include "assets/bitmap.h"
#include "assets/model_store.h"
#include "assets/texture_store.h"
#include "bmp_bytes.h"
#include "gl_test.h"
#include "temp_workdir.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

GLint level_parameter(GLint level, GLenum name) {
    GLint value = -1;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, level, name, &value);
    return value;
}

GLint texture_parameter(GLenum name) {
    GLint value = -1;
    glGetTexParameteriv(GL_TEXTURE_2D, name, &value);
    return value;
}

// Checks that texture holds the image of file as Bitmap reads it, with the game's start-up filters. (Without
// its mipmaps a texture samples black, which the pictures and the dissolve probes show.)
void expect_texture_of(GLuint texture, const std::string& file) {
    SCOPED_TRACE(file);
    testing::internal::CaptureStdout();
    Bitmap bitmap(file.c_str());
    testing::internal::GetCapturedStdout();
    ASSERT_TRUE(bitmap.loaded) << bitmap.error;
    ASSERT_TRUE(glIsTexture(texture));
    glBindTexture(GL_TEXTURE_2D, texture);
    EXPECT_EQ(level_parameter(0, GL_TEXTURE_WIDTH), bitmap.width);
    EXPECT_EQ(level_parameter(0, GL_TEXTURE_HEIGHT), bitmap.height);
    const GLint format = level_parameter(0, GL_TEXTURE_INTERNAL_FORMAT);
    // Drivers report the requested legacy "3 components" as given or as an RGB format.
    EXPECT_TRUE(format == 3 || format == GL_RGB || format == GL_RGB8) << format;
    EXPECT_EQ(texture_parameter(GL_TEXTURE_MAG_FILTER), GL_NEAREST);
    EXPECT_EQ(texture_parameter(GL_TEXTURE_MIN_FILTER), GL_LINEAR_MIPMAP_LINEAR);
    std::vector<uint8_t> got(size_t(bitmap.width) * size_t(bitmap.height) * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, got.data());
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glBindTexture(GL_TEXTURE_2D, 0);
    EXPECT_TRUE(std::equal(got.begin(), got.end(), bitmap.data));
}

// The store made here; nothing stays bound and the unpack alignment is back at its default.
std::unique_ptr<texture_store> make_textures() {
    testing::internal::CaptureStdout();
    auto store = std::make_unique<texture_store>();
    testing::internal::GetCapturedStdout();
    GLint bound = -1, alignment = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    EXPECT_EQ(bound, 0);
    EXPECT_EQ(alignment, 4);
    return store;
}

TEST(texture_store_gl, loads_the_four_images) {
    REQUIRE_GL_CONTEXT();
    const auto store = make_textures();
    expect_texture_of(store->powerup, "textures/powerup.bmp");
    expect_texture_of(store->healthup, "textures/healthup.bmp");
    expect_texture_of(store->clouds, "textures/clouds1.bmp");
    expect_texture_of(store->stars, "textures/stars.bmp");
}

// clouds1 missing and healthup at 16 bits per pixel leave no texture; powerup, 5 pixels wide, has rows
// padded in the file but not in the reader's pixels.
TEST(texture_store_gl, missing_and_unreadable_images_leave_zero) {
    REQUIRE_GL_CONTEXT();
    temp_workdir dir;
    ASSERT_EQ(mkdir("textures", 0755), 0);
    temp_workdir::write("textures/powerup.bmp", make_bmp({5, 3, 24}));
    temp_workdir::write("textures/healthup.bmp", make_bmp({4, 4, 16}));
    const auto store = make_textures();
    EXPECT_EQ(store->clouds, 0u);
    EXPECT_EQ(store->healthup, 0u);
    expect_texture_of(store->powerup, "textures/powerup.bmp");
}

// With the real data the boss is imported; without "meshes/boss.dae" the failure is reported once and the
// boss is an empty mesh. The solids are there either way, each in the place of its kind.
TEST(model_store_gl, holds_the_four_solids_and_the_boss_or_an_empty_one) {
    REQUIRE_GL_CONTEXT();
    static int import_failures;
    for (const bool boss_missing : {false, true}) {
        SCOPED_TRACE(boss_missing ? "boss missing" : "real data");
        std::unique_ptr<temp_workdir> dir(boss_missing ? new temp_workdir : nullptr);
        import_failures = 0;
        set_import_failure_reporter([](const std::string&) { ++import_failures; });
        testing::internal::CaptureStdout();
        const auto store = std::make_unique<model_store>();
        testing::internal::GetCapturedStdout();
        set_import_failure_reporter(nullptr);
        ASSERT_EQ(store->meshes.size(), size_t(built_in_solid_kinds));
        for (int kind = 0; kind < built_in_solid_kinds; ++kind)
            EXPECT_EQ(store->get(kind)->count, GLsizei(built_in_solid(kind).indices.size()));
        EXPECT_EQ(import_failures, boss_missing ? 1 : 0);
        ASSERT_NE(store->boss, nullptr);
        EXPECT_EQ(store->boss->vao == 0, boss_missing);
        EXPECT_EQ(store->boss->count == 0, boss_missing);
    }
}

} // namespace
