// What the context must offer before the shaders compile, judged from the driver's version strings.
#include "app/gl_requirements.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace {
TEST(gl_requirements, versions_from_3_3_with_glsl_3_30_are_enough) {
    struct row {
        const char* version;
        const char* glsl;
        // Empty: enough; else the end of the message.
        const char* offers;
    };
    const row table[] = {
        {"4.5 (Compatibility Profile) Mesa 22.3.6", "4.50", ""},
        {"3.3 (Compatibility Profile) Mesa 22.3.6", "3.30", ""},
        {"10.0", "10.00", ""},
        {"3.2 (Compatibility Profile) Mesa 22.3.6", "1.50", "offers OpenGL 3.2 with GLSL 1.50."},
        {"3.0 Mesa 22.3.6", "4.50", "offers OpenGL 3.0."},
        {"2.1 Mesa 22.3.6", "4.50", "offers OpenGL 2.1."},
        {"4.6", "1.30", "offers OpenGL 4.6 with GLSL 1.30."},
        {"", "", "offers an OpenGL version it does not name without GLSL."},
    };
    for (const row& r : table) {
        const std::string message = gl_shortfall("some renderer", r.version, r.glsl);
        if (*r.offers == '\0') {
            EXPECT_EQ(message, "") << r.version;
            continue;
        }
        EXPECT_EQ(
            message.rfind("Tarnwick needs OpenGL 3.3 with GLSL 3.30 and geometry shaders; this driver (some "
                          "renderer, version \"" +
                              std::string(r.version) + "\") ",
                          0),
            0u)
            << message;
        const std::string offers = r.offers;
        EXPECT_EQ(message.substr(message.size() - std::min(message.size(), offers.size())), offers)
            << message;
    }
}

// The requirement follows the shaders: every source declares the version start-up checks for.
TEST(gl_requirements, every_shader_declares_the_checked_version) {
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator("shaders")) {
        std::ifstream in(entry.path());
        std::string first;
        std::getline(in, first);
        EXPECT_EQ(first, "#version " + std::to_string(required_glsl_version)) << entry.path();
        ++files;
    }
    EXPECT_EQ(files, 22);
}
} // namespace
