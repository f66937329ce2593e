// The full-screen quad and the end-of-frame motion-blur composition, which stays on the GPU.
#include "frame_composition.h"

#include "render/camera.h"
#include "render/shader_set.h"

#include <iostream>

mesh* screen = nullptr;

void create_screen_quad() {
    screen = new mesh(empty_mesh_kind);
    screen->mode = GL_TRIANGLES;
    screen->index_type = GL_UNSIGNED_BYTE;

    // Clip-space corners wound clockwise (the front-face winding); texture coordinates follow the
    // bottom-up rows of the read-back.
    const GLfloat positions[4][4] = {{1, -1, 0, 1}, {-1, -1, 0, 1}, {-1, 1, 0, 1}, {1, 1, 0, 1}};
    const GLfloat texcoords[4][2] = {{1, 0}, {0, 0}, {0, 1}, {1, 1}};
    const GLubyte indices[6] = {0, 1, 2, 2, 3, 0};
    screen->count = GLsizei(sizeof indices / sizeof indices[0]);

    GLuint buffers[3];
    const GLsizeiptr sizes[3] = {sizeof positions, sizeof texcoords, sizeof indices};
    const void* data[3] = {positions, texcoords, indices};
    for (int i = 0; i < 3; ++i) {
        glGenBuffers(1, &buffers[i]);
        glBindBuffer(GL_ARRAY_BUFFER, buffers[i]);
        glBufferData(GL_ARRAY_BUFFER, sizes[i], data[i], GL_STATIC_DRAW);
        glBindBuffer(GL_ARRAY_BUFFER, 0);
    }

    glGenVertexArrays(1, &screen->vao);
    glBindVertexArray(screen->vao);
    std::cout << "screen->vao" << screen->vao << std::endl;
    glBindBuffer(GL_ARRAY_BUFFER, buffers[0]);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 4, GL_FLOAT, GL_FALSE, 0, nullptr);
    glBindBuffer(GL_ARRAY_BUFFER, buffers[1]);
    glEnableVertexAttribArray(1);
    glVertexAttribPointer(1, 2, GL_FLOAT, GL_FALSE, 0, nullptr);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, buffers[2]);
    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
}

void compose_frame() {
    motion_shader* motion = shaders->motion;
    const glm::vec2 size = get_display_size();
    const int w = int(size.x);
    const int h = int(size.y);
    // A minimised or zero-sized window has nothing to read; a window grown past the start-up capacity
    // gets a larger pixel buffer instead of an overflowing read-back.
    if (!motion->reserve_pixel_buffer(w, h))
        return;

    glBindBuffer(GL_PIXEL_PACK_BUFFER, motion->pixel_buffer);
    glReadPixels(0, 0, w, h, GL_RGB, GL_UNSIGNED_BYTE, nullptr);
    glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);

    glBindBuffer(GL_PIXEL_UNPACK_BUFFER, motion->pixel_buffer);
    glActiveTexture(GL_TEXTURE0 + motion->texture_unit0());
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB8, w, h, 0, GL_RGB, GL_UNSIGNED_BYTE, nullptr);
    glBindBuffer(GL_PIXEL_UNPACK_BUFFER, 0);
    // Draw code binds on unit 0; leaving a ring unit active would let a stray bind replace a slot.
    glActiveTexture(GL_TEXTURE0);

    glDisable(GL_DEPTH_TEST);
    motion->apply();
    screen->draw();
    glUseProgram(0);
    glEnable(GL_DEPTH_TEST);
}
