// Faults planted in copies of the game's GLSL sources, and the data folders a bench draws them in. No GL.
#include "runners/planted_faults.h"

#include "runners/child_process.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace tarnwick::bench {

namespace fs = std::filesystem;

namespace {
// Each fault: its name, what it does, its file under shaders/ and the scenes that show it, then the text it
// replaces there and its replacement. A row per fault reads as a table.
// clang-format off
const std::vector<planted_fault> fault_table = {
    {"phong-normal-flipped", "Phong's normal flipped", "phong.frag", {"effects"},
     "vec3 n = worldNormal;", "vec3 n = -worldNormal;"},
    {"wire-edge-wrong-vertex", "wireframe edge distance from the wrong vertex", "baerentzen.geom", {"default"},
     "vec3 l0 = edge_line(c[1], c[2]);", "vec3 l0 = edge_line(c[0], c[2]);"},
    {"dissolve-threshold-inverted", "dissolve threshold inverted", "dissolver.frag", {"combat"},
     "if (above <= 0.0)", "if (above > 0.0)"},
    {"particles-half-size", "particles half their size", "particle.geom", {"combat"},
     "vec2 radius = vec2(radius_y * viewportSize.y / viewportSize.x, radius_y);",
     "vec2 radius = 0.5 * vec2(radius_y * viewportSize.y / viewportSize.x, radius_y);"},
    {"blur-frame-weighted-twice", "one motion-blur frame weighted twice", "motion.frag", {"blur"},
     "texture(textureUnit2, frameCoord).rgb * weights[2]",
     "texture(textureUnit2, frameCoord).rgb * 2.0 * weights[2]"},
    {"backdrop-v-flipped", "backdrop texture coordinates flipped in v", "texture.vert", {"default"},
     "mapCoord = texcoord;", "mapCoord = vec2(texcoord.x, 1.0 - texcoord.y);"},
    {"phong-specular-weak", "Phong's specular strength 0.55 cut to 0.1", "phong.frag", {"effects"},
     "const float specular_strength = 0.55;", "const float specular_strength = 0.1;"},
    {"wire-fill-faint", "wireframe fill opacity 0.45 cut to 0.2", "baerentzen.frag", {"default"},
     "const float fill_opacity = 0.45;", "const float fill_opacity = 0.2;"},
    {"particle-colour-cooler", "young particles orange instead of yellow", "particle.frag", {"combat"},
     "vec3(1.0, 0.75, 0.2), spriteLife", "vec3(1.0, 0.45, 0.2), spriteLife"},
    {"backdrop-channels-swapped", "backdrop texture read as BGR", "texture.frag", {"default"},
     "texture(colorMap, mapCoord).rgb", "texture(colorMap, mapCoord).bgr"},
    {"lit-dissolve-specular-weak", "lit dissolve's specular 0.6 cut to 0.2", "dissolveph.frag", {"effects"},
     "vec3(0.6) * specular", "vec3(0.2) * specular"},
    {"textured-dissolve-channels", "textured dissolve's surface read as GBR", "dissolvet.frag", {"effects"},
     "texture(renderedTexture, surfaceCoord).rgb", "texture(renderedTexture, surfaceCoord).gbr"},
    {"pink-noise-palette", "pink noise's middle colour shifted", "pink_noise.frag", {"effects"},
     "vec3 mid = vec3(0.85, 0.35, 0.45);", "vec3 mid = vec3(0.85, 0.45, 0.35);"},
    {"rainbow-seams-faint", "rainbow's dark seams half as dark", "rainbow.frag", {"effects"},
     "(0.35 + 0.65 * seam)", "(0.65 + 0.35 * seam)"},
};
// clang-format on
} // namespace

const std::vector<planted_fault>& planted_faults() { return fault_table; }

const planted_fault* find_fault(const std::string& name) {
    const auto found = std::find_if(fault_table.begin(), fault_table.end(),
                                    [&name](const planted_fault& f) { return name == f.name; });
    return found == fault_table.end() ? nullptr : &*found;
}

bool plant(const planted_fault& fault, const std::string& text, std::string& planted, std::string& error) {
    const std::string original = fault.original;
    const size_t at = text.find(original);
    if (at == std::string::npos || text.find(original, at + 1) != std::string::npos) {
        error = std::string("shaders/") + fault.file + " holds '" + original + "' " +
                (at == std::string::npos ? "nowhere" : "more than once");
        return false;
    }
    planted = text;
    planted.replace(at, original.size(), fault.replacement);
    return true;
}

std::string prepare_fault_folder(const planted_fault& fault, const std::string& data_dir,
                                 const std::string& folder) {
    std::error_code e;
    const fs::path data = fs::absolute(data_dir, e);
    const fs::path shaders = fs::path(folder) / "shaders";
    fs::remove_all(shaders, e);
    fs::create_directories(folder, e);
    fs::copy(data / "shaders", shaders, fs::copy_options::recursive, e);
    if (e)
        return "cannot copy " + (data / "shaders").string() + " to " + shaders.string() + ": " + e.message();
    for (const char* linked : {"textures", "meshes"}) {
        const fs::path link = fs::path(folder) / linked;
        fs::remove(link, e);
        const fs::path target = fs::canonical(data / linked, e);
        if (!e)
            fs::create_directory_symlink(target, link, e);
        if (e)
            return "cannot link " + link.string() + " to " + (data / linked).string() + ": " + e.message();
    }
    const fs::path file = shaders / fault.file;
    std::ifstream in(file);
    std::stringstream text;
    text << in.rdbuf();
    std::string planted, error;
    if (!in || !plant(fault, text.str(), planted, error))
        return error.empty() ? "cannot read " + file.string() : error;
    std::ofstream out(file, std::ios::trunc);
    out << planted;
    out.close();
    return out ? std::string() : "cannot write " + file.string();
}

} // namespace tarnwick::bench
