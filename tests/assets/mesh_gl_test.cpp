// GPU meshes under a real context: built-in solids as uploaded, empty kinds, model import and the shipped
// boss model, which must have the intended size and show its outside.
#include "assets/mesh.h"
#include "gl_test.h"
#include "temp_workdir.h"

#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace {

std::vector<uint8_t> buffer_bytes(GLuint buffer) {
    GLint size = 0;
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    glGetBufferParameteriv(GL_ARRAY_BUFFER, GL_BUFFER_SIZE, &size);
    auto out = std::vector<uint8_t>(size_t(size));
    glGetBufferSubData(GL_ARRAY_BUFFER, 0, size, out.data());
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    return out;
}

template <typename T> std::vector<uint8_t> as_bytes(const std::vector<T>& v) {
    const uint8_t* p = reinterpret_cast<const uint8_t*>(v.data());
    return std::vector<uint8_t>(p, p + v.size() * sizeof(T));
}

// What a mesh's vertex array records for one attribute location.
struct attribute {
    bool enabled;
    GLint components;
    GLuint buffer;
};

attribute attribute_of(GLuint vao, GLuint location) {
    GLint enabled = 0, components = 0, buffer = 0;
    glBindVertexArray(vao);
    glGetVertexAttribiv(location, GL_VERTEX_ATTRIB_ARRAY_ENABLED, &enabled);
    glGetVertexAttribiv(location, GL_VERTEX_ATTRIB_ARRAY_SIZE, &components);
    glGetVertexAttribiv(location, GL_VERTEX_ATTRIB_ARRAY_BUFFER_BINDING, &buffer);
    glBindVertexArray(0);
    return {enabled != 0, components, GLuint(buffer)};
}

GLuint element_buffer_of(GLuint vao) {
    GLint buffer = 0;
    glBindVertexArray(vao);
    glGetIntegerv(GL_ELEMENT_ARRAY_BUFFER_BINDING, &buffer);
    glBindVertexArray(0);
    return GLuint(buffer);
}

TEST(mesh_gl, built_in_solids_upload_their_tables) {
    REQUIRE_GL_CONTEXT();
    const struct {
        int kind;
        GLsizei count;
    } rows[] = {{0, 36}, {1, 12}, {2, 24}, {3, 18}, {4, 0}, {-1, 0}, {57005, 0}};
    for (const auto& row : rows) {
        SCOPED_TRACE("kind " + std::to_string(row.kind));
        mesh m(row.kind);
        EXPECT_EQ(m.count, row.count);
        if (row.count == 0) {
            EXPECT_EQ(m.vao, 0u);
            continue;
        }
        const solid_arrays s = built_in_solid(row.kind);
        EXPECT_NE(m.vao, 0u);
        EXPECT_EQ(m.mode, GLenum(GL_TRIANGLES));
        EXPECT_EQ(m.index_type, GLenum(GL_UNSIGNED_BYTE));
        // The contents compared byte for byte also fix the sizes: 16, 8 and 12 bytes per vertex.
        const struct {
            GLuint location;
            GLint components;
            std::vector<uint8_t> content;
        } attributes[] = {
            {0, 4, as_bytes(s.positions)}, {1, 2, as_bytes(s.texcoords)}, {2, 3, as_bytes(s.normals)}};
        for (const auto& a : attributes) {
            SCOPED_TRACE("location " + std::to_string(a.location));
            const attribute got = attribute_of(m.vao, a.location);
            EXPECT_TRUE(got.enabled);
            EXPECT_EQ(got.components, a.components);
            ASSERT_NE(got.buffer, 0u);
            EXPECT_EQ(buffer_bytes(got.buffer), a.content);
        }
        const GLuint elements = element_buffer_of(m.vao);
        ASSERT_NE(elements, 0u);
        EXPECT_EQ(buffer_bytes(elements), s.indices);
    }
    GLint bound = -1;
    glGetIntegerv(GL_VERTEX_ARRAY_BINDING, &bound);
    EXPECT_EQ(bound, 0);
}

std::vector<std::string> reported;

TEST(mesh_gl, imports_the_first_triangles_or_reports_the_failure) {
    REQUIRE_GL_CONTEXT();
    temp_workdir dir;
    // Two objects: only the first one's four corners and two triangles may be used.
    temp_workdir::write("two.obj", "o first\nv 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\n"
                                   "vt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\nf 1/1 2/2 3/3\nf 1/1 3/3 4/4\n"
                                   "o second\nv 0 0 2\nv 2 0 2\nv 2 2 2\nv 0 2 2\nv 5 5 5\n"
                                   "f 5/1 6/2 7/3\nf 5/1 7/3 8/4\nf 5/1 8/4 9/1\n");
    // A quad (triangulated into two), a line and a point, no texture coordinates.
    temp_workdir::write("bare.obj", "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nf 1 2 3 4\nl 1 3\np 2\n");
    temp_workdir::write("empty.dae", R"(<?xml version="1.0" encoding="utf-8"?>
<COLLADA xmlns="http://www.collada.org/2005/11/COLLADASchema" version="1.4.1">
  <asset><up_axis>Y_UP</up_axis></asset>
  <library_visual_scenes><visual_scene id="s"><node id="n"/></visual_scene></library_visual_scenes>
  <scene><instance_visual_scene url="#s"/></scene>
</COLLADA>
)");
    temp_workdir::write("garbage.dae", "this is not a model\n");
    const struct {
        const char* path;
        const char* out; // the import's log; empty where it must be the failure report
        GLsizei count;
        bool uvs;
    } rows[] = {
        {"two.obj",
         "num meshes 2\ntwo.obj has positions!\ntwo.obj has texture coords!\n"
         "two.obj has vertex normals!\n",
         6, true},
        {"bare.obj",
         "num meshes 1\nbare.obj has positions!\nbare.objhas no texture coords!\n"
         "bare.obj has vertex normals!\n",
         6, false},
        {"missing/boss.dae", "", 0, false},
        {"empty.dae", "", 0, false},
        {"garbage.dae", "", 0, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.path);
        reported.clear();
        set_import_failure_reporter([](const std::string& text) { reported.push_back(text); });
        testing::internal::CaptureStdout();
        const mesh m{std::string(row.path)};
        const std::string out = testing::internal::GetCapturedStdout();
        set_import_failure_reporter(nullptr);
        EXPECT_EQ(m.count, row.count);
        EXPECT_EQ(m.index_type, GLenum(GL_UNSIGNED_INT));
        if (row.count == 0) {
            ASSERT_EQ(reported.size(), 1u);
            EXPECT_FALSE(reported[0].empty());
            EXPECT_EQ(out, reported[0] + "\n");
            EXPECT_EQ(m.vao, 0u);
            continue;
        }
        EXPECT_TRUE(reported.empty());
        EXPECT_EQ(out, row.out);
        ASSERT_NE(m.vao, 0u);
        EXPECT_EQ(buffer_bytes(element_buffer_of(m.vao)).size(), size_t(row.count) * 4);
        const attribute positions = attribute_of(m.vao, 0), uvs = attribute_of(m.vao, 1);
        EXPECT_EQ(positions.components, 3);
        EXPECT_EQ(buffer_bytes(positions.buffer).size(), 4u * 12) << "the first object's four corners";
        EXPECT_EQ(buffer_bytes(attribute_of(m.vao, 2).buffer).size(), 4u * 12);
        EXPECT_EQ(uvs.enabled, row.uvs);
        if (row.uvs) {
            EXPECT_EQ(uvs.components, 2);
            EXPECT_EQ(buffer_bytes(uvs.buffer).size(), 4u * 8);
        }
        GLint bound = -1;
        glGetIntegerv(GL_ARRAY_BUFFER_BINDING, &bound);
        EXPECT_EQ(bound, 0);
    }
}

// Blue wherever the model is drawn, red where the rasteriser sees a front face, green where the normal
// faces the eye.
const char* shader_sources[2] = {R"(#version 330 core
layout(location = 0) in vec3 position;
layout(location = 2) in vec3 normal;
uniform mat4 mvp;
uniform vec3 eye;
out float normal_facing;
void main() {
    normal_facing = dot(normal, eye - position) > 0.0 ? 1.0 : 0.0;
    gl_Position = mvp * vec4(position, 1.0);
}
)",
                                 R"(#version 330 core
in float normal_facing;
out vec4 colour;
void main() { colour = vec4(gl_FrontFacing ? 1.0 : 0.0, normal_facing, 1.0, 1.0); }
)"};

struct coverage {
    int drawn = 0, front = 0, normal_facing = 0;
};

// Draws m seen from eye into the current framebuffer and counts its pixels.
coverage draw_from(const mesh& m, glm::vec3 eye) {
    static GLuint program = 0;
    if (program == 0) {
        program = glCreateProgram();
        for (int i = 0; i < 2; ++i) {
            const GLuint s = glCreateShader(i == 0 ? GL_VERTEX_SHADER : GL_FRAGMENT_SHADER);
            glShaderSource(s, 1, &shader_sources[i], nullptr);
            glCompileShader(s);
            glAttachShader(program, s);
        }
        glLinkProgram(program);
        GLint ok = 0;
        glGetProgramiv(program, GL_LINK_STATUS, &ok);
        EXPECT_TRUE(ok);
    }
    const glm::vec3 up = glm::abs(eye.y) > 0.9f * glm::length(eye) ? glm::vec3(0, 0, 1) : glm::vec3(0, 1, 0);
    const glm::mat4 mvp = glm::perspective(glm::radians(45.0f), 800.0f / 600.0f, 0.5f, 30.0f) *
                          glm::lookAt(eye, glm::vec3(0), up);
    glUseProgram(program);
    glUniformMatrix4fv(glGetUniformLocation(program, "mvp"), 1, GL_FALSE, glm::value_ptr(mvp));
    glUniform3fv(glGetUniformLocation(program, "eye"), 1, glm::value_ptr(eye));
    glViewport(0, 0, 800, 600);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    m.draw();
    glUseProgram(0);
    const std::vector<uint8_t> pixels = read_back_rgb(0, 0, 800, 600);
    coverage c;
    for (size_t i = 0; i < pixels.size(); i += 3) {
        c.drawn += pixels[i + 2] > 128;
        c.front += pixels[i] > 128;
        c.normal_facing += pixels[i + 1] > 128;
    }
    return c;
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
    ~depth_target() {
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glDeleteFramebuffers(1, &framebuffer);
        glDeleteRenderbuffers(2, renderbuffers);
    }
};

TEST(boss_gl, imports_at_the_intended_size_and_shows_its_outside) {
    REQUIRE_GL_CONTEXT();
    const std::string path = "meshes/boss.dae";
    testing::internal::CaptureStdout();
    const mesh boss{path};
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "num meshes 1\n" + path + " has positions!\n" + path +
                                                          " has texture coords!\n" + path +
                                                          " has vertex normals!\n");
    EXPECT_GE(boss.count, 3 * 300);
    EXPECT_LE(boss.count, 3 * 6000);

    const std::vector<uint8_t> raw = buffer_bytes(attribute_of(boss.vao, 0).buffer);
    const glm::vec3* first = reinterpret_cast<const glm::vec3*>(raw.data());
    const std::vector<glm::vec3> positions(first, first + raw.size() / sizeof(glm::vec3));
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

    GLint front_face = 0;
    glGetIntegerv(GL_FRONT_FACE, &front_face);
    ASSERT_EQ(front_face, GL_CW);
    depth_target target;
    ASSERT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), GLenum(GL_FRAMEBUFFER_COMPLETE));
    glEnable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
    // Without culling the nearest surface wins the depth test: from outside that must be a front face,
    // and its normal must face the eye.
    glDisable(GL_CULL_FACE);
    const glm::vec3 eyes[] = {{0, 0, 6},  {0, 0, -6}, {6, 0, 0},   {-6, 0, 0}, {0, 6, 0},
                              {0, -6, 0}, {4, 3, 4},  {-4, -3, 4}, {3, 4, -4}};
    for (const glm::vec3& eye : eyes) {
        SCOPED_TRACE(testing::Message() << "eye " << eye.x << " " << eye.y << " " << eye.z);
        const coverage c = draw_from(boss, eye);
        EXPECT_GT(c.drawn, 2000);
        EXPECT_GT(c.front, 0.98 * c.drawn);
        EXPECT_GT(c.normal_facing, 0.98 * c.drawn);
    }
    // Under the game's own culling the outside still shows.
    glEnable(GL_CULL_FACE);
    EXPECT_GT(draw_from(boss, glm::vec3(4, 3, 4)).drawn, 2000);
    glEnable(GL_BLEND);
}

} // namespace
