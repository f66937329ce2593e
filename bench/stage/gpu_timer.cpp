// GPU time per frame: a ring of GL_TIME_ELAPSED queries whose results are read when ready, frames later.
#include "stage/gpu_timer.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstring>
#include <limits>
#include <utility>

namespace tarnwick::bench {

namespace {
constexpr double ns_per_ms = 1.0e6;

bool has_extension(const char* name) {
    GLint count = 0;
    glGetIntegerv(GL_NUM_EXTENSIONS, &count);
    for (GLint i = 0; i < count; ++i) {
        const GLubyte* extension = glGetStringi(GL_EXTENSIONS, GLuint(i));
        if (extension && std::strcmp(reinterpret_cast<const char*>(extension), name) == 0)
            return true;
    }
    return false;
}

// The current context's reason not to time frames, or empty.
std::string context_shortfall() {
    GLint major = 0;
    GLint minor = 0;
    glGetIntegerv(GL_MAJOR_VERSION, &major);
    glGetIntegerv(GL_MINOR_VERSION, &minor);
    const bool extension = has_extension("GL_ARB_timer_query");
    GLint bits = 0;
    if (timer_query_shortfall(major, minor, extension, 1).empty())
        glGetQueryiv(GL_TIME_ELAPSED, GL_QUERY_COUNTER_BITS, &bits);
    return timer_query_shortfall(major, minor, extension, bits);
}
} // namespace

std::string timer_query_shortfall(int gl_major, int gl_minor, bool has_timer_query_extension,
                                  int counter_bits) {
    const bool core = gl_major > 3 || (gl_major == 3 && gl_minor >= 3);
    if (!core && !has_timer_query_extension)
        return "no timer queries in OpenGL " + std::to_string(gl_major) + "." + std::to_string(gl_minor) +
               " without GL_ARB_timer_query";
    if (counter_bits <= 0)
        return "the GPU timer has 0 bits";
    return std::string();
}

std::string timer_results_shortfall(const std::vector<double>& nanoseconds) {
    const bool any =
        std::any_of(nanoseconds.begin(), nanoseconds.end(), [](double ns) { return !std::isnan(ns); });
    const bool all_zero = std::all_of(nanoseconds.begin(), nanoseconds.end(),
                                      [](double ns) { return std::isnan(ns) || ns == 0.0; });
    return any && all_zero ? "every GPU time read was zero" : std::string();
}

gpu_timer::gpu_timer() : shortfall(context_shortfall()) {
    if (!shortfall.empty())
        return;
    GLuint names[ring_size] = {};
    glGenQueries(ring_size, names);
    for (int i = 0; i < ring_size; ++i)
        ring[size_t(i)].query = names[i];
}

gpu_timer::~gpu_timer() { release(); }

gpu_timer::gpu_timer(gpu_timer&& other) noexcept { *this = std::move(other); }

gpu_timer& gpu_timer::operator=(gpu_timer&& other) noexcept {
    if (this != &other) {
        release();
        ring = std::exchange(other.ring, {});
        shortfall = std::exchange(other.shortfall, "moved away");
        nanoseconds = std::exchange(other.nanoseconds, {});
        next = std::exchange(other.next, 0);
        active = std::exchange(other.active, -1);
        skipped = std::exchange(other.skipped, 0);
    }
    return *this;
}

void gpu_timer::release() {
    if (ring[0].query == 0)
        return;
    if (active >= 0)
        glEndQuery(GL_TIME_ELAPSED);
    GLuint names[ring_size];
    for (int i = 0; i < ring_size; ++i)
        names[i] = ring[size_t(i)].query;
    glDeleteQueries(ring_size, names);
    ring = {};
    active = -1;
}

void gpu_timer::begin_frame(int frame) {
    assert(frame >= 0 && active < 0);
    if (ring[0].query == 0)
        return;
    collect(false);
    slot& s = ring[size_t(next)];
    if (s.pending) {
        ++skipped;
        return;
    }
    s.frame = frame;
    glBeginQuery(GL_TIME_ELAPSED, s.query);
    active = next;
    next = (next + 1) % ring_size;
}

void gpu_timer::end_frame() {
    if (active < 0)
        return;
    glEndQuery(GL_TIME_ELAPSED);
    ring[size_t(active)].pending = true;
    active = -1;
}

void gpu_timer::finish() {
    assert(active < 0);
    collect(true);
}

void gpu_timer::collect(bool wait) {
    for (slot& s : ring) {
        if (!s.pending)
            continue;
        if (!wait) {
            GLuint ready = GL_FALSE;
            glGetQueryObjectuiv(s.query, GL_QUERY_RESULT_AVAILABLE, &ready);
            if (ready == GL_FALSE)
                continue;
        }
        GLuint64 elapsed = 0;
        glGetQueryObjectui64v(s.query, GL_QUERY_RESULT, &elapsed);
        if (nanoseconds.size() <= size_t(s.frame))
            nanoseconds.resize(size_t(s.frame) + 1, std::numeric_limits<double>::quiet_NaN());
        nanoseconds[size_t(s.frame)] = double(elapsed);
        s.pending = false;
    }
}

bool gpu_timer::available() const { return reason().empty(); }

std::string gpu_timer::reason() const {
    return !shortfall.empty() ? shortfall : timer_results_shortfall(nanoseconds);
}

std::vector<double> gpu_timer::frame_ms() const {
    std::vector<double> ms(nanoseconds.size(), std::numeric_limits<double>::quiet_NaN());
    if (available())
        std::transform(nanoseconds.begin(), nanoseconds.end(), ms.begin(),
                       [](double ns) { return ns / ns_per_ms; });
    return ms;
}

} // namespace tarnwick::bench
