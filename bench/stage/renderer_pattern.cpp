// --expect-renderer's pattern through the C library's regular expressions. No GL here.
#include "stage/renderer_pattern.h"

#include <regex.h>

namespace tarnwick::bench {

namespace {
// A compiled expression that frees itself; compiled says whether it is usable.
struct compiled_pattern {
    regex_t expression{};
    int status = 0;
    explicit compiled_pattern(const std::string& pattern)
        : status(regcomp(&expression, pattern.c_str(), REG_EXTENDED | REG_NOSUB)) {}
    ~compiled_pattern() {
        if (status == 0)
            regfree(&expression);
    }
    compiled_pattern(const compiled_pattern&) = delete;
    compiled_pattern& operator=(const compiled_pattern&) = delete;
};
} // namespace

std::string renderer_pattern_error(const std::string& pattern) {
    const compiled_pattern p(pattern);
    if (p.status == 0)
        return std::string();
    char reason[256];
    regerror(p.status, &p.expression, reason, sizeof reason);
    return "needs a regular expression, not '" + pattern + "' (" + reason + ")";
}

bool renderer_matches(const std::string& renderer, const std::string& pattern) {
    const compiled_pattern p(pattern);
    return p.status == 0 && regexec(&p.expression, renderer.c_str(), 0, nullptr, 0) == 0;
}

} // namespace tarnwick::bench
