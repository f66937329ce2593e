// The fatal paths of building a program: each ends the process with status 1 and its exact message. The
// stages are the shipped files (the tests run from the build directory), put together wrongly.
#include "render/shader.h"
#include "gl_test.h"

#include <cstdlib>
#include <gmock/gmock-matchers.h>
#include <gtest/gtest.h>
#include <string>

namespace {
// A shader with no uniforms of its own, for feeding arbitrary stages.
class bare_shader : public shader {
  protected:
    void init_uniforms() override {}
};

// Runs in the death test's child (the parent never opens a display): opens a context, adds the stages and
// compiles them the given number of times.
void build(const std::vector<shader::source>& stages, int compiles) {
    if (!open_gl_context())
        std::exit(99);
    bare_shader s;
    for (const shader::source& stage : stages)
        s.add_source(stage.first, stage.second);
    for (int i = 0; i < compiles; ++i)
        s.compile();
    std::exit(0);
}

TEST(shader_fatal, each_failure_ends_with_its_message_and_status_one) {
    if (!std::getenv("DISPLAY"))
        GTEST_SKIP() << "no X display";
    const GLenum V = GL_VERTEX_SHADER, F = GL_FRAGMENT_SHADER;
    const shader::source vertex{V, "shaders/motion.vert"}, fragment{F, "shaders/motion.frag"};
    struct row {
        const char* what;
        std::vector<shader::source> stages;
        int compiles;
        std::string message;
    };
    // Each message once; a folder is the one path that opens and then fails to read.
    const row table[] = {
        {"missing file",
         {vertex, {F, "shaders/none.frag"}},
         1,
         "Could not open shader file shaders/none.frag.\n"},
        {"folder as a file", {{V, "shaders"}}, 1, "Could not open shader file shaders.\n"},
        {"a model file as the fragment stage",
         {vertex, {F, "meshes/boss.dae"}},
         1,
         "Compile failure in fragment shader (meshes/boss.dae):\n"},
        {"two vertex stages, each with its main", {vertex, {V, "shaders/phong.vert"}}, 1, "Linker failure: "},
        {"second compile", {vertex, fragment}, 2, "Tried to (re)compile shader program without shaders.\n"},
    };
    for (const row& r : table)
        EXPECT_EXIT(build(r.stages, r.compiles), testing::ExitedWithCode(1), testing::HasSubstr(r.message))
            << r.what;
    // The control: the same stages compile, link and return once.
    EXPECT_EXIT(build({vertex, fragment}, 1), testing::ExitedWithCode(0), "");
}
} // namespace
