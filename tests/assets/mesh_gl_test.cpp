// GPU meshes under a real context: built-in solids as uploaded, empty kinds, and model import. The shipped
// boss is in the bench's reference pictures.
#include "assets/mesh.h"
#include "gl_test.h"
#include "temp_workdir.h"

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

// Kinds past the solids stay empty, without a vertex array.
TEST(mesh_gl, built_in_solids_upload_their_tables) {
    REQUIRE_GL_CONTEXT();
    for (int kind = 0; kind <= built_in_solid_kinds; ++kind) {
        SCOPED_TRACE("kind " + std::to_string(kind));
        const mesh m(kind);
        const solid_arrays s = built_in_solid(kind);
        EXPECT_EQ(m.count, GLsizei(s.indices.size()));
        EXPECT_EQ(m.vao == 0, s.indices.empty());
        if (s.indices.empty())
            continue;
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
        EXPECT_EQ(buffer_bytes(element_buffer_of(m.vao)), s.indices);
    }
    GLint bound = -1;
    glGetIntegerv(GL_VERTEX_ARRAY_BINDING, &bound);
    EXPECT_EQ(bound, 0);
}

std::vector<std::string> reported;

// Only the first mesh's triangles, with its log on standard output; a failure's text goes to standard output
// and, once, to the reporter, and leaves the mesh empty. Buffer sizes against the indices are the model
// corpus replay's.
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
            EXPECT_NE(reported[0], "");
            EXPECT_EQ(out, reported[0] + "\n");
            EXPECT_EQ(m.vao, 0u);
            continue;
        }
        EXPECT_TRUE(reported.empty());
        EXPECT_EQ(out, row.out);
        EXPECT_EQ(buffer_bytes(attribute_of(m.vao, 0).buffer).size(), 4u * 12)
            << "the first object's four corners";
        EXPECT_EQ(attribute_of(m.vao, 1).enabled, row.uvs);
    }
}

} // namespace
