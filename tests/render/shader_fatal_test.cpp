// The fatal paths of building a program: each ends the process with status 1 and its exact message.
#include "render/shader.h"
#include "render/shader_set.h"
#include "support/gl_context.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {
// A shader with no uniforms of its own, for feeding arbitrary stages.
class bare_shader : public shader {
  protected:
    void init_uniforms() override {}
};

const char* good_vertex = "#version 330\nlayout(location = 0) in vec4 position;\nout vec3 shade;\n"
                          "void main() { shade = position.xyz; gl_Position = position; }\n";
const char* good_fragment =
    "#version 330\nin vec3 shade;\nout vec4 colour;\nvoid main() { colour = vec4(shade, 1.0); }\n";
// Reads the vertex stage's output with another type: compiles alone, fails to link.
const char* mismatched_fragment =
    "#version 330\nin vec2 shade;\nout vec4 colour;\nvoid main() { colour = vec4(shade, 0.0, 1.0); }\n";
const char* broken = "#version 330\nvoid main() { this is not glsl }\n";

// A scratch folder with the stage files of the table, removed again by the parent.
struct scratch {
    fs::path dir;
    scratch() {
        char name[] = "/tmp/tarnwick_shader_XXXXXX";
        dir = mkdtemp(name);
        write("good.vert", good_vertex);
        write("good.frag", good_fragment);
        write("mismatch.frag", mismatched_fragment);
        write("broken.vert", broken);
        write("broken.geom", broken);
        write("broken.frag", broken);
        write("empty.vert", "");
        fs::create_directory(dir / "folder.vert");
    }
    ~scratch() { fs::remove_all(dir); }
    void write(const std::string& name, const char* text) const { std::ofstream(dir / name) << text; }
    std::string operator/(const std::string& name) const { return (dir / name).string(); }
};

// Escapes a literal text for the death-test matcher (POSIX extended regular expressions).
std::string literal(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (std::string("\\^$.|?*+()[]{}").find(c) != std::string::npos)
            out += '\\';
        out += c;
    }
    return out;
}

bool have_display() { return std::getenv("DISPLAY") != nullptr; }

// Death tests fork without re-running the program: the parent never opens a display, so the child starts
// clean and opens its own. Opens the context inside the child process, builds the stages and compiles (twice
// when asked).
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
    if (!have_display())
        GTEST_SKIP() << "no X display";
    const scratch files;
    struct row {
        const char* what;
        std::vector<shader::source> stages;
        int compiles;
        std::string message;
    };
    const row table[] = {
        {"missing vertex file",
         {{GL_VERTEX_SHADER, "shaders/x.vert"}},
         1,
         "Could not open shader file shaders/x.vert.\n"},
        {"missing second file",
         {{GL_VERTEX_SHADER, files / "good.vert"}, {GL_FRAGMENT_SHADER, files / "none.frag"}},
         1,
         "Could not open shader file " + files / "none.frag" + ".\n"},
        {"directory as a file",
         {{GL_VERTEX_SHADER, files / "folder.vert"}},
         1,
         "Could not open shader file " + files / "folder.vert" + ".\n"},
        {"empty vertex file",
         {{GL_VERTEX_SHADER, files / "empty.vert"}},
         1,
         "Compile failure in vertex shader (" + files / "empty.vert" + "):\n"},
        {"broken vertex stage",
         {{GL_VERTEX_SHADER, files / "broken.vert"}},
         1,
         "Compile failure in vertex shader (" + files / "broken.vert" + "):\n"},
        {"broken geometry stage",
         {{GL_VERTEX_SHADER, files / "good.vert"}, {GL_GEOMETRY_SHADER, files / "broken.geom"}},
         1,
         "Compile failure in geometry shader (" + files / "broken.geom" + "):\n"},
        {"broken fragment stage",
         {{GL_VERTEX_SHADER, files / "good.vert"}, {GL_FRAGMENT_SHADER, files / "broken.frag"}},
         1,
         "Compile failure in fragment shader (" + files / "broken.frag" + "):\n"},
        {"unknown stage type",
         {{GL_TESS_CONTROL_SHADER + 0x1000, files / "good.vert"}},
         1,
         "Compile failure in  shader (" + files / "good.vert" + "):\n"},
        {"stages that do not link",
         {{GL_VERTEX_SHADER, files / "good.vert"}, {GL_FRAGMENT_SHADER, files / "mismatch.frag"}},
         1,
         "Linker failure: "},
        {"no stages", {}, 1, "Tried to (re)compile shader program without shaders.\n"},
        {"second compile",
         {{GL_VERTEX_SHADER, files / "good.vert"}, {GL_FRAGMENT_SHADER, files / "good.frag"}},
         2,
         "Tried to (re)compile shader program without shaders.\n"},
    };
    for (const row& r : table) {
        EXPECT_EXIT(build(r.stages, r.compiles), testing::ExitedWithCode(1), literal(r.message)) << r.what;
    }
    // The control: the same stages compile, link and return once.
    EXPECT_EXIT(
        build({{GL_VERTEX_SHADER, files / "good.vert"}, {GL_FRAGMENT_SHADER, files / "good.frag"}}, 1),
        testing::ExitedWithCode(0), "");
}

TEST(shader_fatal, a_missing_file_of_any_program_stops_the_shader_set) {
    if (!have_display())
        GTEST_SKIP() << "no X display";
    const fs::path source = fs::current_path() / "shaders";
    ASSERT_TRUE(fs::is_directory(source)) << "run from the build directory";
    std::vector<std::string> names;
    for (const fs::directory_entry& e : fs::directory_iterator(source))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    ASSERT_EQ(names.size(), 22u);

    char name[] = "/tmp/tarnwick_shaders_XXXXXX";
    const fs::path dir = mkdtemp(name);
    fs::create_directory(dir / "shaders");
    for (const std::string& missing : names) {
        for (const std::string& n : names)
            if (n != missing)
                fs::copy_file(source / n, dir / "shaders" / n, fs::copy_options::overwrite_existing);
        fs::remove(dir / "shaders" / missing);
        EXPECT_EXIT(
            {
                if (chdir(dir.c_str()) != 0 || !open_gl_context())
                    std::exit(99);
                shaders = new shader_set();
                std::exit(0);
            },
            testing::ExitedWithCode(1), literal("Could not open shader file shaders/" + missing + ".\n"))
            << missing;
    }
    fs::remove_all(dir);
}
} // namespace
