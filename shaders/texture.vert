#version 330
// Texture mapping, vertex stage: clip position and texture coordinate.

layout(std140) uniform GlobalMatrices {
    mat4 viewProjection;
    vec2 viewportSize;
};

uniform mat4 modelMatrix;

layout(location = 0) in vec4 position;
layout(location = 1) in vec2 texcoord;

out vec2 mapCoord;

void main() {
    mapCoord = texcoord;
    gl_Position = viewProjection * (modelMatrix * position);
}
