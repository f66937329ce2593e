// Renders every effect into PPM pictures for looking at: `tools/effect_gallery DIR` from the build directory.
#include "app/shell/shell.h"
#include "assets/mesh.h"
#include "game/particle_buffer.h"
#include "render/camera.h"
#include "render/frame_composition.h"
#include "render/shader_set.h"
#include "support/gl_context.h"
#include "support/probe_mesh.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>
#include <string>
#include <vector>

namespace {
// Where the four solids stand in each picture: a 2 x 2 grid six units in front of the camera.
const glm::vec3 places[4] = {{1.6f, 0.8f, 6}, {-1.6f, 0.8f, 6}, {1.6f, -1.0f, 6}, {-1.6f, -1.0f, 6}};
std::string out_dir;
mesh* solids[4];

glm::mat4 pose(glm::vec3 at, float yaw, float pitch, float scale) {
    glm::mat4 m = glm::translate(glm::mat4(1.0f), at);
    m = glm::rotate(m, glm::radians(yaw), glm::vec3(0, 1, 0));
    m = glm::rotate(m, glm::radians(pitch), glm::vec3(1, 0, 0));
    return glm::scale(m, glm::vec3(scale));
}

void draw_mesh(const model_shader* s, const mesh* m, const glm::mat4& model) {
    glUseProgram(s->program);
    glUniformMatrix4fv(s->model_matrix_location, 1, GL_FALSE, glm::value_ptr(model));
    m->draw();
}

void save(const std::string& name) {
    save_back_buffer_ppm(out_dir + "/" + name + ".ppm");
    std::printf("wrote %s/%s.ppm\n", out_dir.c_str(), name.c_str());
}

// A tileable grey cloud texture (sum of value-noise octaves), mipmapped, repeating, on the bound unit.
float lattice(int x, int y, int period, unsigned seed) {
    x = ((x % period) + period) % period;
    y = ((y % period) + period) % period;
    unsigned h = unsigned(x) * 374761393u + unsigned(y) * 668265263u + seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return float((h ^ (h >> 16)) & 0xffffu) / 65535.0f;
}

float smooth_noise(float x, float y, int period, unsigned seed) {
    const int x0 = int(std::floor(x)), y0 = int(std::floor(y));
    const float fx = x - float(x0), fy = y - float(y0);
    const float ux = fx * fx * (3 - 2 * fx), uy = fy * fy * (3 - 2 * fy);
    const float a = lattice(x0, y0, period, seed), b = lattice(x0 + 1, y0, period, seed);
    const float c = lattice(x0, y0 + 1, period, seed), d = lattice(x0 + 1, y0 + 1, period, seed);
    return (a + (b - a) * ux) * (1 - uy) + (c + (d - c) * ux) * uy;
}

GLuint make_cloud_texture(int size, unsigned seed) {
    std::vector<unsigned char> pixels(size_t(size) * size_t(size) * 3);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            float sum = 0, amplitude = 1, total = 0;
            for (int octave = 0, period = 4; octave < 5; ++octave, period *= 2, amplitude *= 0.5f) {
                const float scale = float(period) / float(size);
                sum += amplitude *
                       smooth_noise(float(x) * scale, float(y) * scale, period, seed + unsigned(octave));
                total += amplitude;
            }
            // Stretch the octave sum, which clusters round one half, over the whole range.
            const float v = glm::clamp((sum / total - 0.5f) * 2.2f + 0.5f, 0.0f, 1.0f);
            const size_t i = (size_t(y) * size_t(size) + size_t(x)) * 3;
            pixels[i] = pixels[i + 1] = pixels[i + 2] = (unsigned char)(v * 255.0f + 0.5f);
        }
    }
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, size, size, 0, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glGenerateMipmap(GL_TEXTURE_2D);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    return texture;
}

GLuint make_star_texture() {
    const int size = 512;
    std::vector<unsigned char> pixels(size * size * 3);
    for (size_t i = 0; i < pixels.size(); i += 3) {
        pixels[i] = 4;
        pixels[i + 1] = 5;
        pixels[i + 2] = 12;
    }
    std::srand(7);
    for (int n = 0; n < 900; ++n) {
        const int x = std::rand() % size, y = std::rand() % size;
        const int b = 90 + std::rand() % 166;
        const size_t i = (size_t(y) * size + size_t(x)) * 3;
        pixels[i] = (unsigned char)b;
        pixels[i + 1] = (unsigned char)b;
        pixels[i + 2] = (unsigned char)std::min(255, b + 30);
    }
    GLuint t = 0;
    glGenTextures(1, &t);
    glBindTexture(GL_TEXTURE_2D, t);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, size, size, 0, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    glGenerateMipmap(GL_TEXTURE_2D);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    return t;
}

GLuint stars = 0;
GLuint clouds = 0;

void draw_backdrop() {
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, stars);
    glUseProgram(shaders->texture->program);
    glUniform1i(shaders->texture->color_map_location, 0);
    draw_mesh(shaders->texture, solids[0], glm::scale(glm::mat4(1.0f), glm::vec3(-30.0f)));
}

void wireframe_scene(float spin) {
    const glm::vec4 colours[4] = {
        {0.2f, 1.0f, 0.4f, 1}, {1.0f, 0.5f, 0.1f, 1}, {0.3f, 0.7f, 1.0f, 1}, {1, 0.3f, 0.8f, 1}};
    for (int k = 0; k < 4; ++k) {
        glUseProgram(shaders->baerentzen->program);
        glUniform4fv(shaders->baerentzen->wire_color_location, 1, glm::value_ptr(colours[k]));
        draw_mesh(shaders->baerentzen, solids[k],
                  pose(places[k], 30.0f + spin + 20.0f * float(k), 25.0f, 1.4f));
    }
}

// Every picture starts from black with the star backdrop.
void begin_picture() {
    clear_to(0, 0, 0);
    draw_backdrop();
}

void texture_picture() {
    begin_picture();
    save("texture");
}

void wireframe_picture() {
    begin_picture();
    wireframe_scene(0.0f);
    save("baerentzen");
}

// A large triangle with one corner behind the camera.
void wireframe_crossing_picture() {
    begin_picture();
    const std::vector<glm::vec4> p = {
        {2.0f, -1.0f, 3.0f, 1}, {0.0f, 1.5f, 4.0f, 1}, {-1.0f, -0.5f, -4.0f, 1}};
    const probe_mesh crossing(p, {{0, 0}, {0, 1}, {1, 0}}, std::vector<glm::vec3>(3, {0, 0, -1}),
                              {0, 1, 2, 0, 2, 1});
    const glm::vec4 c(1.0f, 0.85f, 0.2f, 1.0f);
    glUseProgram(shaders->baerentzen->program);
    glUniform4fv(shaders->baerentzen->wire_color_location, 1, glm::value_ptr(c));
    const glm::mat4 identity(1.0f);
    glUniformMatrix4fv(shaders->baerentzen->model_matrix_location, 1, GL_FALSE, glm::value_ptr(identity));
    crossing.draw();
    save("baerentzen_crossing");
}

// Cubes and octahedra at four stages of a dissolve program, from just hit to nearly gone.
void dissolve_picture(const char* name, const model_shader* program, GLint factor_location,
                      GLint cloud_location) {
    begin_picture();
    const float factors[4] = {199.0f / 255.0f, 0.55f, 0.3f, 0.08f};
    for (int k = 0; k < 4; ++k) {
        glActiveTexture(GL_TEXTURE0);
        glBindTexture(GL_TEXTURE_2D, clouds);
        glUseProgram(program->program);
        glUniform1f(factor_location, factors[k]);
        glUniform1i(cloud_location, 0);
        const glm::vec3 at(2.4f - 1.6f * float(k), 0.0f, 6.0f);
        draw_mesh(program, solids[k % 2 == 0 ? 0 : 2], pose(at, 35.0f, 25.0f, 1.2f));
    }
    save(name);
}

void phong_picture() {
    begin_picture();
    const glm::vec4 colours[4] = {
        {0.8f, 0.2f, 0.2f, 1}, {0.2f, 0.6f, 0.9f, 1}, {0.9f, 0.8f, 0.3f, 1}, {0.6f, 0.3f, 0.9f, 0.5f}};
    for (int k = 0; k < 4; ++k) {
        glUseProgram(shaders->phong->program);
        glUniform4fv(shaders->phong->diffuse_color_location, 1, glm::value_ptr(colours[k]));
        draw_mesh(shaders->phong, solids[k], pose(places[k], 30.0f + 20.0f * float(k), 25.0f, 1.4f));
    }
    save("phong");
}

// The four solids with a program that needs no uniforms beyond its model matrix.
void solids_picture(const char* name, const model_shader* program) {
    begin_picture();
    for (int k = 0; k < 4; ++k)
        draw_mesh(program, solids[k], pose(places[k], 30.0f + 20.0f * float(k), 25.0f, 1.4f));
    save(name);
}

// A few shots' worth of particles, drifting from heads towards the camera.
void particle_picture() {
    begin_picture();
    std::vector<particle_struct> records;
    std::srand(11);
    for (int shot = 0; shot < 4; ++shot) {
        const glm::vec3 head(1.5f - float(shot), 0.4f * float(shot) - 0.6f, 5.0f + float(shot));
        for (int i = 0; i < 25; ++i) {
            const float life = float(std::rand()) / float(RAND_MAX);
            const float age = 1.0f - life;
            const float a = (float(std::rand()) / float(RAND_MAX) - 0.5f) * 1.2f;
            const float b = (float(std::rand()) / float(RAND_MAX) - 0.5f) * 0.3f;
            records.push_back({head + age * glm::vec3(a, b, -1.0f), life, glm::vec3(0.0f)});
        }
    }
    const particle_buffer points(records);
    glUseProgram(shaders->particle->program);
    glDisable(GL_DEPTH_TEST);
    points.draw(GLsizei(records.size()));
    glEnable(GL_DEPTH_TEST);
    save("particle");
}

// Motion blur: spinning, drifting solids over the stars, composed every frame; the last frame is saved
// before and after its composition.
void motion_pictures() {
    shaders->motion->init_frames();
    create_screen_quad();
    for (int frame = 0; frame < 8; ++frame) {
        begin_picture();
        glm::mat4 turn = glm::rotate(glm::mat4(1.0f), glm::radians(1.2f * float(frame)), glm::vec3(0, 1, 0));
        set_view(forward_view() * turn);
        wireframe_scene(12.0f * float(frame));
        if (frame == 7)
            save("motion_unblurred");
        compose_frame();
        if (frame == 7)
            save("motion");
        display->present();
        shaders->motion->advance();
    }
    set_view(forward_view());
}

// The shader set, the camera looking along +z, the four solids and the two textures.
void make_gallery_objects() {
    shaders = new shader_set();
    set_view(forward_view());
    for (int k = 0; k < 4; ++k)
        solids[k] = new mesh(k);
    stars = make_star_texture();
    glActiveTexture(GL_TEXTURE0);
    clouds = make_cloud_texture(256, 3);
}
} // namespace

int main(int argc, char** argv) {
    out_dir = argc > 1 ? argv[1] : ".";
    if (!open_gl_context(800, 600)) {
        std::fprintf(stderr, "no display\n");
        return 1;
    }
    make_gallery_objects();
    texture_picture();
    wireframe_picture();
    wireframe_crossing_picture();
    dissolve_picture("dissolver", shaders->dissolver, shaders->dissolver->dissolve_factor_location,
                     shaders->dissolver->cloud_texture_location);
    dissolve_picture("dissolveph", shaders->dissolveph, shaders->dissolveph->dissolve_factor_location,
                     shaders->dissolveph->cloud_texture_location);
    dissolve_picture("dissolvet", shaders->dissolvet, shaders->dissolvet->dissolve_factor_location,
                     shaders->dissolvet->cloud_texture_location);
    phong_picture();
    solids_picture("pink_noise", shaders->pink_noise);
    solids_picture("rainbow", shaders->rainbow);
    particle_picture();
    motion_pictures();
    return 0;
}
