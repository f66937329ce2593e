// The "GlobalMatrices" buffer as the GPU holds it, after start-up and after resizes.
#include "app/startup.h"
#include "render/camera.h"
#include "gl_test.h"

#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>
#include <gtest/gtest.h>

namespace {
struct buffer_contents {
    float matrix[16];
    float viewport[2];
};

buffer_contents read_matrix_buffer() {
    buffer_contents c{};
    glBindBuffer(GL_UNIFORM_BUFFER, global_matrices_buffer);
    glGetBufferSubData(GL_UNIFORM_BUFFER, 0, 64, c.matrix);
    glGetBufferSubData(GL_UNIFORM_BUFFER, 64, 8, c.viewport);
    return c;
}

TEST(matrix_buffer, holds_projection_and_viewport_and_follows_resizes) {
    REQUIRE_GL_CONTEXT();
    GLint size = 0, bound = 0, range_buffer = 0;
    glBindBuffer(GL_UNIFORM_BUFFER, global_matrices_buffer);
    glGetBufferParameteriv(GL_UNIFORM_BUFFER, GL_BUFFER_SIZE, &size);
    EXPECT_EQ(size, 72);
    glGetIntegerv(GL_UNIFORM_BUFFER_BINDING, &bound);
    EXPECT_EQ(GLuint(bound), global_matrices_buffer);
    glGetIntegeri_v(GL_UNIFORM_BUFFER_BINDING, 0, &range_buffer);
    EXPECT_EQ(GLuint(range_buffer), global_matrices_buffer);

    buffer_contents c = read_matrix_buffer();
    EXPECT_NEAR(c.matrix[0], 1.8106601f, 1e-6f);
    EXPECT_NEAR(c.matrix[5], 2.4142137f, 1e-6f);
    EXPECT_EQ(c.viewport[0], 800.0f);
    EXPECT_EQ(c.viewport[1], 600.0f);

    struct row {
        int width, height;
        float m00, vx, vy;
    };
    const row table[] = {
        {1600, 600, 1.8106601f / 2.0f, 1600, 600},
        {1280, 720, 2.4142137f / (1280.0f / 720.0f), 1280, 720},
        // No area: the last valid projection and viewport stay, nothing turns NaN.
        {0, 0, 2.4142137f / (1280.0f / 720.0f), 1280, 720},
        {800, 600, 1.8106601f, 800, 600},
    };
    for (const row& r : table) {
        resize_display(float(r.width), float(r.height));
        c = read_matrix_buffer();
        EXPECT_NEAR(c.matrix[0], r.m00, 1e-5f) << r.width << "x" << r.height;
        EXPECT_NEAR(c.matrix[5], 2.4142137f, 1e-6f);
        EXPECT_EQ(c.viewport[0], r.vx);
        EXPECT_EQ(c.viewport[1], r.vy);
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    }
}

TEST(matrix_buffer, set_view_uploads_projection_times_view) {
    REQUIRE_GL_CONTEXT();
    const glm::mat4 v = glm::lookAt(glm::vec3(0.0f), camera_direction(0.3f, 0.2f), glm::vec3(0, 1, 0));
    set_view(v);
    const buffer_contents c = read_matrix_buffer();
    const glm::mat4 expected = projection * v;
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(c.matrix[i], glm::value_ptr(expected)[i], 1e-6f) << i;
    const glm::mat4 round_trip = get_inverse_view_projection() * view_projection;
    for (int i = 0; i < 4; ++i)
        EXPECT_NEAR(round_trip[i][i], 1.0f, 1e-4f);
    set_view(glm::mat4(1.0f));
}
} // namespace
