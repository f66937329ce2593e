// The stores every GL suite that draws game objects shares, made as start-up makes them.
#include "gl_test.h"

#include "assets/model_store.h"
#include "assets/texture_store.h"
#include "render/camera.h"
#include "render/shader_set.h"

std::string make_game_stores() {
    if (shaders)
        return std::string();
    testing::internal::CaptureStdout();
    view = glm::mat4(1.0f);
    update_global_matrices();
    models = new model_store;
    shaders = new shader_set;
    wireframe_shader = shaders->baerentzen;
    textures = new texture_store;
    return testing::internal::GetCapturedStdout();
}
