// --expect-renderer's pattern: a POSIX extended regular expression (as grep -E reads it), found anywhere in
// GL_RENDERER. No GL here.
#pragma once

#include <string>

namespace tarnwick::bench {

// What is wrong with pattern, for the user; empty when it is a valid expression.
std::string renderer_pattern_error(const std::string& pattern);
// Whether the pattern, which must be valid, matches anywhere in renderer.
bool renderer_matches(const std::string& renderer, const std::string& pattern);

} // namespace tarnwick::bench
