// Model import under a real context: what it prints, which mesh it takes, and how a failure is told. The
// built-in solids and the shipped boss are in the bench's reference pictures; broken files in the model
// corpus replay.
#include "assets/mesh.h"
#include "gl_test.h"
#include "temp_workdir.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

std::vector<std::string> reported;

// Bytes of the buffer behind attribute location of the vertex array, 0 when it is not enabled.
GLint attribute_bytes(GLuint vao, GLuint location) {
    GLint enabled = 0, buffer = 0, size = 0;
    glBindVertexArray(vao);
    glGetVertexAttribiv(location, GL_VERTEX_ATTRIB_ARRAY_ENABLED, &enabled);
    glGetVertexAttribiv(location, GL_VERTEX_ATTRIB_ARRAY_BUFFER_BINDING, &buffer);
    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, GLuint(buffer));
    glGetBufferParameteriv(GL_ARRAY_BUFFER, GL_BUFFER_SIZE, &size);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    return enabled ? size : 0;
}

// Only the first mesh's triangles, with its log on standard output; a failure's text goes to standard output
// and, once, to the reporter, and leaves the mesh empty. Which texts reach the reporter is the replay's.
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
    const struct {
        const char* path;
        const char* out; // the import's log; empty where it must be the failure report
        GLsizei count;
        GLint uv_bytes;
    } rows[] = {
        {"two.obj",
         "num meshes 2\ntwo.obj has positions!\ntwo.obj has texture coords!\n"
         "two.obj has vertex normals!\n",
         6, 4 * 8},
        {"bare.obj",
         "num meshes 1\nbare.obj has positions!\nbare.objhas no texture coords!\n"
         "bare.obj has vertex normals!\n",
         6, 0},
        {"missing/boss.dae", "", 0, 0},
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
        if (row.count == 0) {
            ASSERT_EQ(reported.size(), 1u);
            EXPECT_EQ(out, reported[0] + "\n");
            EXPECT_EQ(m.vao, 0u);
            continue;
        }
        EXPECT_EQ(out, row.out);
        EXPECT_EQ(attribute_bytes(m.vao, 0), 4 * 12) << "the first object's four corners";
        EXPECT_EQ(attribute_bytes(m.vao, 1), row.uv_bytes);
    }
}

} // namespace
