// The shipped boss model: imports with all channels, has the intended size, and shows its outside.
#include "assets/mesh.h"
#include "support/gl_context.h"

#include <cstdlib>
#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace {

const char* const boss_path = "meshes/boss.dae";

const char* const vertex_source = R"(#version 330 core
layout(location = 0) in vec3 position;
layout(location = 2) in vec3 normal;
uniform mat4 mvp;
out vec3 world_normal;
out vec3 world_position;
void main() {
    world_normal = normal;
    world_position = position;
    gl_Position = mvp * vec4(position, 1.0);
}
)";

// mode 0: red where the front face shows, green where a back face does.
// mode 1: red where the normal faces the eye, green where it faces away.
// mode 2: plain diffuse lighting, for looking at.
const char* const fragment_source = R"(#version 330 core
in vec3 world_normal;
in vec3 world_position;
uniform int mode;
uniform vec3 eye;
out vec4 colour;
void main() {
    vec3 n = normalize(world_normal);
    if (mode == 0) {
        colour = gl_FrontFacing ? vec4(1.0, 0.0, 0.0, 1.0) : vec4(0.0, 1.0, 0.0, 1.0);
    } else if (mode == 1) {
        colour = dot(n, eye - world_position) > 0.0 ? vec4(1.0, 0.0, 0.0, 1.0) : vec4(0.0, 1.0, 0.0, 1.0);
    } else {
        float d = max(dot(n, normalize(vec3(0.5, 0.8, 0.4))), 0.0);
        colour = vec4(vec3(0.12, 0.12, 0.16) + vec3(0.75, 0.77, 0.85) * d, 1.0);
    }
}
)";

GLuint compile(GLenum type, const char* source) {
    const GLuint s = glCreateShader(type);
    glShaderSource(s, 1, &source, nullptr);
    glCompileShader(s);
    GLint ok = 0;
    glGetShaderiv(s, GL_COMPILE_STATUS, &ok);
    EXPECT_TRUE(ok);
    return s;
}

GLuint test_program() {
    static GLuint program = 0;
    if (program == 0) {
        program = glCreateProgram();
        glAttachShader(program, compile(GL_VERTEX_SHADER, vertex_source));
        glAttachShader(program, compile(GL_FRAGMENT_SHADER, fragment_source));
        glLinkProgram(program);
        GLint ok = 0;
        glGetProgramiv(program, GL_LINK_STATUS, &ok);
        EXPECT_TRUE(ok);
    }
    return program;
}

// Draws m seen from eye with the given mode; returns (red pixels, green pixels).
std::pair<int, int> draw_from(const mesh& m, glm::vec3 eye, int mode) {
    const glm::vec3 up = glm::abs(eye.y) > 0.9f * glm::length(eye) ? glm::vec3(0, 0, 1) : glm::vec3(0, 1, 0);
    const glm::mat4 mvp = glm::perspective(glm::radians(45.0f), 800.0f / 600.0f, 0.5f, 30.0f) *
                          glm::lookAt(eye, glm::vec3(0), up);
    const GLuint program = test_program();
    glUseProgram(program);
    glUniformMatrix4fv(glGetUniformLocation(program, "mvp"), 1, GL_FALSE, glm::value_ptr(mvp));
    glUniform3fv(glGetUniformLocation(program, "eye"), 1, glm::value_ptr(eye));
    glUniform1i(glGetUniformLocation(program, "mode"), mode);
    glViewport(0, 0, 800, 600);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glBindVertexArray(m.vao);
    glDrawElements(m.mode, m.count, m.index_type, nullptr);
    glBindVertexArray(0);
    glUseProgram(0);
    const std::vector<uint8_t> pixels = read_back_rgb(0, 0, 800, 600);
    int red = 0, green = 0;
    for (size_t i = 0; i < pixels.size(); i += 3) {
        red += pixels[i] > 128 && pixels[i + 1] < 64;
        green += pixels[i + 1] > 128 && pixels[i] < 64;
    }
    return {red, green};
}

// An offscreen target with its own depth buffer: the display is not guaranteed to have one.
struct depth_target {
    GLuint framebuffer = 0;
    GLuint renderbuffers[2] = {0, 0};
    depth_target() {
        glGenFramebuffers(1, &framebuffer);
        glGenRenderbuffers(2, renderbuffers);
        glBindRenderbuffer(GL_RENDERBUFFER, renderbuffers[0]);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, 800, 600);
        glBindRenderbuffer(GL_RENDERBUFFER, renderbuffers[1]);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, 800, 600);
        glBindRenderbuffer(GL_RENDERBUFFER, 0);
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, renderbuffers[0]);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, renderbuffers[1]);
    }
    bool complete() const { return glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE; }
    ~depth_target() {
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glDeleteFramebuffers(1, &framebuffer);
        glDeleteRenderbuffers(2, renderbuffers);
    }
};

std::unique_ptr<mesh> import_boss(std::string& out) {
    testing::internal::CaptureStdout();
    auto m = std::make_unique<mesh>(std::string(boss_path));
    out = testing::internal::GetCapturedStdout();
    return m;
}

TEST(boss_gl, imports_with_every_channel_at_the_intended_size) {
    REQUIRE_GL_CONTEXT();
    std::string out;
    const auto boss = import_boss(out);
    EXPECT_EQ(out, std::string("num meshes 1\n") + boss_path + " has positions!\n" + boss_path +
                       " has texture coords!\n" + boss_path + " has vertex normals!\n");
    EXPECT_GE(boss->count, 3 * 300);
    EXPECT_LE(boss->count, 3 * 6000);

    GLint buffer = 0, size = 0;
    glBindVertexArray(boss->vao);
    glGetVertexAttribiv(0, GL_VERTEX_ATTRIB_ARRAY_BUFFER_BINDING, &buffer);
    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, GLuint(buffer));
    glGetBufferParameteriv(GL_ARRAY_BUFFER, GL_BUFFER_SIZE, &size);
    std::vector<glm::vec3> positions(size_t(size) / sizeof(glm::vec3));
    glGetBufferSubData(GL_ARRAY_BUFFER, 0, size, positions.data());
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    ASSERT_FALSE(positions.empty());
    glm::vec3 lo = positions[0], hi = positions[0];
    for (const glm::vec3& p : positions) {
        lo = glm::min(lo, p);
        hi = glm::max(hi, p);
    }
    const glm::vec3 extent = hi - lo;
    const float across = glm::max(extent.x, glm::max(extent.y, extent.z));
    EXPECT_GE(across, 2.0f);
    EXPECT_LE(across, 3.0f);
    EXPECT_LT(glm::length((hi + lo) * 0.5f), 0.5f) << "the model should sit around its origin";
}

TEST(boss_gl, shows_its_outside_under_clockwise_front_faces) {
    REQUIRE_GL_CONTEXT();
    std::string out;
    const auto boss = import_boss(out);
    ASSERT_GT(boss->count, 0);
    GLint front_face = 0;
    glGetIntegerv(GL_FRONT_FACE, &front_face);
    ASSERT_EQ(front_face, GL_CW);
    depth_target target;
    ASSERT_TRUE(target.complete());
    glEnable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
    // Without culling the nearest surface wins the depth test: from outside that must be a front face,
    // and its normal must face the eye.
    glDisable(GL_CULL_FACE);
    const glm::vec3 eyes[] = {{0, 0, 6},  {0, 0, -6}, {6, 0, 0},   {-6, 0, 0}, {0, 6, 0},
                              {0, -6, 0}, {4, 3, 4},  {-4, -3, 4}, {3, 4, -4}};
    for (const glm::vec3& eye : eyes) {
        SCOPED_TRACE(testing::Message() << "eye " << eye.x << " " << eye.y << " " << eye.z);
        for (int mode : {0, 1}) {
            const auto [red, green] = draw_from(*boss, eye, mode);
            EXPECT_GT(red + green, 2000) << "mode " << mode;
            EXPECT_GT(red, 0.98 * (red + green)) << "mode " << mode << ": " << red << " vs " << green;
            if (const char* dir = std::getenv("TARNWICK_SCREENSHOT_DIR"))
                save_back_buffer_ppm(std::string(dir) + "/boss_facing_" + std::to_string(&eye - eyes) + "_" +
                                     std::to_string(mode) + ".ppm");
        }
    }
    glEnable(GL_CULL_FACE);
    const auto [culled_red, culled_green] = draw_from(*boss, glm::vec3(4, 3, 4), 0);
    EXPECT_GT(culled_red, 2000);
    EXPECT_EQ(culled_green, 0);
    if (const char* dir = std::getenv("TARNWICK_SCREENSHOT_DIR")) {
        const glm::vec3 views[] = {{3.2f, 2.2f, 3.2f}, {-2.5f, 3.5f, -3.0f}};
        for (int i = 0; i < 2; ++i) {
            draw_from(*boss, views[i], 2);
            save_back_buffer_ppm(std::string(dir) + "/boss_" + std::to_string(i) + ".ppm");
        }
    }
    glEnable(GL_BLEND);
}

} // namespace
