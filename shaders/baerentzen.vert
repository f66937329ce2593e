#version 330
// Single-pass wireframe, vertex stage: object to clip space, and the world position from which the geometry
// stage finds each triangle's facing; it also measures the edges.

layout(std140) uniform GlobalMatrices {
    mat4 viewProjection;
    vec2 viewportSize;
};

uniform mat4 modelMatrix;

layout(location = 0) in vec4 position;

out vec3 worldPosition;

void main() {
    vec4 world = modelMatrix * position;
    worldPosition = world.xyz / world.w;
    gl_Position = viewProjection * world;
}
