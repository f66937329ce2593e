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
    for (int side = std::max(bitmap.width, bitmap.height); side > 1; side /= 2)
        ++last;
    EXPECT_EQ(level_parameter(texture, last, GL_TEXTURE_WIDTH), 1);
    EXPECT_EQ(level_parameter(texture, last, GL_TEXTURE_HEIGHT), 1);
    EXPECT_EQ(texture_parameter(texture, GL_TEXTURE_MAG_FILTER), GL_NEAREST);
    EXPECT_EQ(texture_parameter(texture, GL_TEXTURE_MIN_FILTER), GL_LINEAR_MIPMAP_LINEAR);
    std::vector<uint8_t> got(size_t(bitmap.width) * size_t(bitmap.height) * 3);
    glBindTexture(GL_TEXTURE_2D, texture);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, got.data());
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glBindTexture(GL_TEXTURE_2D, 0);
    EXPECT_TRUE(std::equal(got.begin(), got.end(), bitmap.data));
}

std::unique_ptr<texture_store> make_textures() {
    testing::internal::CaptureStdout();
    auto store = std::make_unique<texture_store>();
    testing::internal::GetCapturedStdout();
    GLint bound = -1;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(bound, 0) << "nothing stays bound";
    return store;
}

TEST(texture_store_gl, loads_the_four_images) {
    REQUIRE_GL_CONTEXT();
    const auto store = make_textures();
    const char* const files[4] = {"textures/powerup.bmp", "textures/healthup.bmp", "textures/clouds1.bmp",
                                  "textures/stars.bmp"};
    const GLuint names[4] = {store->powerup, store->healthup, store->clouds, store->stars};
    for (int i = 0; i < 4; ++i) {
        expect_texture_of(names[i], files[i]);
        for (int j = 0; j < i; ++j)
            EXPECT_NE(names[i], names[j]);
    }
    GLint alignment = 0;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    EXPECT_EQ(alignment, 4);
}

TEST(texture_store_gl, missing_and_unreadable_images_leave_zero) {
    REQUIRE_GL_CONTEXT();
    temp_workdir dir;
    ASSERT_EQ(mkdir("textures", 0755), 0);
    // clouds1 missing, healthup 16 bits per pixel, powerup 5 pixels wide (rows padded in the file).
    temp_workdir::write("textures/powerup.bmp", make_bmp({5, 3, 24}));
    temp_workdir::write("textures/healthup.bmp", make_bmp({4, 4, 16}));
    ASSERT_EQ(symlink(dir.original("textures/stars.bmp").c_str(), "textures/stars.bmp"), 0);
    const auto store = make_textures();
    EXPECT_EQ(store->clouds, 0u);
    EXPECT_EQ(store->healthup, 0u);
    expect_texture_of(store->powerup, "textures/powerup.bmp");
    expect_texture_of(store->stars, "textures/stars.bmp");
    EXPECT_NE(store->powerup, store->stars);
}

// With the real data the boss is imported; without "meshes/boss.dae" the failure is reported once and the
// boss is an empty mesh. The solids are there either way.
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
        ASSERT_EQ(store->meshes.size(), 4u);
        const GLsizei counts[4] = {36, 12, 24, 18};
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(store->get(i), store->meshes[size_t(i)]);
            EXPECT_EQ(store->get(i)->count, counts[i]);
            EXPECT_NE(store->get(i)->vao, 0u);
        }
        EXPECT_EQ(import_failures, boss_missing ? 1 : 0);
        ASSERT_NE(store->boss, nullptr);
        EXPECT_EQ(store->boss->vao == 0, boss_missing);
        EXPECT_EQ(store->boss->count == 0, boss_missing);
        EXPECT_EQ(store->boss->count % 3, 0);
        EXPECT_EQ(store->boss->index_type, GLenum(GL_UNSIGNED_INT));
    }
}

} // namespace
