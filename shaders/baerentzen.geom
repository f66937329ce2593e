#version 330
// Single-pass wireframe (Baerentzen et al. 2006), geometry stage: gives every emitted vertex its
// window-space distance to each of the triangle's three edge lines. Distance to a line is affine in window
// space, so noperspective interpolation reproduces it exactly at every fragment. Triangles that reach the
// near plane (and so perhaps the camera plane, w <= 0) are clipped to it here, as the rasterizer would, so
// no vertex is projected through a tiny or negative w; the clip edge itself is not drawn as a line.
// It also measures how small the triangle is on screen, so that the lines of a dense mesh can give way, and
// how much the triangle faces the key light, so that a dense mesh still shows its shape.

layout(triangles) in;
layout(triangle_strip, max_vertices = 4) out;

layout(std140) uniform GlobalMatrices {
    mat4 viewProjection;
    vec2 viewportSize;
};

in vec3 worldPosition[];

noperspective out vec3 edgeDistance;
// The triangle's smallest height in pixels: the widest line that still leaves some of it unlined.
flat out float triangleHeight;
// Diffuse light on the triangle from the key light, 0 to 1.
flat out float facetLight;

// The "distance" of an edge that is wholly behind the camera or has no length: never drawn.
const float no_edge = 1.0e4;

// Towards the key light, as the lit programs have it: above, to the left and behind the camera's starting
// direction.
const vec3 light_direction = vec3(-0.4, 0.7, -0.6);

// Vertices made here sit this fraction of w inside the near plane, so the rasterizer's own clipper never
// has to decide about points lying exactly on it (llvmpipe drops such triangles in part).
const float near_inset = 1.0e-3;

// Signed distance from (just inside) the near plane, z = -w in clip space; positive on the visible side,
// where w is at least the near distance.
float near_side(vec4 clip) {
    return clip.z + clip.w * (1.0 - near_inset);
}

// The point where segment a-b meets the near plane.
vec4 near_crossing(vec4 a, vec4 b) {
    return mix(a, b, near_side(a) / (near_side(a) - near_side(b)));
}

vec2 to_window(vec4 clip) {
    return (clip.xy / clip.w * 0.5 + 0.5) * viewportSize;
}

// The window-space line through the visible part of edge a-b as (unit normal, offset).
vec3 edge_line(vec4 a, vec4 b) {
    bool a_in = near_side(a) >= 0.0;
    bool b_in = near_side(b) >= 0.0;
    if (!a_in && !b_in)
        return vec3(0.0, 0.0, no_edge);
    if (!a_in)
        a = near_crossing(a, b);
    else if (!b_in)
        b = near_crossing(a, b);
    vec2 pa = to_window(a);
    vec2 pb = to_window(b);
    vec2 along = pb - pa;
    float len = length(along);
    if (len < 1.0e-4)
        return vec3(0.0, 0.0, no_edge);
    vec2 normal = vec2(-along.y, along.x) / len;
    return vec3(normal, -dot(normal, pa));
}

vec3 edge_distances(vec4 clip, vec3 l0, vec3 l1, vec3 l2) {
    vec2 p = to_window(clip);
    return vec3(dot(l0.xy, p) + l0.z, dot(l1.xy, p) + l1.z, dot(l2.xy, p) + l2.z);
}

// Clockwise triangles face outwards, so this cross product is the outward normal.
float facet_light() {
    vec3 n = cross(worldPosition[2] - worldPosition[0], worldPosition[1] - worldPosition[0]);
    float len = length(n);
    return len > 0.0 ? max(dot(n / len, normalize(light_direction)), 0.0) : 0.0;
}

void emit(vec4 clip, vec3 distances, float height, float light) {
    edgeDistance = distances;
    triangleHeight = height;
    facetLight = light;
    gl_Position = clip;
    EmitVertex();
}

void main() {
    vec4 c[3] = vec4[3](gl_in[0].gl_Position, gl_in[1].gl_Position, gl_in[2].gl_Position);

    // Edge i is the one opposite vertex i.
    vec3 l0 = edge_line(c[1], c[2]);
    vec3 l1 = edge_line(c[2], c[0]);
    vec3 l2 = edge_line(c[0], c[1]);

    // Clip the triangle against the near plane (one plane: at most four vertices, in the original order).
    vec4 poly[4];
    int n = 0;
    for (int i = 0; i < 3; ++i) {
        vec4 cur = c[i];
        vec4 nxt = c[(i + 1) % 3];
        bool cur_in = near_side(cur) >= 0.0;
        bool nxt_in = near_side(nxt) >= 0.0;
        if (cur_in) {
            poly[n] = cur;
            n += 1;
        }
        if (cur_in != nxt_in) {
            poly[n] = near_crossing(cur, nxt);
            n += 1;
        }
    }
    if (n < 3)
        return;

    // The visible polygon's farthest corner from each edge line gives that edge's height; edges that are
    // not drawn (no_edge) stay out of the minimum.
    vec3 d[4];
    vec3 reach = vec3(0.0);
    for (int i = 0; i < n; ++i) {
        d[i] = edge_distances(poly[i], l0, l1, l2);
        reach = max(reach, abs(d[i]));
    }
    float height = min(min(reach.x, reach.y), reach.z);
    float light = facet_light();

    // Strip order 0, 1, 3, 2 keeps the polygon's winding, so face culling still sees the original triangle.
    emit(poly[0], d[0], height, light);
    emit(poly[1], d[1], height, light);
    if (n == 4)
        emit(poly[3], d[3], height, light);
    emit(poly[2], d[2], height, light);
    EndPrimitive();
}
