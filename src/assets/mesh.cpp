// GPU meshes: the four built-in solids, the first mesh of a model file through Assimp, and empty meshes.
#include "mesh.h"

#include <allegro5/allegro_native_dialog.h>
#include <assimp/Importer.hpp>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <stdexcept>
#include <string>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

// Debian's Assimp is built with its internal checks on, and a failed check aborts the process (degenerate
// polygons in a COLLADA file trip one). This definition takes the place of the library's: it throws, the
// importer catches it inside ReadFile and returns no scene, so a bad model fails its import instead.
namespace Assimp {
void aiAssertViolation(const char* expression, const char* file, int line) {
    throw std::runtime_error(std::string("Assimp internal check failed: ") + expression + " (" + file + ":" +
                             std::to_string(line) + ")");
}
} // namespace Assimp

namespace {

// Tangents, shared vertices, triangles only, smooth normals, and the left-handed conversion that also turns
// the winding to the clockwise fronts the game culls by.
constexpr unsigned int import_flags = aiProcess_CalcTangentSpace | aiProcess_JoinIdenticalVertices |
                                      aiProcess_Triangulate | aiProcess_GenSmoothNormals |
                                      aiProcess_ConvertToLeftHanded;
static_assert(import_flags == 0x0180004F, "the import's post-processing steps");
constexpr const char* import_failed_caption = "import failed";

// Shows the text in a modal box; falls back to standard error where no box can be shown.
void show_import_failure_box(const std::string& text) {
    // The native dialog needs Allegro running and a display to belong to; a console run without one
    // still learns what happened.
    if (al_is_system_installed() && al_get_current_display() && al_init_native_dialog_addon()) {
        if (al_show_native_message_box(nullptr, import_failed_caption, import_failed_caption, text.c_str(),
                                       nullptr, 0) != 0)
            return;
    }
    std::cerr << import_failed_caption << ": " << text << std::endl;
}

import_failure_reporter failure_reporter = show_import_failure_box;

// How long the trial read of a model file may take before it counts as a failure.
constexpr int import_trial_limit_ms = 120000;

// Reads the model file once in a child process and tells whether that read ended normally. Debian's
// Assimp still crashes on some malformed files (a null dereference in its COLLADA reader, found by
// fuzzing); a crash or hang there must fail the import, not the game. The child makes no GL or X calls.
// Returns an empty text when the file can be imported, else what went wrong.
std::string trial_read(const std::string& path) {
    std::fflush(nullptr);
    std::cout.flush();
    const pid_t child = fork();
    if (child < 0)
        return std::string();
    if (child == 0) {
        // Quiet: a crash report here (a sanitizer's, in test builds) is not the game's to print.
        const int quiet = open("/dev/null", O_WRONLY);
        if (quiet >= 0)
            dup2(quiet, STDERR_FILENO);
        Assimp::Importer importer;
        importer.ReadFile(path, import_flags);
        _exit(0);
    }
    int status = 0;
    for (int waited = 0;; waited += 10) {
        const pid_t done = waitpid(child, &status, WNOHANG);
        if (done == child)
            break;
        if (done < 0 && errno != EINTR)
            return std::string();
        if (waited >= import_trial_limit_ms) {
            kill(child, SIGKILL);
            waitpid(child, &status, 0);
            return path + ": the model importer did not finish";
        }
        usleep(10000);
    }
    // The child leaves with 0 whenever the read returned, scene or not; a crash ends it by a signal (or, in
    // a sanitizer build, with the sanitizer's exit status).
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0)
        return std::string();
    return path + ": the model importer crashed on this file";
}

// The attribute locations that every mesh program reads.
constexpr GLuint position_location = 0;
constexpr GLuint texcoord_location = 1;
constexpr GLuint normal_location = 2;

// Fills a new array buffer and points the bound vertex array's attribute location at it (floats, packed).
void attribute_buffer(GLuint location, GLint components, size_t bytes, const void* data) {
    GLuint buffer = 0;
    glGenBuffers(1, &buffer);
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(bytes), data, GL_STATIC_DRAW);
    glEnableVertexAttribArray(location);
    glVertexAttribPointer(location, components, GL_FLOAT, GL_FALSE, 0, nullptr);
}

solid_arrays cube() {
    solid_arrays s;
    s.positions = {
        {0.5f, -0.5f, 0.5f, 1.0f},  {-0.5f, -0.5f, 0.5f, 1.0f},  {-0.5f, 0.5f, 0.5f, 1.0f},
        {0.5f, 0.5f, 0.5f, 1.0f},   {0.5f, -0.5f, 0.5f, 1.0f},   {0.5f, 0.5f, 0.5f, 1.0f},
        {0.5f, 0.5f, -0.5f, 1.0f},  {0.5f, -0.5f, -0.5f, 1.0f},  {-0.5f, 0.5f, 0.5f, 1.0f},
        {-0.5f, 0.5f, -0.5f, 1.0f}, {0.5f, 0.5f, -0.5f, 1.0f},   {0.5f, 0.5f, 0.5f, 1.0f},
        {-0.5f, -0.5f, 0.5f, 1.0f}, {-0.5f, -0.5f, -0.5f, 1.0f}, {-0.5f, 0.5f, -0.5f, 1.0f},
        {-0.5f, 0.5f, 0.5f, 1.0f},  {0.5f, -0.5f, -0.5f, 1.0f},  {0.5f, 0.5f, -0.5f, 1.0f},
        {-0.5f, 0.5f, -0.5f, 1.0f}, {-0.5f, -0.5f, -0.5f, 1.0f}, {0.5f, -0.5f, 0.5f, 1.0f},
        {0.5f, -0.5f, -0.5f, 1.0f}, {-0.5f, -0.5f, -0.5f, 1.0f}, {-0.5f, -0.5f, 0.5f, 1.0f},
    };
    s.texcoords = {
        {1, 0}, {0, 0}, {0, 1}, {1, 1}, // +z
        {0, 0}, {0, 1}, {1, 1}, {1, 0}, // +x
        {0, 0}, {0, 1}, {1, 1}, {1, 0}, // +y
        {1, 0}, {0, 0}, {0, 1}, {1, 1}, // -x
        {0, 0}, {0, 1}, {1, 1}, {1, 0}, // -z
        {1, 1}, {1, 0}, {0, 0}, {0, 1}, // -y
    };
    for (uint8_t k = 0; k < 6; ++k) {
        const uint8_t b = uint8_t(4 * k);
        s.indices.insert(s.indices.end(),
                         {b, uint8_t(b + 1), uint8_t(b + 2), uint8_t(b + 2), uint8_t(b + 3), b});
    }
    return s;
}

solid_arrays triangular_pyramid() {
    const float a = glm::sqrt(3.0f) / 6.0f;
    const glm::vec4 p0(0.0f, -a, 2.0f * a, 1.0f);
    const glm::vec4 p1(-0.5f, -a, -a, 1.0f);
    const glm::vec4 p2(0.5f, -a, -a, 1.0f);
    const glm::vec4 p3(0.0f, glm::sqrt(3.0f) / 2.0f - a, 0.0f, 1.0f);
    solid_arrays s;
    s.positions = {p0, p1, p2, p0, p3, p2, p0, p1, p3, p1, p2, p3};
    s.texcoords = {{0.5f, 1}, {1, 0}, {0, 0},    {0, 0}, {0.5f, 1}, {1, 0},
                   {1, 0},    {0, 0}, {0.5f, 1}, {1, 0}, {0, 0},    {0.5f, 1}};
    // The base's order differs from its vertex order so that it too runs clockwise from outside.
    s.indices = {0, 2, 1, 3, 4, 5, 6, 7, 8, 9, 10, 11};
    return s;
}

solid_arrays octahedron() {
    const float t = glm::sqrt(2.0f) / 2.0f;
    const glm::vec4 q0(0.5f, 0.0f, 0.5f, 1.0f);
    const glm::vec4 q1(-0.5f, 0.0f, 0.5f, 1.0f);
    const glm::vec4 q2(-0.5f, 0.0f, -0.5f, 1.0f);
    const glm::vec4 q3(0.5f, 0.0f, -0.5f, 1.0f);
    const glm::vec4 top(0.0f, t, 0.0f, 1.0f);
    const glm::vec4 bottom(0.0f, -t, 0.0f, 1.0f);
    solid_arrays s;
    s.positions = {q0, q1,     top, q0, top,    q3, q1, q2,     top, q2, q3, top,
                   q0, bottom, q1,  q1, bottom, q2, q2, bottom, q3,  q0, q3, bottom};
    const glm::vec2 left(0, 0), right(1, 0), peak(0.5f, 1);
    s.texcoords = {right, left, peak,  right, peak, left,  right, left, peak,  right, left, peak,
                   left,  peak, right, left,  peak, right, left,  peak, right, right, left, peak};
    for (uint8_t i = 0; i < 24; ++i)
        s.indices.push_back(i);
    return s;
}

solid_arrays square_pyramid() {
    const float h = glm::sqrt(2.0f) / 4.0f;
    const glm::vec4 r0(0.5f, -h, 0.5f, 1.0f);
    const glm::vec4 r1(-0.5f, -h, 0.5f, 1.0f);
    const glm::vec4 r2(-0.5f, -h, -0.5f, 1.0f);
    const glm::vec4 r3(0.5f, -h, -0.5f, 1.0f);
    const glm::vec4 apex(0.0f, h, 0.0f, 1.0f);
    solid_arrays s;
    s.positions = {r0, r1, apex, r0, apex, r3, r1, r2, apex, r2, r3, apex, r0, r3, r1, r2};
    const glm::vec2 left(0, 0), right(1, 0), peak(0.5f, 1);
    s.texcoords = {right, left,  peak, left, peak,   right,  right,  left,
                   peak,  right, left, peak, {1, 1}, {1, 0}, {0, 1}, {0, 0}};
    for (uint8_t i = 0; i < 12; ++i)
        s.indices.push_back(i);
    s.indices.insert(s.indices.end(), {12, 13, 14, 14, 13, 15});
    return s;
}

// Gives each vertex the unit normal of the first triangle that uses it: normalize(cross(C - A, B - A))
// for a triangle A, B, C, which points out of a triangle wound clockwise from outside.
void compute_face_normals(solid_arrays& s) {
    s.normals.assign(s.positions.size(), glm::vec3(0.0f));
    std::vector<bool> done(s.positions.size(), false);
    for (size_t i = 0; i + 2 < s.indices.size(); i += 3) {
        const glm::vec3 a(s.positions[s.indices[i]]);
        const glm::vec3 b(s.positions[s.indices[i + 1]]);
        const glm::vec3 c(s.positions[s.indices[i + 2]]);
        const glm::vec3 n = glm::normalize(glm::cross(c - a, b - a));
        for (size_t j = i; j < i + 3; ++j) {
            if (!done[s.indices[j]]) {
                s.normals[s.indices[j]] = n;
                done[s.indices[j]] = true;
            }
        }
    }
}

// Writes the text of a failed import and hands it to the reporter; the mesh stays empty.
void report_import_failure(const std::string& text) {
    std::cout << text << std::endl;
    failure_reporter(text);
}

// The index list of the triangles to draw: only faces of three indices that name existing vertices;
// points and lines that the triangulation leaves alone, and corrupt faces, are skipped.
std::vector<uint32_t> drawable_triangles(const aiMesh& m) {
    std::vector<uint32_t> indices;
    indices.reserve(size_t(m.mNumFaces) * 3);
    for (unsigned int f = 0; f < m.mNumFaces; ++f) {
        const aiFace& face = m.mFaces[f];
        if (face.mNumIndices != 3 || !face.mIndices)
            continue;
        if (face.mIndices[0] >= m.mNumVertices || face.mIndices[1] >= m.mNumVertices ||
            face.mIndices[2] >= m.mNumVertices)
            continue;
        indices.insert(indices.end(), {face.mIndices[0], face.mIndices[1], face.mIndices[2]});
    }
    return indices;
}

} // namespace

void set_import_failure_reporter(import_failure_reporter reporter) {
    failure_reporter = reporter ? reporter : show_import_failure_box;
}

solid_arrays built_in_solid(int kind) {
    solid_arrays s;
    switch (kind) {
    case 0:
        s = cube();
        break;
    case 1:
        s = triangular_pyramid();
        break;
    case 2:
        s = octahedron();
        break;
    case 3:
        s = square_pyramid();
        break;
    default:
        return s;
    }
    compute_face_normals(s);
    return s;
}

mesh::mesh(int kind) {
    const solid_arrays s = built_in_solid(kind);
    if (s.indices.empty())
        return;
    mode = GL_TRIANGLES;
    index_type = GL_UNSIGNED_BYTE;
    upload(GLsizeiptr(s.positions.size() * sizeof(glm::vec4)), s.positions.data(),
           GLsizeiptr(s.indices.size() * sizeof(uint8_t)), s.indices.data(), GLsizei(s.indices.size()),
           GLsizeiptr(s.texcoords.size() * sizeof(glm::vec2)), s.texcoords.data(),
           GLsizeiptr(s.normals.size() * sizeof(glm::vec3)), s.normals.data());
}

mesh::mesh(std::string path) {
    mode = GL_TRIANGLES;
    index_type = GL_UNSIGNED_INT;
    import_model(std::move(path));
}

mesh::~mesh() = default;

void mesh::draw() const {
    glBindVertexArray(vao);
    glDrawElements(mode, count, index_type, nullptr);
    glBindVertexArray(0);
}

void mesh::upload(GLsizeiptr positions_size, const void* positions, GLsizeiptr indices_size,
                  const void* indices, GLsizei index_count, GLsizeiptr texcoords_size, const void* texcoords,
                  GLsizeiptr normals_size, const void* normals) {
    count = index_count;
    GLuint buffers[4] = {0, 0, 0, 0};
    const GLsizeiptr sizes[4] = {positions_size, texcoords_size, normals_size, indices_size};
    const void* contents[4] = {positions, texcoords, normals, indices};
    for (int i = 0; i < 4; ++i) {
        glGenBuffers(1, &buffers[i]);
        glBindBuffer(GL_ARRAY_BUFFER, buffers[i]);
        glBufferData(GL_ARRAY_BUFFER, sizes[i], contents[i], GL_STATIC_DRAW);
        glBindBuffer(GL_ARRAY_BUFFER, 0);
    }
    glGenVertexArrays(1, &vao);
    glBindVertexArray(vao);
    const GLint components[3] = {4, 2, 3};
    for (GLuint location = 0; location < 3; ++location) {
        glBindBuffer(GL_ARRAY_BUFFER, buffers[location]);
        glEnableVertexAttribArray(location);
        glVertexAttribPointer(location, components[location], GL_FLOAT, GL_FALSE, 0, nullptr);
    }
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, buffers[3]);
    glBindVertexArray(0);
}

void mesh::import_model(std::string path) {
    const std::string trial_failure = trial_read(path);
    if (!trial_failure.empty()) {
        report_import_failure(trial_failure);
        return;
    }
    Assimp::Importer importer;
    const aiScene* scene = importer.ReadFile(path, import_flags);
    if (!scene || scene->mNumMeshes == 0 || !scene->mMeshes[0] ||
        (scene->mFlags & AI_SCENE_FLAGS_INCOMPLETE)) {
        // A scene without meshes has nothing to draw: treat it as a failed import. Assimp marks such a
        // scene incomplete and may hand back a placeholder mesh in it.
        report_import_failure(scene ? path + " contains no meshes" : std::string(importer.GetErrorString()));
        return;
    }
    std::cout << "num meshes " << scene->mNumMeshes << std::endl;
    const aiMesh& first = *scene->mMeshes[0];
    upload_imported(path, first, drawable_triangles(first));
}

void mesh::upload_imported(const std::string& path, const aiMesh& m, const std::vector<uint32_t>& indices) {
    count = GLsizei(indices.size());
    glGenVertexArrays(1, &vao);
    glBindVertexArray(vao);
    GLuint index_buffer = 0;
    glGenBuffers(1, &index_buffer);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, index_buffer);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, GLsizeiptr(indices.size() * sizeof(uint32_t)), indices.data(),
                 GL_STATIC_DRAW);

    const size_t vertex_count = m.mNumVertices;
    if (m.HasPositions()) {
        std::cout << path << " has positions!" << std::endl;
        attribute_buffer(position_location, 3, vertex_count * sizeof(aiVector3D), m.mVertices);
    } else {
        std::cout << path << " has no positions!" << std::endl;
    }
    if (m.HasTextureCoords(0)) {
        std::cout << path << " has texture coords!" << std::endl;
        std::vector<glm::vec2> uvs(vertex_count);
        for (size_t v = 0; v < vertex_count; ++v)
            uvs[v] = glm::vec2(m.mTextureCoords[0][v].x, m.mTextureCoords[0][v].y);
        attribute_buffer(texcoord_location, 2, vertex_count * sizeof(glm::vec2), uvs.data());
    } else {
        std::cout << path << "has no texture coords!" << std::endl;
    }
    if (m.HasNormals()) {
        std::cout << path << " has vertex normals!" << std::endl;
        attribute_buffer(normal_location, 3, vertex_count * sizeof(aiVector3D), m.mNormals);
    } else {
        std::cout << path << " has no vertex normals!" << std::endl;
    }

    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
}
