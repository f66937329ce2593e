#version 330
// Particles, vertex stage: world position to clip space; the life goes on to the geometry stage.

layout(std140) uniform GlobalMatrices {
    mat4 viewProjection;
    vec2 viewportSize;
};

// x, y, z of the particle and its life in w.
layout(location = 0) in vec4 positionLife;
layout(location = 1) in float life;

out float vertexLife;

void main() {
    vertexLife = life;
    gl_Position = viewProjection * vec4(positionLife.xyz, 1.0);
}
