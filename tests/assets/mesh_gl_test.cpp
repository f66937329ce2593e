// GPU meshes under a real context: built-in solids as uploaded, empty kinds, and model import.
#include "assets/mesh.h"
#include "support/gl_context.h"
#include "temp_workdir.h"

#include <cmath>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace {

GLint buffer_size(GLuint buffer) {
    GLint size = -1;
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    glGetBufferParameteriv(GL_ARRAY_BUFFER, GL_BUFFER_SIZE, &size);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    return size;
}

std::vector<uint8_t> buffer_bytes(GLuint buffer) {
    std::vector<uint8_t> out(size_t(buffer_size(buffer)));
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    glGetBufferSubData(GL_ARRAY_BUFFER, 0, GLsizeiptr(out.size()), out.data());
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
    } rows[] = {{0, 36}, {1, 12}, {2, 24}, {3, 18}};
    for (const auto& row : rows) {
        SCOPED_TRACE("kind " + std::to_string(row.kind));
        mesh m(row.kind);
        const solid_arrays s = built_in_solid(row.kind);
        EXPECT_NE(m.vao, 0u);
        EXPECT_EQ(m.count, row.count);
        EXPECT_EQ(m.mode, GLenum(GL_TRIANGLES));
        EXPECT_EQ(m.index_type, GLenum(GL_UNSIGNED_BYTE));

        const GLint vertices = GLint(s.positions.size());
        const struct {
            GLuint location;
            GLint components;
            GLint bytes_per_vertex;
            std::vector<uint8_t> content;
        } attributes[] = {{0, 4, 16, as_bytes(s.positions)},
                          {1, 2, 8, as_bytes(s.texcoords)},
                          {2, 3, 12, as_bytes(s.normals)}};
        for (const auto& a : attributes) {
            SCOPED_TRACE("location " + std::to_string(a.location));
            const attribute got = attribute_of(m.vao, a.location);
            EXPECT_TRUE(got.enabled);
            EXPECT_EQ(got.components, a.components);
            ASSERT_NE(got.buffer, 0u);
            EXPECT_EQ(buffer_size(got.buffer), vertices * a.bytes_per_vertex);
            EXPECT_EQ(buffer_bytes(got.buffer), a.content);
        }
        const GLuint elements = element_buffer_of(m.vao);
        ASSERT_NE(elements, 0u);
        EXPECT_EQ(buffer_size(elements), row.count);
        EXPECT_EQ(buffer_bytes(elements), s.indices);
    }
    GLint bound = -1;
    glGetIntegerv(GL_VERTEX_ARRAY_BINDING, &bound);
    EXPECT_EQ(bound, 0);
}

TEST(mesh_gl, other_kinds_are_empty) {
    REQUIRE_GL_CONTEXT();
    for (int kind : {4, -1, 57005}) {
        mesh m(kind);
        EXPECT_EQ(m.vao, 0u) << kind;
        EXPECT_EQ(m.count, 0) << kind;
    }
}

std::vector<std::string> reported;
void record_failure(const std::string& text) { reported.push_back(text); }

// Imports path with a recording reporter; returns what the import wrote to standard output.
std::string import_captured(std::unique_ptr<mesh>& m, const std::string& path) {
    reported.clear();
    set_import_failure_reporter(record_failure);
    testing::internal::CaptureStdout();
    m = std::make_unique<mesh>(path);
    const std::string out = testing::internal::GetCapturedStdout();
    set_import_failure_reporter(nullptr);
    return out;
}

const char* two_objects_obj = "o first\n"
                              "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\n"
                              "vt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\n"
                              "f 1/1 2/2 3/3\nf 1/1 3/3 4/4\n"
                              "o second\n"
                              "v 0 0 2\nv 2 0 2\nv 2 2 2\nv 0 2 2\nv 5 5 5\n"
                              "f 5/1 6/2 7/3\nf 5/1 7/3 8/4\nf 5/1 8/4 9/1\n";

TEST(mesh_gl, import_uses_the_first_of_several_meshes) {
    REQUIRE_GL_CONTEXT();
    temp_workdir dir;
    temp_workdir::write("two.obj", two_objects_obj);
    std::unique_ptr<mesh> m;
    const std::string out = import_captured(m, "two.obj");
    EXPECT_TRUE(reported.empty());
    EXPECT_EQ(out, "num meshes 2\n"
                   "two.obj has positions!\n"
                   "two.obj has texture coords!\n"
                   "two.obj has vertex normals!\n");
    EXPECT_EQ(m->count, 6);
    EXPECT_EQ(m->index_type, GLenum(GL_UNSIGNED_INT));
    ASSERT_NE(m->vao, 0u);
    EXPECT_EQ(buffer_size(element_buffer_of(m->vao)), 6 * 4);
    const attribute positions = attribute_of(m->vao, 0);
    EXPECT_EQ(positions.components, 3);
    EXPECT_EQ(buffer_size(positions.buffer), 4 * 12);
    const attribute uvs = attribute_of(m->vao, 1);
    EXPECT_EQ(uvs.components, 2);
    EXPECT_EQ(buffer_size(uvs.buffer), 4 * 8);
    EXPECT_EQ(buffer_size(attribute_of(m->vao, 2).buffer), 4 * 12);
    // Only the first object's four corners, none of the second's.
    std::vector<uint8_t> raw = buffer_bytes(positions.buffer);
    const float* xyz = reinterpret_cast<const float*>(raw.data());
    for (int i = 0; i < 12; ++i)
        EXPECT_LE(std::abs(xyz[i]), 1.0f);
    GLint bound = -1;
    glGetIntegerv(GL_ARRAY_BUFFER_BINDING, &bound);
    EXPECT_EQ(bound, 0);
}

TEST(mesh_gl, import_reports_missing_channels_and_skips_non_triangles) {
    REQUIRE_GL_CONTEXT();
    temp_workdir dir;
    // A quad (triangulated into two), a line and a point in one object, no texture coordinates.
    temp_workdir::write("bare.obj", "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\n"
                                    "f 1 2 3 4\nl 1 3\np 2\n");
    std::unique_ptr<mesh> m;
    const std::string out = import_captured(m, "bare.obj");
    EXPECT_TRUE(reported.empty());
    EXPECT_NE(out.find("bare.objhas no texture coords!\n"), std::string::npos) << out;
    EXPECT_NE(out.find("bare.obj has positions!\n"), std::string::npos) << out;
    EXPECT_EQ(m->count, 6);
    EXPECT_EQ(buffer_size(element_buffer_of(m->vao)), m->count * 4);
    EXPECT_FALSE(attribute_of(m->vao, 1).enabled);
    EXPECT_TRUE(attribute_of(m->vao, 0).enabled);
}

TEST(mesh_gl, failed_imports_report_and_leave_an_empty_mesh) {
    REQUIRE_GL_CONTEXT();
    temp_workdir dir;
    temp_workdir::write("empty.dae", R"(<?xml version="1.0" encoding="utf-8"?>
<COLLADA xmlns="http://www.collada.org/2005/11/COLLADASchema" version="1.4.1">
  <asset><up_axis>Y_UP</up_axis></asset>
  <library_visual_scenes><visual_scene id="s"><node id="n"/></visual_scene></library_visual_scenes>
  <scene><instance_visual_scene url="#s"/></scene>
</COLLADA>
)");
    temp_workdir::write("garbage.dae", "this is not a model\n");
    for (const char* path : {"missing/boss.dae", "empty.dae", "garbage.dae"}) {
        SCOPED_TRACE(path);
        std::unique_ptr<mesh> m;
        const std::string out = import_captured(m, path);
        ASSERT_EQ(reported.size(), 1u);
        EXPECT_FALSE(reported[0].empty());
        EXPECT_EQ(out, reported[0] + "\n");
        EXPECT_EQ(m->vao, 0u);
        EXPECT_EQ(m->count, 0);
        EXPECT_EQ(m->index_type, GLenum(GL_UNSIGNED_INT));
    }
}

} // namespace
