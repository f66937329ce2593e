// One Allegro OpenGL display per process, set up the way start-up leaves it, and back-buffer read-back.
#include "gl_context.h"

#include "app/shell/shell.h"
#include "render/camera.h"

#include <cstdio>
#include <cstdlib>

bool open_gl_context(int width, int height) {
    static int state = 0; // 0 untried, 1 open, 2 failed
    if (state == 0) {
        state = 2;
        if (std::getenv("DISPLAY") && al_init()) {
            al_set_new_display_flags(ALLEGRO_OPENGL | ALLEGRO_RESIZABLE);
            al_set_new_display_option(ALLEGRO_DEPTH_SIZE, 24, ALLEGRO_SUGGEST);
            // Under a heavily loaded X server a context now and then fails to come up; try again.
            ALLEGRO_DISPLAY* window = nullptr;
            for (int attempt = 0; attempt < 5 && !window; ++attempt) {
                if (attempt > 0)
                    al_rest(0.5);
                window = al_create_display(width, height);
            }
            if (window) {
                display = new allegro_window(window);
                set_fixed_gl_state();
                create_global_matrices_buffer();
                view = glm::mat4(1.0f);
                set_projection(make_projection(float(width), float(height)));
                set_viewport_size(float(width), float(height));
                state = 1;
            }
        }
    }
    return state == 1;
}

std::vector<uint8_t> read_back_rgb(int x, int y, int width, int height) {
    std::vector<uint8_t> pixels(size_t(width) * size_t(height) * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, width, height, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    return pixels;
}

void save_back_buffer_ppm(const std::string& path) {
    const int w = display->size().x;
    const int h = display->size().y;
    const std::vector<uint8_t> pixels = read_back_rgb(0, 0, w, h);
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return;
    std::fprintf(f, "P6\n%d %d\n255\n", w, h);
    for (int row = h - 1; row >= 0; --row)
        std::fwrite(pixels.data() + size_t(row) * size_t(w) * 3, 1, size_t(w) * 3, f);
    std::fclose(f);
}
