// --expect-renderer's pattern through the C library's regular expressions. No GL here.
#include "stage/renderer_pattern.h"

#include <regex.h>

namespace tarnwick::bench {

std::string renderer_pattern_error(const std::string& pattern) {
    regex_t expression{};
    const int status = regcomp(&expression, pattern.c_str(), REG_EXTENDED | REG_NOSUB);
    if (status == 0) {
        regfree(&expression);
        return std::string();
    }
    char reason[256];
    regerror(status, &expression, reason, sizeof reason);
    return "needs a regular expression, not '" + pattern + "' (" + reason + ")";
}

bool renderer_matches(const std::string& renderer, const std::string& pattern) {
    regex_t expression{};
    if (regcomp(&expression, pattern.c_str(), REG_EXTENDED | REG_NOSUB) != 0)
        return false;
    const bool found = regexec(&expression, renderer.c_str(), 0, nullptr, 0) == 0;
    regfree(&expression);
    return found;
}

} // namespace tarnwick::bench
