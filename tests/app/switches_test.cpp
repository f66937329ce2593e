// The filter table and the cycles of the quality and culling switches.
#include "app/shell/gl.h"
#include "app/shell/switches.h"

#include <gtest/gtest.h>

namespace {
TEST(switches, filter_table_covers_every_quality_pair) {
    struct row {
        uint8_t mipmap;
        uint8_t texture;
        int min;
        int mag;
    };
    const row table[] = {
        {0, 0, GL_NEAREST, GL_NEAREST},
        {0, 1, GL_LINEAR, GL_LINEAR},
        {1, 0, GL_NEAREST_MIPMAP_NEAREST, GL_NEAREST},
        {1, 1, GL_LINEAR_MIPMAP_NEAREST, GL_LINEAR},
        {2, 0, GL_NEAREST_MIPMAP_LINEAR, GL_NEAREST},
        {2, 1, GL_LINEAR_MIPMAP_LINEAR, GL_LINEAR},
        {7, 1, GL_NEAREST, GL_LINEAR},
    };
    for (const row& r : table) {
        mipmap_sampling_quality = r.mipmap;
        texture_sampling_quality = r.texture;
        EXPECT_EQ(min_filter(), r.min) << int(r.mipmap) << " " << int(r.texture);
        EXPECT_EQ(mag_filter(), r.mag) << int(r.mipmap) << " " << int(r.texture);
    }
    mipmap_sampling_quality = texture_sampling_quality = 0;
}

TEST(switches, cycles_wrap_and_toggles_flip) {
    texture_sampling_quality = 0;
    mipmap_sampling_quality = 0;
    EXPECT_EQ(cycle_texture_sampling_quality(), 1);
    EXPECT_EQ(cycle_texture_sampling_quality(), 0);
    EXPECT_EQ(cycle_mipmap_sampling_quality(), 1);
    EXPECT_EQ(cycle_mipmap_sampling_quality(), 2);
    EXPECT_EQ(cycle_mipmap_sampling_quality(), 0);
    frustum_culling = true;
    EXPECT_FALSE(toggle_frustum_culling());
    EXPECT_TRUE(toggle_frustum_culling());
    running = true;
    EXPECT_TRUE(is_running());
    stop_running();
    EXPECT_FALSE(is_running());
    running = true;
}
} // namespace
