// The fatal paths of building a program: each ends the process with status 1 and its exact message.
#include "render/shader.h"
#include "render/shader_set.h"
#include "gl_test.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <regex>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {
// A shader with no uniforms of its own, for feeding arbitrary stages.
class bare_shader : public shader {
  protected:
    void init_uniforms() override {}
};

// The stage files of the table, in a scratch folder removed again by the parent. The mismatched fragment
// stage reads the vertex stage's output with another type: it compiles alone and fails to link.
struct scratch {
    fs::path dir;
    scratch() {
        char name[] = "/tmp/tarnwick_shader_XXXXXX";
        dir = mkdtemp(name);
        const char* broken = "#version 330\nvoid main() { this is not glsl }\n";
        const std::pair<const char*, const char*> files[] = {
            {"good.vert", "#version 330\nlayout(location = 0) in vec4 position;\nout vec3 shade;\n"
                          "void main() { shade = position.xyz; gl_Position = position; }\n"},
            {"good.frag",
             "#version 330\nin vec3 shade;\nout vec4 colour;\nvoid main() { colour = vec4(shade, 1.0); }\n"},
            {"mismatch.frag", "#version 330\nin vec2 shade;\nout vec4 colour;\nvoid main() { colour = "
                              "vec4(shade, 0.0, 1.0); }\n"},
            {"broken.vert", broken},
            {"broken.geom", broken},
            {"broken.frag", broken},
            {"empty.vert", ""}};
        for (const auto& [file, text] : files)
            std::ofstream(dir / file) << text;
        fs::create_directory(dir / "folder.vert");
    }
    ~scratch() { fs::remove_all(dir); }
    std::string operator/(const std::string& name) const { return (dir / name).string(); }
};

// Escapes a literal text for the death-test matcher (POSIX extended regular expressions).
std::string literal(const std::string& text) {
    return std::regex_replace(text, std::regex(R"([\\^$.|?*+()[\]{}])"), R"(\$&)");
}

bool have_display() { return std::getenv("DISPLAY") != nullptr; }

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

std::string cannot_open(const std::string& path) { return "Could not open shader file " + path + ".\n"; }
std::string compile_failure(const std::string& stage, const std::string& path) {
    return "Compile failure in " + stage + " shader (" + path + "):\n";
}

TEST(shader_fatal, each_failure_ends_with_its_message_and_status_one) {
    if (!have_display())
        GTEST_SKIP() << "no X display";
    const scratch f;
    const GLenum V = GL_VERTEX_SHADER, G = GL_GEOMETRY_SHADER, F = GL_FRAGMENT_SHADER;
    const std::string recompile = "Tried to (re)compile shader program without shaders.\n";
    struct row {
        const char* what;
        std::vector<shader::source> stages;
        int compiles;
        std::string message;
    };
    const row table[] = {
        {"missing vertex file", {{V, "shaders/x.vert"}}, 1, cannot_open("shaders/x.vert")},
        {"missing second file",
         {{V, f / "good.vert"}, {F, f / "none.frag"}},
         1,
         cannot_open(f / "none.frag")},
        {"directory as a file", {{V, f / "folder.vert"}}, 1, cannot_open(f / "folder.vert")},
        {"empty vertex file", {{V, f / "empty.vert"}}, 1, compile_failure("vertex", f / "empty.vert")},
        {"broken vertex stage", {{V, f / "broken.vert"}}, 1, compile_failure("vertex", f / "broken.vert")},
        {"broken geometry stage",
         {{V, f / "good.vert"}, {G, f / "broken.geom"}},
         1,
         compile_failure("geometry", f / "broken.geom")},
        {"broken fragment stage",
         {{V, f / "good.vert"}, {F, f / "broken.frag"}},
         1,
         compile_failure("fragment", f / "broken.frag")},
        {"unknown stage type",
         {{GL_TESS_CONTROL_SHADER + 0x1000, f / "good.vert"}},
         1,
         compile_failure("", f / "good.vert")},
        {"stages that do not link", {{V, f / "good.vert"}, {F, f / "mismatch.frag"}}, 1, "Linker failure: "},
        {"no stages", {}, 1, recompile},
        {"second compile", {{V, f / "good.vert"}, {F, f / "good.frag"}}, 2, recompile},
    };
    for (const row& r : table) {
        EXPECT_EXIT(build(r.stages, r.compiles), testing::ExitedWithCode(1), literal(r.message)) << r.what;
    }
    // The control: the same stages compile, link and return once.
    EXPECT_EXIT(build({{V, f / "good.vert"}, {F, f / "good.frag"}}, 1), testing::ExitedWithCode(0), "");
}

TEST(shader_fatal, a_missing_file_of_any_program_stops_the_shader_set) {
    if (!have_display())
        GTEST_SKIP() << "no X display";
    const scratch f;
    const fs::path copy = f.dir / "shaders";
    fs::copy(fs::current_path() / "shaders", copy);
    std::vector<std::string> names;
    for (const fs::directory_entry& e : fs::directory_iterator(copy))
        names.push_back(e.path().filename().string());
    ASSERT_EQ(names.size(), 22u) << "run from the build directory";
    for (const std::string& missing : names) {
        fs::rename(copy / missing, f.dir / missing);
        EXPECT_EXIT(
            {
                if (chdir(f.dir.c_str()) != 0 || !open_gl_context())
                    std::exit(99);
                shaders = new shader_set();
                std::exit(0);
            },
            testing::ExitedWithCode(1), literal(cannot_open("shaders/" + missing)))
            << missing;
        fs::rename(f.dir / missing, copy / missing);
    }
}
} // namespace
