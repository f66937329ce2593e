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
