// What every GL suite starts with: the shared context, and skipping where no X display can be opened.
#pragma once

#include "support/gl_context.h"

#include <gtest/gtest.h>

// Skips the current test when no display could be opened (gl suites run under Xvfb).
#define REQUIRE_GL_CONTEXT()                                                                                 \
    do {                                                                                                     \
        if (!open_gl_context())                                                                              \
            GTEST_SKIP() << "no X display";                                                                  \
    } while (0)

// The model store, the shader set (with wireframe_shader) and the texture store as start-up makes them, once
// per process, with the camera's start-up view; the test's standard output during their making is returned
// the first time and empty afterwards. Needs the context.
std::string make_game_stores();

// The context and the stores, or a skip.
#define REQUIRE_GAME_STORES()                                                                                \
    do {                                                                                                     \
        REQUIRE_GL_CONTEXT();                                                                                \
        make_game_stores();                                                                                  \
    } while (0)
