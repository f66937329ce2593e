#version 330
// Single-pass wireframe, vertex stage: object to clip space; the geometry stage measures the edges.

layout(std140) uniform GlobalMatrices {
    mat4 viewProjection;
    vec2 viewportSize;
};

uniform mat4 modelMatrix;

layout(location = 0) in vec4 position;

void main() {
    gl_Position = viewProjection * (modelMatrix * position);
}
